// The console dialogue: prompts, results screen, menu, saving and the sign-off.
#pragma once

#include "platform/console.h"
#include "platform/files.h"
#include "textio/channels.h"
#include "textio/records.h"

namespace dialogue {

// What the dialogue talks through, and where it saves. Tests put strings, a fake pause and
// fake files here.
struct Console {
  textio::Input& input;
  textio::Records& output;
  platform::Pause& pause;
  platform::FileSystem& files;
};

// Runs calculation passes until the user chooses to end; returns after the sign-off, its
// output flushed.
void main_routine(Console& console);

}  // namespace dialogue
