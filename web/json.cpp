#include "web/json.h"

namespace web {

void Json::begin_value() {
  if (!first_ && !after_name_) text_ += ',';
  first_ = false;
  after_name_ = false;
}

Json& Json::open_object() {
  begin_value();
  text_ += '{';
  first_ = true;
  return *this;
}

Json& Json::close_object() {
  text_ += '}';
  first_ = false;
  return *this;
}

Json& Json::open_array() {
  begin_value();
  text_ += '[';
  first_ = true;
  return *this;
}

Json& Json::close_array() {
  text_ += ']';
  first_ = false;
  return *this;
}

Json& Json::name(std::string_view name) {
  string(name);
  text_ += ':';
  after_name_ = true;
  return *this;
}

Json& Json::string(std::string_view text) {
  begin_value();
  text_ += '"';
  for (char c : text) {
    if (c == '"' || c == '\\') {
      text_ += '\\';
      text_ += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      constexpr std::string_view kHex = "0123456789abcdef";
      text_ += "\\u00";
      text_ += kHex[static_cast<std::size_t>(c >> 4)];
      text_ += kHex[static_cast<std::size_t>(c & 0xF)];
    } else {
      text_ += c;
    }
  }
  text_ += '"';
  return *this;
}

Json& Json::number(std::string_view text) {
  begin_value();
  text_ += text;
  return *this;
}

Json& Json::strings(const std::vector<std::string>& texts) {
  open_array();
  for (const std::string& text : texts) string(text);
  return close_array();
}

}  // namespace web
