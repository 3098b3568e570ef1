// What the console does the same on every system: the pause and the clock it keeps.
#include "platform/console.h"

#include <thread>

namespace platform {

namespace {

class SystemClock : public Clock {
 public:
  std::chrono::steady_clock::time_point now() override { return std::chrono::steady_clock::now(); }
  void sleep(std::chrono::nanoseconds span) override { std::this_thread::sleep_for(span); }
};

}  // namespace

void SleepingPause::wait(int seconds) {
  const auto until = clock_.now() + std::chrono::seconds(seconds);
  for (auto now = clock_.now(); now < until; now = clock_.now()) clock_.sleep(until - now);
}

Clock& system_clock() {
  static SystemClock clock;
  return clock;
}

Pause& system_pause() {
  static SleepingPause pause(system_clock());
  return pause;
}

}  // namespace platform
