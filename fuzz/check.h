// What the fuzz targets do when a check fails: say what broke and abort, which libFuzzer
// records as a crash together with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

inline void require(bool holds, const std::string& what) {
  if (holds) return;
  std::fprintf(stderr, "check failed: %s\n", what.c_str());
  std::abort();
}

// The text with bytes outside printable ASCII as \xNN, so that a report stays on one line.
inline std::string escaped(std::string_view text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", c);
      shown += code;
    }
  }
  return shown;
}
