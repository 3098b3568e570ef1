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

void JsonAnswer::title(const std::string& line) {
  if (part_ == Part::start) json_.name("titles").open_array();
  part_ = Part::titles;
  json_.string(line);
}

void JsonAnswer::start_table(const answer::Table& table) {
  to_tables();
  end_table();
  json_.open_object().name("caption").string(table.caption).name("headings").open_array();
  for (const answer::Column& column : table.columns) json_.string(column.heading);
  json_.close_array().name("rows").open_array();
  part_ = Part::rows;
}

void JsonAnswer::row(const std::vector<std::string>& cells) { json_.strings(cells); }

void JsonAnswer::note(const std::string& text) {
  to_notes();
  json_.string(text);
}

void JsonAnswer::finish() {
  to_tables();
  end_table();
  json_.close_array();
}

void JsonAnswer::to_tables() {
  if (part_ != Part::start && part_ != Part::titles) return;
  if (part_ == Part::start) json_.name("titles").open_array();
  json_.close_array().name("tables").open_array();
  part_ = Part::tables;
}

void JsonAnswer::to_notes() {
  if (part_ == Part::rows) json_.close_array().name("notes").open_array();
  part_ = Part::notes;
}

void JsonAnswer::end_table() {
  if (part_ == Part::tables) return;
  to_notes();
  json_.close_array().close_object();
  part_ = Part::tables;
}

}  // namespace web
