// The environment holds the user's choice of language; the system has no other.
#include <cstdlib>

#include "platform/language.h"

namespace platform {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

unsigned interface_language() { return 0; }

}  // namespace platform
