// The dialogue driven in-process: scripted input, output to a string, saves into fake files,
// the screen cleared by a form feed and each second of a pause marked by a vertical tab.
#include "dialogue/main_routine.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/fake_files.h"
#include "textio/failure.h"

namespace {

// Marks each second of a pause straight into the sink, past the records: output that was not
// flushed before the pause shows after the mark.
class MarkingPause : public platform::Pause {
 public:
  explicit MarkingPause(textio::StringSink& sink) : sink_(sink) {}
  void wait(int seconds) override { sink_.write(std::string(seconds, '\v')); }

 private:
  textio::StringSink& sink_;
};

struct Outcome {
  std::string out;      // what the dialogue wrote and handed on
  std::string failure;  // the reason it failed with, if it did
  std::string saved;    // the report file
};

// Output is held as it is for a file, and not flushed after the dialogue unless it failed:
// what it did not hand on itself is missing.
Outcome run(const std::string& input) {
  textio::StringSource source(input);
  textio::Input in(source);
  textio::StringSink sink;
  textio::Records out(sink, false, "\f");
  MarkingPause pause(sink);
  testing_support::FakeFiles files;
  dialogue::Console console{in, out, pause, files};
  Outcome result;
  try {
    dialogue::main_routine(console);
  } catch (const textio::Failure& thrown) {
    result.failure = thrown.reason();
    out.flush();  // as main does before it reports the failure
  }
  result.out = sink.text();
  result.saved = files.content;
  return result;
}

int count(const std::string& text, const std::string& part) {
  int found = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++found;
  return found;
}

TEST(MainRoutine, ClearsAndPausesWhereItShould) {
  const std::string out = run("90\n1\n2\n3\n").out;
  EXPECT_TRUE(out.starts_with("\f\r\n Расчет")) << out;
  EXPECT_EQ(count(out, "\f\r\n Угол отсечки\t\t=     90.000\r\n"), 2);
  EXPECT_EQ(count(out, "файл...\r\n\v\f\r\n Угол"), 1);
  EXPECT_TRUE(out.ends_with("  \r\n 73!\r\n\v\f")) << out;
  EXPECT_EQ(count(out, "\f"), 4);
  EXPECT_EQ(count(out, "\v"), 2);
}

struct Flow {
  std::string input;
  int angle_prompts, exponent_prompts, menu_prompts, wrong_entries, saves;
  std::string failure, shown;  // the reason the dialogue failed with; a part of its output
};

TEST(MainRoutine, Flows) {
  // Input; angle, exponent and menu prompts; wrong entries; saves; failure; a part shown.
  const Flow flows[] = {
      // Range ends, not-a-number, infinities and null entries: asked again, silently.
      {"4.89\n180.11\nnan\n/\n1e999\n-0\n180.1\n0.92\n5.02\ninf\nNaN(1)\n0.93\n3\n", 7, 5, 1, 0, 0,
       "", "=    180.100\r\n Степень функции\t=      0.930\r\n"},
      // A new calculation asks both values again; wrong menu entries get the message.
      {"4.9\n5.01\n1\n90,5\n1\n0\n4\n-1\nabc\n2.5\n3\n", 2, 2, 5, 2, 0, "",
       "=      4.900\r\n Степень функции\t=      5.010\r\n"},
      {"90\n1\n2\n2\n3\n", 1, 1, 3, 0, 2, "", "\r\n       4         0.04244      180.0\r\n"},
      {"90\n1\n2\nx\n", 1, 1, 2, 1, 1, "End of file", ""},
      {"90\nabc\n", 1, 1, 0, 0, 0, "Bad real number in item 1 of list input", ""}};
  for (const Flow& flow : flows) {
    const Outcome result = run(flow.input);
    const std::string& out = result.out;
    SCOPED_TRACE(flow.input);
    EXPECT_EQ(count(out, " Угол отсечки, (5-180): "), flow.angle_prompts);
    EXPECT_EQ(count(out, " Степень функции (1-5): "), flow.exponent_prompts);
    EXPECT_EQ(count(out, "  Введите соответствующую цифру ...  "), flow.menu_prompts);
    EXPECT_EQ(count(out, " Введен неверный символ"), flow.wrong_entries);
    EXPECT_EQ(count(out, " Результаты записаны в файл..."), flow.saves);
    EXPECT_EQ(
        count(result.saved, " Угол отсечки\t\t=     90.000\r\n Степень функции\t=      1.000"),
        flow.saves);
    EXPECT_EQ(result.failure, flow.failure);
    EXPECT_NE(out.find(flow.shown), std::string::npos);
    EXPECT_EQ(out.find("NaN"), std::string::npos);
    EXPECT_EQ(out.find("Inf"), std::string::npos);
  }
}

}  // namespace
