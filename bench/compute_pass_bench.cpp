// One compute pass (sampling and the direct Fourier analysis, angle 90, exponent 1) beside
// its floor: the 40,960 sine and cosine evaluations of the same arguments, nothing else. The
// sampling is also timed alone: its 4096 cosines and powers are work the floor leaves out.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <vector>

#include "engine/ishsignal.h"
#include "engine/nml1.h"

namespace {

constexpr std::int32_t kLastIndex = 4095;
constexpr std::int32_t kCount = 4096;

void ComputePass(benchmark::State& state) {
  const double start = 0.0, end = 6.283185307179586, angle = 90.0, exponent = 1.0;
  std::array<double, kCount> samples;
  nml1::Coefficients coefficients;
  for (auto _ : state) {
    ishsignal::signal(start, end, kLastIndex, samples.data(), angle, exponent);
    nml1::dft1(kCount, samples.data(), coefficients);
    benchmark::DoNotOptimize(coefficients);
  }
}
BENCHMARK(ComputePass);

void Sampling(benchmark::State& state) {
  const double start = 0.0, end = 6.283185307179586, angle = 90.0, exponent = 1.0;
  std::array<double, kCount> samples;
  for (auto _ : state) {
    ishsignal::signal(start, end, kLastIndex, samples.data(), angle, exponent);
    benchmark::DoNotOptimize(samples);
  }
}
BENCHMARK(Sampling);

void SineCosineFloor(benchmark::State& state) {
  std::vector<double> arguments;
  for (int k = 0; k < nml1::kHarmonics; ++k) {
    for (int j = 0; j < kCount; ++j) {
      arguments.push_back(((6.283185307179586 * k) * j) / kCount);
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

}  // namespace
