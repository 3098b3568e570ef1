// The dialogue driven in-process: scripted input, output to a string, and a fake screen that
// marks where the screen is cleared and where the program pauses, instead of doing either.
#include "dialogue/main_routine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/run_program.h"
#include "textio/failure.h"

namespace {

class MarkingScreen : public platform::Screen {
 public:
  explicit MarkingScreen(textio::StringSink& sink) : sink_(sink) {}
  void clear() override { sink_.write("<clear>"); }
  void pause(int seconds) override { sink_.write("<pause " + std::to_string(seconds) + ">"); }

 private:
  textio::StringSink& sink_;
};

// What one run of the dialogue wrote, and the reason it failed with, if it did.
struct Outcome {
  std::string out, failure;
};

// Runs the dialogue in a folder of its own, so that saves land there. Its output is held as it
// is for a file, so that a clear or a pause that came before a flush shows out of place.
class MainRoutine : public testing::Test {
 protected:
  Outcome run(const std::string& input) {
    textio::StringSource source(input);
    textio::Input in(source);
    textio::StringSink sink;
    textio::Records out(sink, false);
    MarkingScreen screen(sink);
    dialogue::Console console{in, out, screen};
    Outcome outcome;
    try {
      dialogue::main_routine(console);
    } catch (const textio::Failure& failure) {
      outcome.failure = failure.reason();
    }
    out.flush();
    outcome.out = sink.text();
    return outcome;
  }

  testing_support::CurrentTempDir folder_;
};

int count(const std::string& text, const std::string& part) {
  int found = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++found;
  }
  return found;
}

std::string without_marks(std::string text) {
  for (const char* mark : {"<clear>", "<pause 1>"}) {
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark)) {
      text.erase(at, std::string(mark).size());
    }
  }
  return text;
}

// The kept transcripts of the real program, which the end-to-end runs also compare with.
std::string kept(const std::string& name) {
  return testing_support::read_file(std::filesystem::path(K_BERG_TRANSCRIPTS) / name);
}

TEST_F(MainRoutine, WritesTheKeptTranscriptClearingAndPausingWhereItShould) {
  Outcome outcome = run("90\n1\n2\n3\n");
  EXPECT_EQ(without_marks(outcome.out), kept("save-90-1.stdout"));
  EXPECT_EQ(folder_.read("K-Berg.txt"), kept("save-90-1.K-Berg.txt"));
  EXPECT_TRUE(outcome.out.starts_with("<clear>\r\n Расчет"));
  EXPECT_EQ(count(outcome.out, "<clear>\r\n Угол отсечки\t\t=     90.000\r\n"), 2);
  EXPECT_EQ(count(outcome.out, "файл...\r\n<pause 1><clear>\r\n Угол"), 1);
  EXPECT_TRUE(outcome.out.ends_with("  \r\n 73!\r\n<pause 1><clear>"));
  EXPECT_EQ(count(outcome.out, "<clear>"), 4);
}

struct Flow {
  std::string input;
  int angle_prompts, exponent_prompts, menu_prompts, wrong_entries, saves;
  std::string failure, shown;  // the reason the dialogue failed with; a part of its output
};

TEST_F(MainRoutine, Flows) {
  // Input; angle, exponent and menu prompts; wrong entries; saves; failure; a part shown.
  // clang-format off
  const Flow flows[] = {
      // Range ends, not-a-number, infinities and null entries: asked again, silently.
      {"4.89\n180.11\nnan\n/\n1e999\n-0\n180.1\n0.92\n5.02\ninf\nNaN(1)\n0.93\n3\n",
       7, 5, 1, 0, 0, "", "=    180.100\r\n Степень функции\t=      0.930\r\n"},
      // A new calculation asks both values again; wrong menu entries get the message.
      {"4.9\n5.01\n1\n90,5\n1\n0\n4\n-1\nabc\n2.5\n3\n", 2, 2, 5, 2, 0, "",
       "=      4.900\r\n Степень функции\t=      5.010\r\n"},
      {"90\n1\n2\n2\n3\n", 1, 1, 3, 0, 2, "", ""},
      {"90\n1\n2\nx\n", 1, 1, 2, 1, 1, "End of file", ""},
      {"90\nabc\n", 1, 1, 0, 0, 0, "Bad real number in item 1 of list input", ""}};
  // clang-format on
  for (const Flow& flow : flows) {
    std::filesystem::remove("K-Berg.txt");
    Outcome outcome = run(flow.input);
    SCOPED_TRACE(flow.input);
    EXPECT_EQ(count(outcome.out, " Угол отсечки, (5-180): "), flow.angle_prompts);
    EXPECT_EQ(count(outcome.out, " Степень функции (1-5): "), flow.exponent_prompts);
    EXPECT_EQ(count(outcome.out, "  Введите соответствующую цифру ...  "), flow.menu_prompts);
    EXPECT_EQ(count(outcome.out, " Введен неверный символ"), flow.wrong_entries);
    EXPECT_EQ(count(outcome.out, " Результаты записаны в файл..."), flow.saves);
    EXPECT_EQ(count(folder_.read("K-Berg.txt"), " Угол отсечки"), flow.saves);
    EXPECT_EQ(outcome.failure, flow.failure);
    EXPECT_NE(outcome.out.find(flow.shown), std::string::npos);
    EXPECT_EQ(outcome.out.find("NaN"), std::string::npos);
    EXPECT_EQ(outcome.out.find("Inf"), std::string::npos);
  }
}

TEST_F(MainRoutine, ASaveThatFailsIsNeverConfirmed) {
  std::filesystem::create_symlink("/dev/full", "K-Berg.txt");
  Outcome outcome = run("90\n1\n2\n3\n");
  EXPECT_EQ(outcome.failure, "Cannot write to file 'K-Berg.txt': No space left on device");
  EXPECT_TRUE(outcome.out.ends_with("  Введите соответствующую цифру ...  ")) << outcome.out;
}

}  // namespace
