#include "engine/sweep.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>

namespace {

constexpr std::int64_t kLimit = 100000;

// The last angle is the last one not above `to`, or `to` when past it by rounding alone.
TEST(Sweep, AnglesEndAtTheLastNotAboveTo) {
  const std::tuple<sweep::Range, std::int64_t, double> cases[] = {
      {{5, 180, 5}, 36, 180},    {{4.9, 180.1, 0.1}, 1753, 180.1},
      {{90, 90, 1}, 1, 90},      {{10, 10.0109999, 0.001}, 11, 10.01},
      {{4.9, 5.2, 0.1}, 4, 5.2}, {{100, 180.1, 20}, 5, 180}};
  for (const auto& [range, count, last] : cases) {
    EXPECT_EQ(sweep::count(range, kLimit), count) << range.from << " " << range.to;
    EXPECT_EQ(sweep::angle_at(range, count - 1), last) << range.from << " " << range.to;
    EXPECT_FALSE(sweep::first_repeated(range, count)) << range.from << " " << range.to;
  }
}

// Past the limit the count stops at one more than the limit, however many angles there are.
TEST(Sweep, CountStopsPastTheLimit) {
  EXPECT_EQ(sweep::count({5, 180, 0.01}, 100), 101);
  EXPECT_EQ(sweep::count({5, 180, 1e-300}, kLimit), kLimit + 1);
  EXPECT_EQ(sweep::count({5, 5.99, 0.01}, 100), 100);
}

// A step below the spacing of doubles near the range gives neighbours that are equal; the
// first of them is named.
TEST(Sweep, NeighboursThatAreEqualAreFound) {
  const sweep::Range range{180 - 1e-13, 180, 1e-15};
  const std::optional<double> repeated = sweep::first_repeated(range, sweep::count(range, kLimit));
  ASSERT_TRUE(repeated);
  EXPECT_GT(*repeated, 179.9);
  EXPECT_FALSE(sweep::first_repeated({180 - 1e-13, 180, 1e-15}, 1));
}

}  // namespace
