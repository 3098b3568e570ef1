// The page's C++ natively: its JSON and the chart's curves.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "engine/berg.h"
#include "web/answers.h"
#include "web/json.h"

namespace {

// The text of the JSON string that is all of `json`, by JSON's rules; nothing where it is not
// one.
std::optional<std::string> read_json_string(std::string_view json) {
  constexpr std::string_view kEscapes = "\"\"\\\\//b\bf\fn\nr\rt\t";
  if (json.size() < 2 || json.front() != '"' || json.back() != '"') return std::nullopt;
  std::string text;
  for (std::size_t i = 1; i + 1 < json.size(); ++i) {
    const auto c = static_cast<unsigned char>(json[i]);
    if (c == '"' || c < 0x20) return std::nullopt;
    if (c != '\\') {
      text += json[i];
    } else if (json.substr(i + 1, 3) == "u00" && i + 6 < json.size()) {
      text += static_cast<char>(std::stoi(std::string(json.substr(i + 4, 2)), nullptr, 16));
      i += 5;
    } else if (const std::size_t e = kEscapes.find(json[++i]); e % 2 == 0 && i + 1 < json.size()) {
      text += kEscapes[e + 1];
    } else {
      return std::nullopt;
    }
  }
  return text;
}

// Every byte a user can type, UTF-8 as it is, reads back from the string written.
TEST(WebJson, EveryCharacterReadsBack) {
  std::string ascii;
  for (int c = 0; c < 0x80; ++c) ascii += static_cast<char>(c);
  for (const std::string& text :
       {ascii, std::string("9\"0"), std::string("\\"), std::string("θ ξ «» —"), std::string()}) {
    web::Json json;
    EXPECT_EQ(read_json_string(json.string(text).text()), text) << json.text();
  }
}

// What a view draws of a table: gamma_k where gamma is shown without alpha, alpha_k otherwise.
TEST(WebTable, ChartDrawsWhatIsShown) {
  const berg::Result at30 = berg::compute(30.0, 1.0);
  for (const auto& [shown, quantity, value] :
       {std::tuple{"gamma", "γ", at30.gamma(1)},
        std::tuple{"gamma,alpha", "α", at30.signed_value(1)}}) {
    web::Entries entries(std::string("from=30\nto=30\nharmonics=1\nshow=") + shown);
    EXPECT_NE(web::table(entries).find(std::string(R"("chart":{"quantity":")") + quantity +
                                       R"(","harmonics":[1],"angles":[30.000],"curves":[[[)" +
                                       web::coefficient(value) + "]]]}"),
              std::string::npos)
        << web::table(entries);
  }
}

}  // namespace
