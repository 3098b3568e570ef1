// What the fuzz targets do when a check fails: say what broke and abort, which libFuzzer
// records as a crash together with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

inline void require(bool holds, const std::string& what) {
  if (holds) return;
  std::fprintf(stderr, "check failed: %s\n", what.c_str());
  std::abort();
}
