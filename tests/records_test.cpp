#include "textio/records.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Keeps each hand-over separately, to show when the record layer passes bytes on.
class HandOvers : public textio::ByteSink {
 public:
  void write(std::string_view bytes) override { writes.emplace_back(bytes); }
  std::vector<std::string> writes;
};

TEST(Records, KindsAndRecordEnds) {
  textio::StringSink sink;
  {
    textio::Records records(sink, true);
    records.write_empty();
    records.text(" starts with its own blank ");
    records.formatted("  1.000");
    records.prompt("prompt: ");
    records.text("");
  }
  EXPECT_EQ(sink.text(), "\r\n  starts with its own blank \r\n  1.000\r\nprompt:  \r\n");
}

TEST(Records, AConsoleOrPipeGetsEveryRecordAndPromptAtOnce) {
  HandOvers sink;
  textio::Records records(sink, true);
  records.text("a");
  records.prompt("b? ");
  EXPECT_EQ(sink.writes, (std::vector<std::string>{" a\r\n", "b? "}));
}

TEST(Records, AFileIsWrittenInBlocksButPromptsStillGoOut) {
  HandOvers sink;
  textio::Records records(sink, false);
  records.text("a");
  records.write_empty();
  EXPECT_TRUE(sink.writes.empty());
  records.prompt("b? ");
  EXPECT_EQ(sink.writes, (std::vector<std::string>{" a\r\n\r\nb? "}));

  std::string long_text(9000, 'x');
  records.text(long_text);
  ASSERT_EQ(sink.writes.size(), 2u);
  EXPECT_EQ(sink.writes[1].size(), 1 + long_text.size() + 2);
}

TEST(Input, ReadsAcrossBufferRefillsAndStaysEnded) {
  std::string text(10000, 'a');
  text += 'z';
  textio::StringSource source(text);
  textio::Input input(source);
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(input.get(), 'a');
  EXPECT_EQ(input.peek(), 'z');
  EXPECT_EQ(input.get(), 'z');
  EXPECT_EQ(input.get(), textio::Input::kEnd);
  EXPECT_EQ(input.peek(), textio::Input::kEnd);
}

TEST(Input, GivesHighBytesAsNonNegativeValues) {
  textio::StringSource source(std::string("\xD0\x00", 2));
  textio::Input input(source);
  EXPECT_EQ(input.get(), 0xD0);
  EXPECT_EQ(input.get(), 0);
}

}  // namespace
