// Loaded into a program under test with LD_PRELOAD: every allocation of 512 KiB or more fails,
// as when memory runs out, so that a test sees how the program ends then.
#include <cstddef>

extern "C" void* __libc_malloc(std::size_t size);

extern "C" void* malloc(std::size_t size) {
  return size >= 512 * 1024 ? nullptr : __libc_malloc(size);
}
