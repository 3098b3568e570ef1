// The functions the page's script calls: it writes the entries of a form into the request
// buffer, one "name=text" a line in UTF-8 (and for a table's chart the curves' values into
// the values buffer), asks for one answer, and reads the answer's JSON from the module's
// memory.
#include <cstddef>
#include <string>
#include <utility>

#include "web/answers.h"

namespace {

std::string request;
std::string values;
std::string answer;

}  // namespace

// The buffer of `length` bytes into which the script writes the request.
extern "C" [[clang::export_name("request_buffer")]] char* request_buffer(std::size_t length) {
  request.assign(length, '\0');
  return request.data();
}

// The buffer of `length` bytes into which the script writes the values of a table's curves.
extern "C" [[clang::export_name("values_buffer")]] char* values_buffer(std::size_t length) {
  values.assign(length, '\0');
  return values.data();
}

// The kinds of answer, in the order the script numbers them.
enum class Kind {
  calculation,
  best_angles,
  angle_for_g1,
  table,
  table_csv,
  quantities,
  stage,
  stage_csv,
  table_chart,
  form,
  network,
  network_csv
};

// Answers the request in the buffer; the answer stays until the next one.
extern "C" [[clang::export_name("answer")]] const char* answer_request(int kind) {
  web::Entries entries(request);
  if (!entries.refusals().empty()) {
    answer = web::refused(entries);
    return answer.data();
  }
  switch (static_cast<Kind>(kind)) {
    case Kind::calculation:
      answer = web::calculation(entries);
      break;
    case Kind::best_angles:
      answer = web::best_angles(entries);
      break;
    case Kind::angle_for_g1:
      answer = web::angle_for_g1(entries);
      break;
    case Kind::table:
      answer = web::table(entries);
      break;
    case Kind::table_csv:
      answer = web::table_csv(entries);
      break;
    case Kind::quantities:
      answer = web::quantities();
      break;
    case Kind::stage:
      answer = web::stage_design(entries);
      break;
    case Kind::stage_csv:
      answer = web::stage_csv(entries);
      break;
    case Kind::table_chart:
      answer = web::table_chart(entries, std::exchange(values, {}));
      break;
    case Kind::form:
      answer = web::form(entries);
      break;
    case Kind::network:
      answer = web::network_design(entries);
      break;
    case Kind::network_csv:
      answer = web::network_csv(entries);
      break;
  }
  return answer.data();
}

extern "C" [[clang::export_name("answer_length")]] std::size_t answer_length() {
  return answer.size();
}
