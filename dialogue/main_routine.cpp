#include "dialogue/main_routine.h"

#include <cstdint>

#include "dialogue/harmonic_table.h"
#include "dialogue/limits.h"
#include "engine/nml1.h"
#include "report/printer.h"
#include "textio/fields.h"
#include "textio/vvod.h"

namespace dialogue {

namespace {

constexpr int kPauseSeconds = 1;

enum MenuChoice : std::int32_t { kRepeat = 1, kSave = 2, kFinish = 3 };

void clear_screen(Console& console) {
  console.output.flush();
  console.screen.clear();
}

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

void show_results(Console& console, double angle, double exponent, const HarmonicTable& table) {
  clear_screen(console);
  textio::Records& out = console.output;
  out.write_empty();
  out.formatted(textio::parameter_fields(" Угол отсечки\t\t= ", angle));
  out.formatted(textio::parameter_fields(" Степень функции\t= ", exponent));
  out.text("-----------------------------------");
  out.write_empty();
  out.text("   № гарм.\t |Коэфф.|\tФаза");
  out.write_empty();
  for (int k = 0; k < nml1::kHarmonics; ++k) {
    out.formatted(textio::harmonic_row_fields(k, table[k], table[10 + k]));
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
  console.screen.pause(kPauseSeconds);
  clear_screen(console);
}

}  // namespace

void main_routine(Console& console) {
  double angle = 0.0;
  double exponent = 0.0;

  for (;;) {
    clear_screen(console);
    show_title(console);
    angle = read_in_range(console, " Угол отсечки, (5-180): ", kLowestAngle, kHighestAngle);
    exponent =
        read_in_range(console, " Степень функции (1-5): ", kLowestExponent, kHighestExponent);
    const HarmonicTable table = compute_table(angle, exponent);

    std::int32_t choice = kSave;
    while (choice == kSave) {
      show_results(console, angle, exponent, table);
      choice = read_menu_choice(console);
      if (choice == kSave) {
        printer::output_printer(table, exponent, angle);
        console.output.text(" Результаты записаны в файл...");
        console.output.flush();
        console.screen.pause(kPauseSeconds);
      }
    }
    if (choice == kFinish) {
      sign_off(console);
      return;
    }
  }
}

}  // namespace dialogue
