// The dialogue driven in-process: scripted input, output to a string, and a fake screen that
// marks where the screen is cleared and where the program pauses, instead of doing either.
#include "dialogue/main_routine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/run_program.h"
#include "textio/failure.h"

namespace {

// Marks a clear of the screen with a form feed and each second of a pause with a vertical tab,
// in the output among the records, instead of doing either.
class MarkingScreen : public platform::Screen {
 public:
  explicit MarkingScreen(textio::StringSink& sink) : sink_(sink) {}
  void clear() override { sink_.write("\f"); }
  void pause(int seconds) override { sink_.write(std::string(seconds, '\v')); }

 private:
  textio::StringSink& sink_;
};

// Runs the dialogue in a folder of its own, so that saves land there, and returns what it
// wrote; `failure` gets the reason it failed with, if it did. Its output is held as it is for
// a file, so that a clear or a pause that came before a flush shows out of place.
class MainRoutine : public testing::Test {
 protected:
  std::string run(const std::string& input, std::string* failure = nullptr) {
    textio::StringSource source(input);
    textio::Input in(source);
    textio::StringSink sink;
    textio::Records out(sink, false);
    MarkingScreen screen(sink);
    dialogue::Console console{in, out, screen};
    try {
      dialogue::main_routine(console);
    } catch (const textio::Failure& thrown) {
      if (failure != nullptr) *failure = thrown.reason();
    }
    out.flush();
    return sink.text();
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

// Compared with the transcripts kept from the real program, which the end-to-end runs also use.
TEST_F(MainRoutine, WritesTheKeptTranscriptClearingAndPausingWhereItShould) {
  std::string out = run("90\n1\n2\n3\n");
  EXPECT_TRUE(out.starts_with("\f\r\n Расчет"));
  EXPECT_EQ(count(out, "\f\r\n Угол отсечки\t\t=     90.000\r\n"), 2);
  EXPECT_EQ(count(out, "файл...\r\n\v\f\r\n Угол"), 1);
  EXPECT_TRUE(out.ends_with("  \r\n 73!\r\n\v\f"));
  EXPECT_EQ(std::erase(out, '\f'), 4u);
  EXPECT_EQ(std::erase(out, '\v'), 2u);
  const std::string kept = std::string(K_BERG_TRANSCRIPTS) + "/save-90-1.";
  EXPECT_EQ(out, testing_support::read_file(kept + "stdout"));
  EXPECT_EQ(folder_.read("K-Berg.txt"), testing_support::read_file(kept + "K-Berg.txt"));
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
    std::string failure;
    const std::string out = run(flow.input, &failure);
    SCOPED_TRACE(flow.input);
    EXPECT_EQ(count(out, " Угол отсечки, (5-180): "), flow.angle_prompts);
    EXPECT_EQ(count(out, " Степень функции (1-5): "), flow.exponent_prompts);
    EXPECT_EQ(count(out, "  Введите соответствующую цифру ...  "), flow.menu_prompts);
    EXPECT_EQ(count(out, " Введен неверный символ"), flow.wrong_entries);
    EXPECT_EQ(count(out, " Результаты записаны в файл..."), flow.saves);
    EXPECT_EQ(count(folder_.read("K-Berg.txt"), " Угол отсечки"), flow.saves);
    EXPECT_EQ(failure, flow.failure);
    EXPECT_NE(out.find(flow.shown), std::string::npos);
    EXPECT_EQ(out.find("NaN"), std::string::npos);
    EXPECT_EQ(out.find("Inf"), std::string::npos);
  }
}

}  // namespace
