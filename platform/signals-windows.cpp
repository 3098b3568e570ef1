// The console's requests to end the process held off on Windows. The console calls its
// handlers on a thread of its own, for the whole process, so the hold is a lock that the
// handler waits for. One hold at a time.
#include <windows.h>

#include "platform/signals.h"

namespace platform {

namespace {

SRWLOCK ending_hold = SRWLOCK_INIT;

// Runs on a thread of its own when the console asks the process to end (Ctrl+C, Ctrl+Break,
// the window closed): waits until no file is held, then lets the next handler, the system's,
// end the process.
BOOL WINAPI end_after_hold(DWORD) {
  AcquireSRWLockExclusive(&ending_hold);
  ReleaseSRWLockExclusive(&ending_hold);
  return FALSE;
}

}  // namespace

// The console's handlers are the process's: nothing of the caller's needs to be put back.
struct EndingSignalsHeld::Before {};

EndingSignalsHeld::EndingSignalsHeld() : before_(std::make_unique<Before>()) {
  AcquireSRWLockExclusive(&ending_hold);
  SetConsoleCtrlHandler(end_after_hold, TRUE);
}

EndingSignalsHeld::~EndingSignalsHeld() {
  SetConsoleCtrlHandler(end_after_hold, FALSE);
  ReleaseSRWLockExclusive(&ending_hold);
}

}  // namespace platform
