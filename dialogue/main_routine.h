// The console dialogue: prompts, results screen, menu, saving and the sign-off.
#pragma once

#include "platform/platform.h"
#include "textio/channels.h"
#include "textio/records.h"

namespace dialogue {

// What the dialogue talks through. Tests put strings and a fake screen here.
struct Console {
  textio::Input& input;
  textio::Records& output;
  platform::Screen& screen;
};

// Runs calculation passes until the user chooses to end; returns after the sign-off.
void main_routine(Console& console);

}  // namespace dialogue
