// The page's C++ natively: its JSON, its entries read as k-berg-table reads its options, and
// the chart's curves.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "engine/berg.h"
#include "report/entry_rules.h"
#include "table/options.h"
#include "textio/error.h"
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

// Each entry of the page that reads numbers (and a name it does not have), and the options of
// k-berg-table that read the same, the entry's text in place of "%".
const std::pair<std::string_view, std::vector<std::string>> kEntries[] = {
    {"angle", {"--from", "%"}},
    {"from", {"--from", "%"}},
    {"to", {"--to", "%"}},
    {"step", {"--step", "%"}},
    {"exponent", {"--exponent", "%"}},
    {"harmonics", {"--harmonics", "%"}},
    {"xi", {"--xi", "%", "--show", "eta"}},
    {"angle-for-g1", {"--angle-for-g1", "%"}},
    {"harmonic", {"--harmonic", "%", "--stage", "--supply", "1", "--power", "1", "--xi", "1"}},
    {"supply", {"--supply", "%", "--stage", "--power", "1", "--xi", "1"}},
    {"power", {"--power", "%", "--stage", "--supply", "1", "--xi", "1"}},
    {"cutoff",
     {"--cutoff", "%", "--slope", "1", "--stage", "--supply", "1", "--power", "1", "--xi", "1"}},
    {"angel", {"--angel", "%"}}};

// The numbers read, or the kind of the refusal.
using Numbers = std::variant<std::vector<double>, refusals::Kind>;

Numbers read_by_program(std::vector<std::string> options, const std::string& text) {
  std::vector<const char*> arguments{"k-berg-table"};
  for (std::string& option : options) arguments.push_back((option == "%" ? text : option).c_str());
  try {
    const table::Options o =
        table::parse_command_line(static_cast<int>(arguments.size()), arguments.data()).options;
    if (options[0] == "--exponent") return o.exponents;
    if (options[0] == "--harmonics") {
      return std::vector<double>(o.view.harmonics.begin(), o.view.harmonics.end());
    }
    const std::map<std::string, double> read = {
        {"--from", o.angles.from},
        {"--to", o.angles.to},
        {"--step", o.angles.step},
        {"--xi", o.view.xi},
        {"--supply", o.stage.supply},
        {"--power", o.stage.power},
        {"--harmonic", o.stage.harmonic},
        {"--angle-for-g1", o.target_g1},
        {"--cutoff", o.stage.device ? o.stage.device->cutoff : 0.0}};
    return std::vector<double>{read.at(options[0])};
  } catch (const table::Refused& refused) {
    return refused.refusal().kind;
  } catch (const textio::Error&) {  // in the option library's words
    return refusals::Kind::unknown_name;
  }
}

Numbers read_by_page(std::string_view name, const std::string& text) {
  using entry_rules::Grammar;
  web::Entries entries(std::string(name) + "=" + text);
  const entry_rules::Description* entry = entry_rules::named(name);
  std::optional<std::vector<double>> read;
  if (entry == nullptr) {
  } else if (entry->grammar == Grammar::numbers) {
    read = entries.numbers(*entry, web::kMostExponents);
  } else if (entry->grammar == Grammar::harmonics) {
    const std::optional<std::vector<int>> harmonics = entries.harmonics({});
    if (harmonics) read = {{harmonics->begin(), harmonics->end()}};
  } else if (entry->grammar == Grammar::whole_number) {
    if (const std::optional<int> n = entries.whole_number(*entry)) read = {{double(*n)}};
  } else if (const std::optional<double> number = entries.number(*entry)) {
    read = {{*number}};
  }
  if (!entries.refusals().empty()) return entries.refusals().front().kind;
  return *read;
}

// The page and k-berg-table take the same texts, as the same numbers, and refuse the same,
// for the same fault.
TEST(WebEntries, ReadAsTheProgramReadsItsOptions) {
  for (const auto& [name, options] : kEntries) {
    for (const std::string text : {"2.0", "+2", "+-2", "1,5", "1;1,5", " 90", "90 ", "1e1", "0x10",
                                   "inf", "nan", "", "3", "9", "1e-400"}) {
      EXPECT_EQ(read_by_page(name, text), read_by_program(options, text)) << name << "=" << text;
    }
  }
}

// The table shows harmonics 0 to 9 where none are chosen.
TEST(WebTable, AllHarmonicsWhereNoneAreChosen) {
  web::Entries entries("from=30\nto=30");
  EXPECT_NE(web::table(entries).find(R"("α5","α6","α7","α8","α9"],)"), std::string::npos);
}

// Each slip of a range, a stage or a search, refused as a value naming its entry and kind.
TEST(WebEntries, EachSlipRefusedByEntryAndKind) {
  using refusals::Kind;
  const std::string stage = "supply=12.5\nsaturation=1\npower=";
  const std::tuple<std::string (*)(web::Entries&), std::string, std::string, Kind> slips[] = {
      {web::table, "from=100\nto=50", "from", Kind::from_above_to},
      {web::table, "from=4.9\nto=180.1\nstep=0,008", "step", Kind::too_many_rows},
      {web::table, "from=180\nto=180.0000000001\nstep=1e-14", "step", Kind::step_too_small},
      {web::best_angles, "exponent=1;1;1;1;1;1;1;1;1;1;1", "exponent", Kind::too_many_values},
      {web::best_angles, "harmonics=0", "harmonics", Kind::no_maxima},
      {web::angle_for_g1, "angle-for-g1=2.5", "angle-for-g1", Kind::g1_out_of_reach},
      {web::stage_design, stage + "8\nxi=0.9", "xi", Kind::one_of_two},
      {web::stage_design, stage + "8\nslope=0.05", "cutoff", Kind::half_a_law},
      {web::stage_design, stage + "10\nfrom=90\nto=90", "power", Kind::too_much_power},
      {web::stage_design, stage + "8\nharmonic=2\nfrom=180\nto=180", "harmonic", Kind::no_harmonic},
      {web::stage_design, stage + "1000", "from", Kind::no_angle_works},
      {web::stage_design, "supply=1e308\npower=1e308\nsaturation=1e308", "supply",
       Kind::too_large_for_stage},
      {web::stage_csv, "supply=1e-300\npower=8\nsaturation=1\nfrom=90\nto=90", "supply",
       Kind::too_small_for_stage},
      {web::calculation, "angle=90\nangel=90", "angel", Kind::unknown_name}};
  for (const auto& [answer, lines, entry, kind] : slips) {
    web::Entries entries(lines);
    answer(entries);
    ASSERT_FALSE(entries.refusals().empty()) << lines;
    EXPECT_EQ(entries.refusals().back().entry, entry) << lines;
    EXPECT_EQ(entries.refusals().back().kind, kind) << lines;
  }
}

TEST(WebEntries, RefusalsNameTheirEntry) {
  web::Entries entries("angle=200\nangel=90");
  EXPECT_FALSE(entries.number(entry_rules::kAngle));
  EXPECT_EQ(web::refused(entries),
            R"({"refusals":[{"entry":"angel","text":"«angel» — нет такого поля"},)"
            R"({"entry":"angle","text":"Угол отсечки: «200» — нужно число от 4.9 до 180.1"}]})");
}

}  // namespace
