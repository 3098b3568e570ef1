// The environment holds the user's choice of language; the system has no other.
#include "platform/language.h"

namespace platform {

unsigned interface_language() { return 0; }

}  // namespace platform
