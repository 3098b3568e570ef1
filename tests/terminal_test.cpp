// k-berg on a real terminal: tmux runs it, the test types with send-keys and reads the
// screen with capture-pane. Each screen must start at the top after it was cleared, each
// prompt must stand on screen before its answer is typed, and the Russian text must show.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/run_program.h"

namespace {

using testing_support::program_command;
using testing_support::TempDir;

using Screen = std::vector<std::string>;

const std::string kEnded = "k-berg ended with status ";

std::string shell_word(const std::string& word) {
  std::string text = "'";
  for (char c : word) text += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return text + "'";
}

// One tmux server of this test's own, on a socket nobody else uses, killed at the end.
class Tmux {
 public:
  explicit Tmux(const TempDir& folder) : folder_(folder) {
    std::random_device random;
    socket_ = "k-berg-test-" + std::to_string(getpid()) + "-" + std::to_string(random());
  }
  ~Tmux() {
    if (!started_) return;
    std::string socket = run("display-message -p -t k-berg '#{socket_path}'");
    socket = socket.substr(0, socket.find('\n'));
    run("kill-server 2>/dev/null");
    std::error_code ignored;
    if (!socket.empty()) std::filesystem::remove(socket, ignored);
  }

  // Starts k-berg in a detached 80 x 30 terminal; false where tmux cannot start. When k-berg
  // ends, the shell writes its exit status where the cursor stands and keeps the terminal
  // open: tmux may drop the last output of a terminal whose processes have all ended.
  bool start() {
    std::string command;
    for (const std::string& word : program_command()) command += shell_word(word) + " ";
    command += "; echo \"" + kEnded + "$?\"; exec sleep 600";
    started_ = run("-f /dev/null new-session -d -s k-berg -x 80 -y 30 -c " +
                   shell_word(folder_.path().string()) + " " + shell_word(command) + " 2>&1") == "";
    return started_;
  }

  void type(const std::string& text) {
    run("send-keys -t k-berg -l " + shell_word(text));
    run("send-keys -t k-berg Enter");
  }

  Screen screen() {
    Screen lines;
    std::istringstream text(run("capture-pane -p -t k-berg"));
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
  }

  std::string scrollback() { return run("capture-pane -p -S - -E -1 -t k-berg"); }

  // Polls the screen until `ready` holds or 15 seconds have passed; returns the last screen.
  Screen wait_for(const std::function<bool(const Screen&)>& ready) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    Screen lines = screen();
    while (!ready(lines) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      lines = screen();
    }
    return lines;
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

  const TempDir& folder_;
  std::string socket_;
  bool started_ = false;
};

bool line_starts_with(const Screen& screen, std::size_t row, const std::string& text) {
  return screen.size() > row && screen[row].starts_with(text);
}

bool shows(const Screen& screen, const std::string& text) {
  for (const std::string& line : screen) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

std::string dump(const Screen& screen) {
  std::string text = "screen:\n";
  for (const std::string& line : screen) text += "|" + line + "\n";
  return text;
}

const std::string kTitle = " Расчет коэффициентов Берга через";
const std::string kAnglePrompt = " Угол отсечки, (5-180):";
const std::string kExponentPrompt = " Степень функции (1-5):";
const std::string kAngleRecord = " Угол отсечки";
const std::string kMenuPrompt = "  Введите соответствующую цифру ...";
const std::string kSaved = "  Результаты записаны в файл...";

// The results screen for angle 90, exponent 1, standing at the top, with the menu prompt.
bool results_at_top(const Screen& screen) {
  return line_starts_with(screen, 0, "") && screen[0].empty() &&
         line_starts_with(screen, 1, kAngleRecord) && screen[1].ends_with("90.000") &&
         line_starts_with(screen, 2, " Степень функции") && screen[2].ends_with("1.000") &&
         line_starts_with(screen, 8, "       1         0.50000        0.0") &&
         line_starts_with(screen, 22, kMenuPrompt);
}

TEST(Terminal, ScreensStartAtTheTopAndPromptsShowBeforeTyping) {
  TempDir folder;
  Tmux tmux(folder);
  if (!tmux.start()) GTEST_SKIP() << "tmux cannot start a session here";

  Screen screen =
      tmux.wait_for([](const Screen& s) { return line_starts_with(s, 5, kAnglePrompt); });
  ASSERT_TRUE(line_starts_with(screen, 5, kAnglePrompt)) << dump(screen);
  EXPECT_TRUE(screen[0].empty()) << dump(screen);
  EXPECT_EQ(screen[1], kTitle) << dump(screen);
  EXPECT_EQ(screen[2], " преобразование Фурье") << dump(screen);
  tmux.type("90");

  screen = tmux.wait_for([](const Screen& s) { return line_starts_with(s, 6, kExponentPrompt); });
  ASSERT_TRUE(line_starts_with(screen, 6, kExponentPrompt)) << dump(screen);
  EXPECT_EQ(screen[5], kAnglePrompt + " 90") << dump(screen);
  tmux.type("1");

  // The clear before the results empties the screen and its scroll-back: the title is gone.
  screen = tmux.wait_for(results_at_top);
  ASSERT_TRUE(results_at_top(screen)) << dump(screen);
  EXPECT_FALSE(shows(screen, kTitle)) << dump(screen);
  EXPECT_EQ(tmux.scrollback().find(kTitle), std::string::npos) << tmux.scrollback();

  // After a save the confirmation shows, then the results are drawn again from the top.
  tmux.type("2");
  screen = tmux.wait_for([](const Screen& s) { return shows(s, kSaved); });
  ASSERT_TRUE(shows(screen, kSaved)) << dump(screen);
  screen = tmux.wait_for([](const Screen& s) { return results_at_top(s) && !shows(s, kSaved); });
  ASSERT_TRUE(results_at_top(screen) && !shows(screen, kSaved)) << dump(screen);
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "K-Berg.txt"));

  // The sign-off, then an empty screen and status 0.
  tmux.type("3");
  screen = tmux.wait_for([](const Screen& s) { return shows(s, " 73!"); });
  EXPECT_TRUE(shows(screen, " 73!")) << dump(screen);
  screen = tmux.wait_for([](const Screen& s) { return shows(s, kEnded); });
  ASSERT_TRUE(shows(screen, kEnded)) << dump(screen);
  // The last clear left the cursor at the top of an empty screen.
  EXPECT_EQ(screen[0], kEnded + "0") << dump(screen);
  for (std::size_t row = 1; row < screen.size(); ++row) {
    EXPECT_EQ(screen[row], "") << dump(screen);
  }
}

}  // namespace
