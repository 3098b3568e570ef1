#include "report/svg.h"

#include <charconv>

namespace svg {

std::string number(double value, int decimals) {
  std::array<char, 512> text;
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                    std::chars_format::fixed, decimals);
  return std::string(text.data(), result.ptr);
}

std::string pixels(double value) { return number(value, 2); }

std::string text_element(const std::string& attributes, double x, double y, int size,
                         const std::string& text) {
  return "<text " + attributes + " x=\"" + pixels(x) + "\" y=\"" + pixels(y) + "\" font-size=\"" +
         std::to_string(size) + "\">" + text + "</text>";
}

std::string line_element(double x1, double y1, double x2, double y2, const std::string& style) {
  return "<line x1=\"" + pixels(x1) + "\" y1=\"" + pixels(y1) + "\" x2=\"" + pixels(x2) +
         "\" y2=\"" + pixels(y2) + "\" " + style + "/>";
}

void start_document(Lines& out, int width, int height, const std::string& title) {
  out.formatted("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  out.formatted("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
                "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
                std::to_string(width) + " " + std::to_string(height) + "\">");
  out.formatted("<rect width=\"100%\" height=\"100%\" fill=\"white\"/>");
  out.formatted(text_element(
      "font-family=\"" + std::string(kFont) + "\" text-anchor=\"middle\" font-weight=\"bold\"",
      width / 2.0, 40, 22, title));
}

}  // namespace svg
