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

// Record ends and kinds are byte for byte in the kept transcripts; here, when bytes go out.
TEST(Records, WriteThroughHandsOnEachRecordOtherwiseBlocksAndPrompts) {
  HandOvers console;
  textio::Records through(console, true);
  through.text("a");
  through.formatted("f");
  through.write_empty();
  through.prompt("b? ");
  EXPECT_EQ(console.writes, (std::vector<std::string>{" a\r\n", "f\r\n", "\r\n", "b? "}));

  HandOvers file;
  textio::Records held(file, false, "<clear>");
  held.text("a");
  held.write_empty();
  EXPECT_TRUE(file.writes.empty());
  held.prompt("b? ");  // a prompt always goes out before the read that follows it
  EXPECT_EQ(file.writes, (std::vector<std::string>{" a\r\n\r\nb? "}));
  held.text(std::string(8189, 'x'));  // 8192 bytes with the blank and CR LF: a full buffer
  EXPECT_EQ(file.writes.size(), 2u);
  held.text("c");
  held.clear_screen();  // after what is pending, in the same write
  EXPECT_EQ(file.writes.back(), " c\r\n<clear>");
}

// Hands out its chunks one read at a time, as a terminal does; an empty chunk is an end of
// input that a terminal may follow with more.
struct Chunks : textio::ByteSource {
  std::vector<std::string> chunks;
  std::size_t next = 0;
  std::size_t read(char* buffer, std::size_t) override {
    const std::string chunk = next < chunks.size() ? chunks[next++] : "";
    return chunk.copy(buffer, chunk.size());
  }
};

TEST(Input, ReadsAcrossRefillsGivesHighBytesAndStaysEnded) {
  Chunks source;
  source.chunks = {std::string(4096, 'a'), "b\xD0", "", "more after the end"};
  textio::Input input(source);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(input.get(), 'a');
  EXPECT_EQ(input.peek(), 'b');
  EXPECT_EQ(input.get(), 'b');
  EXPECT_EQ(input.get(), 0xD0);
  EXPECT_EQ(input.get(), textio::Input::kEnd);
  EXPECT_EQ(input.peek(), textio::Input::kEnd);
}

}  // namespace
