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
  through.prompt("b? ");
  EXPECT_EQ(console.writes, (std::vector<std::string>{" a\r\n", "b? "}));

  HandOvers file;
  textio::Records held(file, false);
  held.text("a");
  held.write_empty();
  EXPECT_TRUE(file.writes.empty());
  held.prompt("b? ");  // a prompt always goes out before the read that follows it
  EXPECT_EQ(file.writes, (std::vector<std::string>{" a\r\n\r\nb? "}));
  held.text(std::string(8189, 'x'));  // 8192 bytes with the blank and CR LF: a full buffer
  EXPECT_EQ(file.writes.size(), 2u);
}

// Hands out its chunks one read at a time, as a terminal does; an empty chunk is an end of
// input that a terminal may follow with more.
class Chunks : public textio::ByteSource {
 public:
  explicit Chunks(std::vector<std::string> chunks) : chunks_(std::move(chunks)) {}
  std::size_t read(char* buffer, std::size_t size) override {
    if (next_ == chunks_.size()) return 0;
    const std::string& chunk = chunks_[next_++];
    EXPECT_LE(chunk.size(), size);
    chunk.copy(buffer, chunk.size());
    return chunk.size();
  }

 private:
  std::vector<std::string> chunks_;
  std::size_t next_ = 0;
};

TEST(Input, ReadsAcrossRefillsGivesHighBytesAndStaysEnded) {
  Chunks source({std::string(4096, 'a'), "b\xD0", "", "more after the end"});
  textio::Input input(source);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(input.get(), 'a');
  EXPECT_EQ(input.peek(), 'b');
  EXPECT_EQ(input.get(), 'b');
  EXPECT_EQ(input.get(), 0xD0);
  EXPECT_EQ(input.get(), textio::Input::kEnd);
  EXPECT_EQ(input.peek(), textio::Input::kEnd);
}

}  // namespace
