#include "textio/fields.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using textio::fixed_field;
using textio::integer_field;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FixedField, PlacesDigitsSignAndLeadingZero) {
  EXPECT_EQ(fixed_field(0.25, 9, 5), "  0.25000");
  EXPECT_EQ(fixed_field(90.0, 10, 3), "    90.000");
  EXPECT_EQ(fixed_field(-180.0, 7, 1), " -180.0");
  EXPECT_EQ(fixed_field(1.0, 10, 3), "     1.000");
  EXPECT_EQ(fixed_field(0.0, 7, 1), "    0.0");
  // The zero before the point is written only where there is room for it.
  EXPECT_EQ(fixed_field(0.5, 5, 3), "0.500");
  EXPECT_EQ(fixed_field(0.5, 4, 3), ".500");
  EXPECT_EQ(fixed_field(-0.5, 5, 3), "-.500");
  EXPECT_EQ(fixed_field(3.0, 3, 0), " 3.");
}

TEST(FixedField, RoundsFromTheExactBinaryValueWithTiesToEven) {
  EXPECT_EQ(fixed_field(0.25, 7, 1), "    0.2");
  EXPECT_EQ(fixed_field(0.75, 7, 1), "    0.8");
  EXPECT_EQ(fixed_field(0.0625, 10, 3), "     0.062");
  EXPECT_EQ(fixed_field(0.125, 9, 2), "     0.12");
  // 0.35 is stored a little below 0.35, and 2.675 a little below 2.675.
  EXPECT_EQ(fixed_field(0.35, 7, 1), "    0.3");
  EXPECT_EQ(fixed_field(2.675, 9, 2), "     2.67");
  EXPECT_EQ(fixed_field(0.999996, 9, 5), "  1.00000");
  EXPECT_EQ(fixed_field(0.31830988618379069, 9, 5), "  0.31831");
}

TEST(FixedField, KeepsTheSignOfNegativeValuesThatRoundToZero) {
  EXPECT_EQ(fixed_field(-0.0, 7, 1), "   -0.0");
  EXPECT_EQ(fixed_field(-0.04, 7, 1), "   -0.0");
  EXPECT_EQ(fixed_field(-1e-300, 9, 5), " -0.00000");
}

TEST(FixedField, FillsWithAsterisksOnlyWhenTheValueCannotFit) {
  EXPECT_EQ(fixed_field(100000.0, 7, 1), "*******");
  EXPECT_EQ(fixed_field(99999.94, 7, 1), "99999.9");
  EXPECT_EQ(fixed_field(99999.96, 7, 1), "*******");  // rounds up to 100000.0
  EXPECT_EQ(fixed_field(-10000.0, 7, 1), "*******");
  EXPECT_EQ(fixed_field(-9999.0, 7, 1), "-9999.0");
  EXPECT_EQ(fixed_field(1e300, 10, 3), "**********");
  EXPECT_EQ(fixed_field(std::numeric_limits<double>::max(), 9, 5), "*********");
}

TEST(FixedField, WritesNotANumberAndInfinitiesAsWords) {
  EXPECT_EQ(fixed_field(std::numeric_limits<double>::quiet_NaN(), 7, 1), "    NaN");
  EXPECT_EQ(fixed_field(-std::numeric_limits<double>::quiet_NaN(), 10, 3), "       NaN");
  EXPECT_EQ(fixed_field(kInf, 7, 1), "    Inf");
  EXPECT_EQ(fixed_field(-kInf, 7, 1), "   -Inf");
  EXPECT_EQ(fixed_field(kInf, 9, 5), " Infinity");
  EXPECT_EQ(fixed_field(-kInf, 9, 5), "-Infinity");
  EXPECT_EQ(fixed_field(kInf, 10, 3), "  Infinity");
  EXPECT_EQ(fixed_field(-kInf, 10, 3), " -Infinity");
  EXPECT_EQ(fixed_field(kInf, 8, 3), "Infinity");
  EXPECT_EQ(fixed_field(-kInf, 8, 3), "    -Inf");
  EXPECT_EQ(fixed_field(-kInf, 3, 1), "***");
}

TEST(IntegerField, RightAlignsAndOverflowsToAsterisks) {
  EXPECT_EQ(integer_field(0, 3), "  0");
  EXPECT_EQ(integer_field(9, 3), "  9");
  EXPECT_EQ(integer_field(-5, 3), " -5");
  EXPECT_EQ(integer_field(-99, 3), "-99");
  EXPECT_EQ(integer_field(-100, 3), "***");
  EXPECT_EQ(integer_field(1000, 3), "***");
  EXPECT_EQ(integer_field(std::numeric_limits<std::int64_t>::min(), 20), "-9223372036854775808");
}

TEST(RecordFormats, HarmonicRowIsThirtyFiveColumns) {
  std::string row = textio::harmonic_row_fields(4, 0.042441318157838755, 180.0);
  EXPECT_EQ(row, "       4         0.04244      180.0");
  EXPECT_EQ(row.size(), 35u);
  EXPECT_EQ(textio::parameter_fields(" x= ", 90.5), " x=     90.500");
}

}  // namespace
