// Loaded into a saver under test with LD_PRELOAD, under a file-size limit: the write of its
// block stops at the limit, and where the saver would cut that part back it is killed instead,
// as a save killed outright between two pages of its write.
#include <signal.h>
#include <sys/types.h>

extern "C" int ftruncate(int, off_t) {
  raise(SIGKILL);
  return -1;
}
