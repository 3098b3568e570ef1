#include "dialogue/main_routine.h"

#include <cstdint>

#include "engine/berg.h"
#include "report/printer.h"
#include "textio/fields.h"
#include "textio/vvod.h"

namespace dialogue {

namespace {

constexpr int kPauseSeconds = 1;

enum MenuChoice : std::int32_t { kRepeat = 1, kSave = 2, kFinish = 3 };

void show_title(Console& console) {
  console.output.write_empty();
  console.output.text("Расчет коэффициентов Берга через");
  console.output.text("преобразование Фурье");
  console.output.text("--------------------------------");
  console.output.write_empty();
}

// Asks until the value lies in [lowest, highest]. Not-a-number, which also stands for an
// entry with no value, is never in range.
double read_in_range(Console& console, std::string_view prompt, double lowest, double highest) {
  double value = 0.0;
  while (!(value >= lowest && value <= highest)) {
    console.output.prompt(prompt);
    value = vvod::chislo(console.input);
  }
  return value;
}

void show_results(Console& console, const berg::Result& result) {
  textio::Records& out = console.output;
  out.clear_screen();
  out.write_empty();
  out.formatted(textio::parameter_fields(" Угол отсечки\t\t= ", result.angle()));
  out.formatted(textio::parameter_fields(" Степень функции\t= ", result.exponent()));
  out.text("-----------------------------------");
  out.write_empty();
  out.text("   № гарм.\t |Коэфф.|\tФаза");
  out.write_empty();
  for (int k = 0; k < berg::kHarmonics; ++k) {
    out.formatted(textio::harmonic_row_fields(k, result.modulus(k), result.phase(k)));
  }
}

std::int32_t read_menu_choice(Console& console) {
  textio::Records& out = console.output;
  out.write_empty();
  out.text(" 1. Повторить расчет?");
  out.text(" 2. Записать данные в файл?");
  out.text(" 3. Закончить работу?");
  out.write_empty();
  std::int32_t choice = 0;
  while (choice < kRepeat || choice > kFinish) {
    out.prompt("  Введите соответствующую цифру ...  ");
    choice = vvod::chislointeger(console.input, out);
  }
  return choice;
}

void sign_off(Console& console) {
  console.output.write_empty();
  console.output.text("73!");
  console.output.flush();
  console.pause.wait(kPauseSeconds);
  console.output.clear_screen();
}

}  // namespace

void main_routine(Console& console) {
  for (;;) {
    console.output.clear_screen();
    show_title(console);
    const double angle =
        read_in_range(console, " Угол отсечки, (5-180): ", berg::kLowestAngle, berg::kHighestAngle);
    const double exponent = read_in_range(
        console, " Степень функции (1-5): ", berg::kLowestExponent, berg::kHighestExponent);
    const berg::Result result = berg::compute(angle, exponent);

    std::int32_t choice = kSave;
    while (choice == kSave) {
      show_results(console, result);
      choice = read_menu_choice(console);
      if (choice == kSave) {
        printer::output_printer(result.table(), exponent, angle, console.files, console.output);
        console.output.text(" Результаты записаны в файл...");
        console.output.flush();
        console.pause.wait(kPauseSeconds);
      }
    }
    if (choice == kFinish) {
      sign_off(console);
      return;
    }
  }
}

}  // namespace dialogue
