// The page's answers are JSON: objects, arrays, strings, and numbers already edited as the
// programs edit them, which the page shows as they are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/answer.h"

namespace web {

class Json {
 public:
  Json& open_object();
  Json& close_object();
  Json& open_array();
  Json& close_array();
  // The name of the next member of the object being written.
  Json& name(std::string_view name);
  Json& string(std::string_view text);
  // A number given as its text, which must be a JSON number, such as an edited field.
  Json& number(std::string_view text);
  Json& strings(const std::vector<std::string>& texts);

  const std::string& text() const { return text_; }

 private:
  void begin_value();

  std::string text_;
  bool first_ = true;        // nothing yet in the object or array being written
  bool after_name_ = false;  // a member's name was written, its value comes next
};

// An answer's model as two members of the object being written: "titles", its title lines,
// and "tables", each {"caption", "headings", "rows", "notes"}, every cell a string.
class JsonAnswer : public answer::Renderer {
 public:
  explicit JsonAnswer(Json& json) : json_(json) {}
  void title(const std::string& line) override;
  void start_table(const answer::Table& table) override;
  void row(const std::vector<std::string>& cells) override;
  void note(const std::string& text) override;
  // Closes the members; the object goes on.
  void finish();

 private:
  // Where the writing is: each part opens the arrays it fills.
  enum class Part { start, titles, tables, rows, notes };
  void to_tables();
  void to_notes();
  void end_table();

  Json& json_;
  Part part_ = Part::start;
};

}  // namespace web
