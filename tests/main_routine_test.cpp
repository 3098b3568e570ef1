// The dialogue driven in-process: scripted input, output to a string, and a fake screen that
// marks where the screen is cleared and where the program pauses, instead of doing either.
#include "dialogue/main_routine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/run_program.h"

namespace {

class MarkingScreen : public platform::Screen {
 public:
  explicit MarkingScreen(textio::StringSink& sink) : sink_(sink) {}
  void clear() override { sink_.write("<clear>"); }
  void pause(int seconds) override { sink_.write("<pause " + std::to_string(seconds) + ">"); }

 private:
  textio::StringSink& sink_;
};

// Runs the dialogue in a folder of its own, so that saves land there.
class MainRoutine : public testing::Test {
 protected:
  std::string transcript(const std::string& input) {
    textio::StringSource source(input);
    textio::Input in(source);
    textio::StringSink sink;
    textio::Records out(sink, true);
    MarkingScreen screen(sink);
    dialogue::Console console{in, out, screen};
    dialogue::main_routine(console);
    return sink.text();
  }

  testing_support::CurrentTempDir folder_;
};

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t found = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++found;
  }
  return found;
}

TEST_F(MainRoutine, ClearsBeforeEachScreenAndPausesAfterSaveAndSignOff) {
  std::string out = transcript("90\n1\n2\n3\n");
  EXPECT_TRUE(out.starts_with("<clear>\r\n Расчет коэффициентов Берга через\r\n"));
  // The results screen is shown twice: after the calculation and after the save.
  EXPECT_EQ(count(out, "<clear>\r\n Угол отсечки\t\t=     90.000\r\n"), 2u);
  EXPECT_NE(out.find("  Результаты записаны в файл...\r\n<pause 1><clear>\r\n Угол"),
            std::string::npos);
  EXPECT_TRUE(out.ends_with("  Введите соответствующую цифру ...  \r\n 73!\r\n<pause 1><clear>"));
  EXPECT_EQ(count(out, "<clear>"), 4u);
}

TEST_F(MainRoutine, RepeatAsksBothValuesAgainWithoutDefaults) {
  std::string out = transcript("90\n1\n1\n4,9\n5.01\n3\n");
  EXPECT_EQ(count(out, " Угол отсечки, (5-180): "), 2u);
  EXPECT_EQ(count(out, " Степень функции (1-5): "), 2u);
  EXPECT_NE(out.find(" Угол отсечки\t\t=      4.900\r\n Степень функции\t=      5.010\r\n"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists("K-Berg.txt"));
}

TEST_F(MainRoutine, RangeEndsAreAcceptedAndJustBeyondAskedAgain) {
  std::string out = transcript("4.89\n180.11\n180.1\n0.92\n5.02\n0.93\n3\n");
  EXPECT_EQ(count(out, " Угол отсечки, (5-180): "), 3u);
  EXPECT_EQ(count(out, " Степень функции (1-5): "), 3u);
  EXPECT_NE(out.find("=    180.100\r\n Степень функции\t=      0.930\r\n"), std::string::npos);
}

TEST_F(MainRoutine, NotANumberAndInfinitiesNeverReachTheTable) {
  std::string out = transcript("nan\ninf\n-inf\n1e999\n90\nNaN(1)\n1\n3\n");
  EXPECT_EQ(count(out, " Угол отсечки, (5-180): "), 5u);
  EXPECT_EQ(count(out, " Степень функции (1-5): "), 2u);
  EXPECT_EQ(out.find("NaN"), std::string::npos);
  EXPECT_EQ(out.find("Inf"), std::string::npos);
}

}  // namespace
