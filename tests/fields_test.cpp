#include "textio/fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <tuple>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kLeast = std::numeric_limits<double>::denorm_min();

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
      {kMax, 9, 5, "*********"}, {-1e308, 10, 3, "**********"}, {kLeast, 9, 5, "  0.00000"},
      {-kLeast, 9, 5, " -0.00000"}, {kNaN, 7, 1, "    NaN"},
      {-kNaN, 10, 3, "       NaN"}, {kInf, 7, 1, "    Inf"}, {-kInf, 7, 1, "   -Inf"},
      {kInf, 8, 3, "Infinity"}, {-kInf, 8, 3, "    -Inf"}, {-kInf, 9, 5, "-Infinity"},
      {-kInf, 3, 1, "***"}};
  // clang-format on
  for (const FixedCase& c : cases) {
    EXPECT_EQ(textio::fixed_field(c.value, {c.width, c.decimals}), c.expected)
        << c.value << " as F" << c.width << "." << c.decimals;
  }
}

// The rows of k-berg-table and the page: what rounds to zero has no sign, whatever the value's
// sign; everything else as the results screen edits it.
TEST(RowField, ShowsZeroWithoutASign) {
  for (const auto& [value, field] : {std::pair{-0.0, "  0.00000"},
                                     {-0.000004, "  0.00000"},
                                     {-kLeast, "  0.00000"},
                                     {-0.000006, " -0.00001"},
                                     {-0.25, " -0.25000"},
                                     {-kInf, "-Infinity"},
                                     {kNaN, "      NaN"},
                                     {-1e308, "*********"}}) {
    EXPECT_EQ(textio::row_field(value, textio::kModulusEdit), field) << value;
    EXPECT_EQ(textio::trimmed_field(value, textio::kModulusEdit),
              std::string(field).substr(std::string(field).find_first_not_of(' ')))
        << value;
  }
}

// I3, right-aligned, "-" before a negative value, asterisks where it does not fit. The rows and
// parameters built of the fields are in the kept transcripts byte for byte.
TEST(IntegerField, EditsValuesIntoTheirColumns) {
  for (const auto& [value, field] :
       {std::pair{9, "  9"}, {-99, "-99"}, {-100, "***"}, {1000, "***"}})
    EXPECT_EQ(textio::integer_field(value, 3), field);
}

// Four significant digits from microamperes to megohms: one decimal at least and five at most
// from a hundredth to a million, a power of ten below and above, zero only for zero; a blank
// before every value: one too long for the field widens it rather than running into its
// neighbour or turning into asterisks, and no value of any size makes a field longer than a
// few columns beyond its own.
TEST(SignificantField, KeepsFourDigitsAndABlankBefore) {
  const std::pair<double, const char*> cases[] = {
      {0.785398, "   0.7854"},   {12.54, "    12.54"},          {-1234.56, "  -1234.6"},
      {0.0123456, "  0.01235"},  {0.01, "  0.01000"},           {0.00999996, " 1.000e-2"},
      {0.00123456, " 1.235e-3"}, {4.28700183e-06, " 4.287e-6"}, {-0.000004, " -4.000e-6"},
      {1.5e-10, " 1.500e-10"},   {kLeast, " 4.941e-324"},       {0.0, "    0.000"},
      {-0.0, "    0.000"},       {104022.2, " 104022.2"},       {-103641.54, " -103641.5"},
      {999999.94, " 999999.9"},  {999999.96, " 1000000.0"},     {1e6, "  1.000e6"},
      {1.5e12, " 1.500e12"},     {-1e308, " -1.000e308"},       {kMax, " 1.798e308"},
      {kInf, " Infinity"},       {-kInf, " -Infinity"},         {kNaN, "      NaN"},
      {9.99996, "   10.000"}};
  for (const auto& [value, field] : cases)
    EXPECT_EQ(textio::significant_field(value, 9), field) << value;
}

// Four digits at least in the unit asked for, and every whole unit; the rounding to four can
// carry into a fifth place before the point, which is then kept too.
TEST(DigitsInUnits, FourDigitsAtLeastAndEveryWholeUnit) {
  const std::tuple<double, int, const char*> cases[] = {{1.021e-10, -12, "102.1"},
                                                        {5.57e-6, -6, "5.570"},
                                                        {12345.6e-12, -12, "12346"},
                                                        {0.5123e-12, -12, "0.5123"},
                                                        {0.00123456, 0, "0.001235"},
                                                        {0.000123456, 0, "1.235e-4"},
                                                        {9999.7, 0, "9999.7"},
                                                        {999.96, 0, "1000"},
                                                        {2000, 0, "2000"},
                                                        {-222.74, 0, "-222.7"},
                                                        {0.0, -12, "0"},
                                                        {4.28700183e-18, -12, "4.287e-6"},
                                                        {-1.9e18, 6, "-1.900e12"}};
  for (const auto& [value, power, text] : cases)
    EXPECT_EQ(textio::digits_in_units(value, power), text) << value;
}

// Every field of any double has its width or, for a value of any size, a few columns more;
// the shortest text reads back as the value.
TEST(Fields, AnyDoubleGivesABoundedField) {
  for (double value : {kNaN, kInf, -kInf, kMax, -kMax, 1e308, -1e308, kLeast, -kLeast, -0.0}) {
    EXPECT_EQ(textio::fixed_field(value, textio::kParameterEdit).size(), 10u) << value;
    EXPECT_EQ(textio::row_field(value, textio::kPhaseEdit).size(), 7u) << value;
    EXPECT_LE(textio::parameter_text(value).size(), 10u) << value;
    EXPECT_LE(textio::significant_field(value, 9).size(), 12u) << value;
    EXPECT_EQ(textio::parameter_fields("x", value).size(), 11u) << value;
    EXPECT_EQ(textio::harmonic_row_fields(1, value, value).size(), 35u) << value;
    const std::string shortest = textio::shortest_text(value);
    EXPECT_TRUE(std::isnan(value) || std::strtod(shortest.c_str(), nullptr) == value) << shortest;
  }
}

}  // namespace
