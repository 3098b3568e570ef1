// The pieces every SVG picture of the programs is drawn with, so that each is the same bytes
// on every system: its lines, numbers, text and lines, the font and the colours.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace svg {

// The document's lines, each ended by CR LF as the programs end every line they write.
struct Lines {
  std::string text;
  void formatted(std::string_view line) { text.append(line).append("\r\n"); }
};

constexpr const char* kFont = "DejaVu Sans, Arial, Helvetica, sans-serif";
constexpr const char* kInk = "#202020";

// Colours far apart in hue and dark enough for print.
constexpr std::array<const char*, 10> kColours = {"#1f4e9c", "#c62828", "#2e7d32", "#ef6c00",
                                                  "#6a1b9a", "#00838f", "#ad1457", "#5d4037",
                                                  "#9e9d24", "#455a64"};

// A number in the document: fixed with `decimals` places, the same on every system. The
// largest double takes 309 digits before the point, so the text always fits.
std::string number(double value, int decimals);

// A coordinate, to a hundredth of a pixel.
std::string pixels(double value);

// <text attributes x y font-size>text</text>; <line x1 y1 x2 y2 style/>.
std::string text_element(const std::string& attributes, double x, double y, int size,
                         const std::string& text);
std::string line_element(double x1, double y1, double x2, double y2, const std::string& style);

// The start of a document of `width` by `height` pixels on white, and its title centred at
// the top.
void start_document(Lines& out, int width, int height, const std::string& title);

}  // namespace svg
