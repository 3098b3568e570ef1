// The requests that end the process, held off while a file is in a state it must not be left
// in. signals-posix.cpp and signals-windows.cpp implement it; the build picks one.
#pragma once

#include <memory>

namespace platform {

// While an object of this class lives, the requests that end the process (on POSIX systems
// SIGINT, SIGTERM, SIGHUP and SIGQUIT; on Windows the console's Ctrl+C, Ctrl+Break and close)
// are held off, so that they never leave a file half written; one that came meanwhile takes
// effect when the object goes. Hold them only around work that ends by itself: a write that
// may wait for ever (to a FIFO or a pipe) would make the process deaf to them.
class EndingSignalsHeld {
 public:
  EndingSignalsHeld();
  ~EndingSignalsHeld();
  EndingSignalsHeld(const EndingSignalsHeld&) = delete;
  EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

 private:
  struct Before;  // what was in force before the hold, put back when it ends
  std::unique_ptr<Before> before_;
};

}  // namespace platform
