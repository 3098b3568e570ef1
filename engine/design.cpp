#include "engine/design.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "engine/berg.h"

namespace design {

namespace {

constexpr double kCoarseStep = 0.1;
constexpr int kFinePerCoarse = 10;
constexpr double kFineStep = 0.01;
// A dip smaller than the last printed digit does not end a lobe.
constexpr double kLobeDip = 0.00001;
// Values closer than this are equal but for rounding.
constexpr double kRoundingTie = 1e-14;
// Bisection stops when the bracket is narrower than this, in degrees.
constexpr double kAngleTolerance = 0.0001;

// The coarse angles are 4.9 + i/10 and the fine ones 4.9 + j/100, up to 180.1.
constexpr int kLastCoarse = 1752;
constexpr int kLastFine = kLastCoarse * kFinePerCoarse;

double coarse_angle(int i) {
  return std::min(berg::kLowestAngle + i * kCoarseStep, berg::kHighestAngle);
}
double fine_angle(int j) {
  return std::min(berg::kLowestAngle + j * kFineStep, berg::kHighestAngle);
}

using Quantity = double (*)(const berg::Result& result, int k);
double alpha(const berg::Result& result, int k) { return result.signed_value(k); }
double gamma(const berg::Result& result, int k) { return result.gamma(k); }

// The results of one exponent on the fine grid, each computed when it is first asked for.
class FineGrid {
 public:
  explicit FineGrid(double exponent) : exponent_(exponent) {}
  const berg::Result& at(int j) {
    auto found = results_.find(j);
    if (found == results_.end()) {
      found = results_.emplace(j, berg::compute(fine_angle(j), exponent_)).first;
    }
    return found->second;
  }

 private:
  double exponent_;
  std::map<int, berg::Result> results_;
};

// The top of the first lobe of quantity(., k): the coarse scan finds the lobe and the tenths
// that come near its top, the fine grid around those tenths gives the top. Where the top is
// flat to within rounding, as it is at 180 degrees, where the results are symmetric, the
// middle of the flat part is the top.
Peak first_maximum(const std::vector<berg::Result>& coarse, FineGrid& fine, Quantity quantity,
                   int k) {
  double best = quantity(coarse.at(0), k);
  int end = 1;
  for (; end <= kLastCoarse; ++end) {
    const double value = quantity(coarse.at(end), k);
    if (value < best - kLobeDip) break;
    best = std::max(best, value);
  }
  std::map<int, double> searched;
  for (int i = 0; i < end; ++i) {
    if (quantity(coarse.at(i), k) < best - kLobeDip) continue;
    const int from = std::max((i - 1) * kFinePerCoarse, 0);
    const int to = std::min((i + 1) * kFinePerCoarse, std::min(end * kFinePerCoarse, kLastFine));
    for (int j = from; j <= to; ++j) searched.emplace(j, quantity(fine.at(j), k));
  }
  double top = -std::numeric_limits<double>::infinity();
  for (const auto& [j, value] : searched) top = std::max(top, value);
  int first = kLastFine;
  int last = 0;
  for (const auto& [j, value] : searched) {
    if (value < top - kRoundingTie) continue;
    first = std::min(first, j);
    last = std::max(last, j);
  }
  const int middle = (first + last) / 2;
  return {fine_angle(middle), quantity(fine.at(middle), k)};
}

std::vector<berg::Result> coarse_scan(double exponent) {
  std::vector<berg::Result> results;
  for (int i = 0; i <= kLastCoarse; ++i)
    results.push_back(berg::compute(coarse_angle(i), exponent));
  return results;
}

double g1_at(double angle, double exponent) { return berg::compute(angle, exponent).g1(); }

}  // namespace

std::vector<Optimum> optima(double exponent, const std::vector<int>& harmonics) {
  const std::vector<berg::Result> coarse = coarse_scan(exponent);
  FineGrid fine(exponent);
  std::vector<Optimum> found;
  for (int k : harmonics) {
    found.push_back(
        {k, first_maximum(coarse, fine, alpha, k), first_maximum(coarse, fine, gamma, k)});
  }
  return found;
}

Reach g1_reach(double exponent) {
  Reach reach{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  for (int i = 0; i <= kLastCoarse; ++i) {
    const double g1 = g1_at(coarse_angle(i), exponent);
    reach = {std::min(reach.lowest, g1), std::max(reach.highest, g1)};
  }
  return reach;
}

std::optional<double> angle_for_g1(double exponent, double g1) {
  double low = coarse_angle(0);
  double low_value = g1_at(low, exponent) - g1;
  for (int i = 1; i <= kLastCoarse; ++i) {
    double high = coarse_angle(i);
    const double high_value = g1_at(high, exponent) - g1;
    if (std::signbit(high_value) != std::signbit(low_value)) {
      while (high - low > kAngleTolerance) {
        const double middle = 0.5 * (low + high);
        const double middle_value = g1_at(middle, exponent) - g1;
        if (std::signbit(middle_value) == std::signbit(low_value)) {
          low = middle;
        } else {
          high = middle;
        }
      }
      return 0.5 * (low + high);
    }
    low = high;
    low_value = high_value;
  }
  return std::nullopt;
}

}  // namespace design
