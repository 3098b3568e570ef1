// On Windows the user chooses the language of the interface, which a program asks the system
// for; variables of the environment, where set, say otherwise, as on POSIX systems.
#include <windows.h>

#include "platform/language.h"

namespace platform {

unsigned interface_language() { return GetUserDefaultUILanguage(); }

}  // namespace platform
