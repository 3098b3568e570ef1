#include "textio/fields.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct FixedCase {
  double value;
  int width;
  int decimals;
  const char* expected;
};

TEST(FixedField, EditsValuesIntoTheirColumns) {
  // Digits, sign and the zero before the point, which is written only where it fits; rounding
  // from the exact binary value with exact ties to even (0.35 is stored a little below); the
  // sign of a negative value that rounds to zero; asterisks only where the value cannot fit,
  // also after rounding up; not-a-number and infinities as words, the long one where it fits.
  // clang-format off
  const FixedCase cases[] = {
      {0.25, 9, 5, "  0.25000"}, {90.0, 10, 3, "    90.000"}, {-180.0, 7, 1, " -180.0"},
      {0.5, 5, 3, "0.500"}, {0.5, 4, 3, ".500"}, {-0.5, 5, 3, "-.500"}, {3.0, 3, 0, " 3."},
      {0.25, 7, 1, "    0.2"}, {0.75, 7, 1, "    0.8"}, {0.0625, 10, 3, "     0.062"},
      {0.35, 7, 1, "    0.3"}, {0.999996, 9, 5, "  1.00000"}, {-0.0, 7, 1, "   -0.0"},
      {-0.04, 7, 1, "   -0.0"}, {99999.94, 7, 1, "99999.9"}, {99999.96, 7, 1, "*******"},
      {-9999.0, 7, 1, "-9999.0"}, {-10000.0, 7, 1, "*******"},
      {std::numeric_limits<double>::max(), 9, 5, "*********"}, {kNaN, 7, 1, "    NaN"},
      {-kNaN, 10, 3, "       NaN"}, {kInf, 7, 1, "    Inf"}, {-kInf, 7, 1, "   -Inf"},
      {kInf, 8, 3, "Infinity"}, {-kInf, 8, 3, "    -Inf"}, {-kInf, 9, 5, "-Infinity"},
      {-kInf, 3, 1, "***"}};
  // clang-format on
  for (const FixedCase& c : cases) {
    EXPECT_EQ(textio::fixed_field(c.value, {c.width, c.decimals}), c.expected)
        << c.value << " as F" << c.width << "." << c.decimals;
  }
}

// I3, right-aligned, "-" before a negative value, asterisks where it does not fit. The rows and
// parameters built of the fields are in the kept transcripts byte for byte.
TEST(IntegerField, EditsValuesIntoTheirColumns) {
  for (const auto& [value, field] :
       {std::pair{9, "  9"}, {-99, "-99"}, {-100, "***"}, {1000, "***"}})
    EXPECT_EQ(textio::integer_field(value, 3), field);
}

// Four significant digits from milliamperes to kilovolts, one decimal at least and five at most,
// a plain zero for what rounds to nothing, and a blank before every value: one too long for the
// field widens it rather than running into its neighbour or turning into asterisks.
TEST(SignificantField, KeepsFourDigitsAndABlankBefore) {
  for (const auto& [value, field] : {std::pair{0.785398, "   0.7854"},
                                     {12.54, "    12.54"},
                                     {-1234.56, "  -1234.6"},
                                     {0.00123456, "  0.00123"},
                                     {-0.000004, "    0.000"},
                                     {104022.2, " 104022.2"},
                                     {-103641.54, " -103641.5"},
                                     {1.5e12, " 1500000000000.0"},
                                     {9.99996, "   10.000"}})
    EXPECT_EQ(textio::significant_field(value, 9), field) << value;
}

}  // namespace
