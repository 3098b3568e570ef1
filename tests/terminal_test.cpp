// k-berg on a real terminal: tmux runs it, the test types with send-keys and reads the screen
// with capture-pane. Each screen must start at the top after it was cleared, each prompt must
// stand on screen before its answer is typed, and the Russian text must show.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/run_program.h"

namespace {

const std::string kEnded = "k-berg ended with status ";

// One tmux server of this test's own, on a socket nobody else uses, killed at the end.
class Tmux {
 public:
  Tmux() : socket_("k-berg-test-" + std::to_string(getpid())) {}
  ~Tmux() { run("kill-server 2>/dev/null"); }

  // Starts k-berg in a detached 80 x 30 terminal; false where tmux cannot start. The shell
  // then writes the exit status and keeps the terminal open, so tmux keeps the last screen.
  bool start(const std::filesystem::path& folder) {
    const std::string command =
        testing_support::setting("K_BERG_BINARY") + "; echo \"" + kEnded + "$?\"; exec sleep 600";
    return run("-f /dev/null new-session -d -s k-berg -x 80 -y 30 -c '" + folder.string() + "' '" +
               command + "' 2>&1") == "";
  }

  void type(const std::string& text) { run("send-keys -t k-berg '" + text + "' Enter"); }

  std::string screen() { return run("capture-pane -p -t k-berg"); }

  // Polls the screen until it starts with `top` and shows `last`, or 15 seconds have passed;
  // returns the screen.
  std::string wait_for_top(const std::string& top, const std::string& last = "") {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    std::string shown;
    while (!((shown = screen()).starts_with(top) && shown.find(last) != std::string::npos) &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return shown;
  }

 private:
  std::string run(const std::string& arguments) {
    std::string command = "LC_ALL=C.UTF-8 tmux -u -L " + socket_ + " " + arguments;
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[4096];
      for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
      pclose(pipe);
    }
    return output;
  }

  std::string socket_;
};

const std::string kTitle = "\n Расчет коэффициентов Берга через\n преобразование Фурье\n";
const std::string kResults = "\n Угол отсечки";

TEST(Terminal, ScreensStartAtTheTopAndPromptsShowBeforeTyping) {
  testing_support::TempDir folder;
  Tmux tmux;
  if (!tmux.start(folder.path())) GTEST_SKIP() << "tmux cannot start a session here";
  const std::string angle = kTitle + " --------------------------------\n\n Угол отсечки, (5-180):";
  EXPECT_TRUE(tmux.wait_for_top(angle).starts_with(angle)) << tmux.screen();
  tmux.type("90");
  const std::string exponent = angle + " 90\n Степень функции (1-5):";
  EXPECT_TRUE(tmux.wait_for_top(exponent).starts_with(exponent)) << tmux.screen();
  tmux.type("1");
  // The clear before the results empties the screen: the title is gone.
  std::string results = tmux.wait_for_top(kResults, "  Введите соответствующую цифру ...");
  EXPECT_TRUE(results.starts_with(kResults)) << results;
  EXPECT_NE(results.find("=     90.000\n Степень функции"), std::string::npos) << results;
  EXPECT_NE(results.find("  Введите соответствующую цифру ..."), std::string::npos) << results;
  // The sign-off, then an empty screen with the cursor at its top and status 0.
  tmux.type("3");
  std::string ended = tmux.wait_for_top(kEnded, "\n");
  EXPECT_TRUE(ended.starts_with(kEnded + "0\n")) << ended;
  EXPECT_EQ(ended.find_first_not_of('\n', kEnded.size() + 2), std::string::npos) << ended;
}

}  // namespace
