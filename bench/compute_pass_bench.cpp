// One compute pass (sampling and the direct Fourier analysis) beside its floors: the 40,960
// sine and cosine evaluations of the analysis's arguments, nothing else, and the pass's own
// irreducible work, the power calls of its unclipped samples. The angles' sines and cosines
// are evaluated once per process, so every pass timed comes after a first one outside the
// timing. The sampling is also timed alone, the whole table that k-berg-table writes for the
// full range in steps of 0.1 degree (1,753 rows), written to /dev/null, and the search of
// --optimum and of the best regime. Beside the pass, the Berg integrals themselves: one
// angle's coefficients, with and without their slopes, and the 1,753 rows computed both ways,
// without writing; and a stage over the same angles, alone and with its output network,
// written to /dev/null.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <iterator>
#include <vector>

#include "engine/berg.h"
#include "engine/design.h"
#include "engine/grid.h"
#include "engine/integral.h"
#include "engine/ishsignal.h"
#include "engine/nml1.h"
#include "engine/regime.h"
#include "engine/rows.h"
#include "engine/stage.h"
#include "table/options.h"
#include "table/plain_table.h"
#include "table/run.h"
#include "textio/channels.h"
#include "textio/records.h"

namespace {

using grid::kLastIndex;
using grid::kPi;
constexpr std::int32_t kCount = grid::kSampleCount;
constexpr double kStart = grid::kPeriodStart;
constexpr double kEnd = grid::kPeriodEnd;

void pass(double angle, double exponent, std::array<double, kCount>& samples,
          nml1::Coefficients& coefficients) {
  ishsignal::signal(kStart, kEnd, kLastIndex, samples.data(), angle, exponent);
  nml1::dft1(kCount, samples.data(), coefficients);
}

// Arguments: angle and exponent, the exponent in hundredths.
void ComputePass(benchmark::State& state) {
  const double angle = static_cast<double>(state.range(0));
  const double exponent = static_cast<double>(state.range(1)) / 100.0;
  std::array<double, kCount> samples;
  nml1::Coefficients coefficients;
  pass(angle, exponent, samples, coefficients);
  for (auto _ : state) {
    pass(angle, exponent, samples, coefficients);
    benchmark::DoNotOptimize(coefficients);
  }
}
BENCHMARK(ComputePass)->Args({90, 100})->Args({90, 150});

void Sampling(benchmark::State& state) {
  const double angle = 90.0, exponent = 1.0;
  std::array<double, kCount> samples;
  for (auto _ : state) {
    ishsignal::signal(kStart, kEnd, kLastIndex, samples.data(), angle, exponent);
    benchmark::DoNotOptimize(samples);
  }
}
BENCHMARK(Sampling);

void SineCosineFloor(benchmark::State& state) {
  std::vector<double> arguments;
  for (int k = 0; k < nml1::kHarmonics; ++k) {
    for (int j = 0; j < kCount; ++j) {
      arguments.push_back(((grid::kTwoPi * k) * j) / kCount);
    }
  }
  for (auto _ : state) {
    double cosines = 0.0;
    double sines = 0.0;
    for (double phi : arguments) {
      cosines += std::cos(phi);
      sines += std::sin(phi);
    }
    benchmark::DoNotOptimize(cosines);
    benchmark::DoNotOptimize(sines);
  }
}
BENCHMARK(SineCosineFloor);

// The power calls of a pass at angle 90, exponent 1.5 and nothing else: one per sample that
// is not clipped, on the same bases as the sampler computes them.
void PowerFloor(benchmark::State& state) {
  const double c = std::cos((kPi * 90.0) / 180.0);
  const double h = (kEnd - kStart) / kCount;
  std::vector<double> bases;
  for (int i = 0; i <= kLastIndex; ++i) {
    const double y = (std::cos(static_cast<double>(i) * h) - c) / (1.0 - c);
    if (y >= 0.0) bases.push_back(y);
  }
  state.counters["powers"] = static_cast<double>(bases.size());
  for (auto _ : state) {
    double sum = 0.0;
    for (double y : bases) sum += std::pow(y, 1.5);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(PowerFloor);

// The ten coefficients of one angle by the integrals (argument 0) and with their slopes, as
// the searches take them (1); angle 90, the exponent in hundredths.
void ExactCoefficients(benchmark::State& state) {
  const double exponent = static_cast<double>(state.range(1)) / 100.0;
  const bool slopes = state.range(0) == 1;
  state.counters["nodes"] = integral::node_count();
  for (auto _ : state) {
    if (slopes) {
      benchmark::DoNotOptimize(integral::tangent(90.0, exponent));
    } else {
      benchmark::DoNotOptimize(integral::coefficients(90.0, exponent));
    }
  }
}
BENCHMARK(ExactCoefficients)->Args({0, 100})->Args({0, 150})->Args({1, 150});

// The results of the 1,753 rows from 4.9 to 180.1 degrees in steps of 0.1, exponent 1, without
// writing: sampled (argument 0) and exact (1).
void RowResults(benchmark::State& state) {
  const auto compute = state.range(0) == 1 ? berg::compute_exact : berg::compute;
  for (auto _ : state) {
    for (int i = 0; i <= 1752; ++i) benchmark::DoNotOptimize(compute(4.9 + i * 0.1, 1.0));
  }
}
BENCHMARK(RowResults)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// k-berg-table --from 4.9 --to 180.1 --step 0.1 --harmonics 0-9 > /dev/null: the passes, the
// editing and the writes.
void WholeTable(benchmark::State& state) {
  const sweep::Range range{4.9, 180.1, 0.1};
  const quantity::View view{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {}};
  const int null_device = ::open("/dev/null", O_WRONLY);
  textio::FdSink sink(null_device, textio::no_unit());
  for (auto _ : state) {
    textio::Records out(sink, false);
    table::PlainTable writer(out, view);
    rows::compute_rows({1.0}, range, {&writer});
    out.flush();
  }
  ::close(null_device);
}
BENCHMARK(WholeTable)->Unit(benchmark::kMillisecond);

// k-berg-table --stage over the same 1,753 angles to /dev/null: an amplifier in the critical
// regime with its drive.
void WholeStage(benchmark::State& state) {
  const char* arguments[] = {"k-berg-table", "--stage", "--supply", "12.5", "--power",  "8",
                             "--saturation", "1",       "--from",   "4.9",  "--to",     "180.1",
                             "--step",       "0.1",     "--slope",  "0.5",  "--cutoff", "0.6"};
  const table::Options options = table::parse_command_line(std::size(arguments), arguments).options;
  const int null_device = ::open("/dev/null", O_WRONLY);
  textio::FdSink sink(null_device, textio::no_unit());
  for (auto _ : state) {
    table::answer_stage(options, sink, platform::system_files());
  }
  ::close(null_device);
}
BENCHMARK(WholeStage)->Unit(benchmark::kMillisecond);

// The same stage to the antenna: at each of the 1,753 angles its П (Q1 + Q2 = 12, a coil of Q0
// 200, 7 MHz, into 50 ohms) designed for its R_e and every harmonic at the load against the
// limit, written to /dev/null: to set beside the sampled table (WholeTable).
void WholeStageWithNetwork(benchmark::State& state) {
  const char* arguments[] = {"k-berg-table", "--stage", "--supply",  "12.5", "--power",     "8",
                             "--saturation", "1",       "--from",    "4.9",  "--to",        "180.1",
                             "--step",       "0.1",     "--network", "pi",   "--frequency", "7",
                             "--q",          "12",      "--coil-q",  "200"};
  const table::Options options = table::parse_command_line(std::size(arguments), arguments).options;
  const int null_device = ::open("/dev/null", O_WRONLY);
  textio::FdSink sink(null_device, textio::no_unit());
  for (auto _ : state) {
    table::answer_stage(options, sink, platform::system_files());
  }
  ::close(null_device);
}
BENCHMARK(WholeStageWithNetwork)->Unit(benchmark::kMillisecond);

// k-berg-table --optimum for exponents 1, 1.5, 2 and 3, harmonics 1 to 9, without the writing;
// and --angle-for-g1 for one exponent.
void Optima(benchmark::State& state) {
  for (auto _ : state) {
    for (double exponent : {1.0, 1.5, 2.0, 3.0}) {
      benchmark::DoNotOptimize(design::optima(exponent, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }
  }
}
BENCHMARK(Optima)->Unit(benchmark::kMillisecond);

void AngleForG1(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(design::angle_for_g1(1.5, 1.78947));
}
BENCHMARK(AngleForG1)->Unit(benchmark::kMillisecond);

// The best regime for exponents 1, 1.5, 2 and 3 over the whole range, 4.9 to 180.1 degrees: a
// tripler of 12.5 V on a saturation line of 0.5 A/V whose dissipation is rated 0.5 W, for the
// most power (argument 0), the highest efficiency at 0.9 W (1), and at 2 W, which no angle
// gives, what would (2).
void BestRegime(benchmark::State& state) {
  stage::Inputs inputs{12.5, state.range(0) == 2 ? 2.0 : 0.9, 3, std::nullopt, 0.5, std::nullopt};
  inputs.limits.dissipation = 0.5;
  const regime::Question question{
      inputs, state.range(0) == 0 ? regime::Goal::power : regime::Goal::efficiency, {4.9, 180.1}};
  for (auto _ : state) {
    for (double exponent : {1.0, 1.5, 2.0, 3.0}) {
      benchmark::DoNotOptimize(regime::best(question, exponent));
    }
  }
}
BENCHMARK(BestRegime)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// k-berg-table --stage --best power for the same tripler and exponents to /dev/null, with the
// drive: the search, the stage there and its writing.
void BestRegimeAnswer(benchmark::State& state) {
  const char* arguments[] = {
      "k-berg-table", "--stage", "--best",       "power", "--supply",          "12.5",
      "--harmonic",   "3",       "--saturation", "0.5",   "--max-dissipation", "0.5",
      "--from",       "4.9",     "--to",         "180.1", "--exponent",        "1;1.5;2;3",
      "--slope",      "0.05",    "--cutoff",     "0.6"};
  const table::Options options = table::parse_command_line(std::size(arguments), arguments).options;
  const int null_device = ::open("/dev/null", O_WRONLY);
  textio::FdSink sink(null_device, textio::no_unit());
  for (auto _ : state) {
    table::answer_stage(options, sink, platform::system_files());
  }
  ::close(null_device);
}
BENCHMARK(BestRegimeAnswer)->Unit(benchmark::kMillisecond);

}  // namespace
