// What the user chose the language of messages by, as each system keeps it.
// language-posix.cpp and language-windows.cpp implement it; the build picks one.
#pragma once

#include <cstdlib>
#include <string>

namespace platform {

// The value of an environment variable; empty where it is unset. The same on every system.
inline std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

// Windows' language of the user's interface, a LANGID (Russian's primary language is 0x19);
// 0 on a system that has none.
unsigned interface_language();

}  // namespace platform
