// The ending signals held off on Linux and other POSIX systems: blocked in the calling thread,
// its mask before the hold kept in the object and put back when it goes.
#include <signal.h>

#include "platform/signals.h"

namespace platform {

struct EndingSignalsHeld::Before {
  sigset_t mask;
};

EndingSignalsHeld::EndingSignalsHeld() : before_(std::make_unique<Before>()) {
  sigset_t ending;
  sigemptyset(&ending);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&ending, signal_number);
  pthread_sigmask(SIG_BLOCK, &ending, &before_->mask);
}

EndingSignalsHeld::~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_->mask, nullptr); }

}  // namespace platform
