#include "report/answer.h"

#include "textio/fields.h"

namespace answer {

std::string exponent_caption(double exponent, bool decimal_comma) {
  return "Степень функции = " +
         textio::with_decimal_mark(textio::parameter_text(exponent), decimal_comma);
}

}  // namespace answer
