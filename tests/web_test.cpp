// The page's C++ natively: its JSON, its entries read as k-berg-table reads its options, and
// its charts as k-berg-table draws them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "engine/berg.h"
#include "report/berg_answers.h"
#include "report/entry_rules.h"
#include "report/stage_text.h"
#include "table/options.h"
#include "table/run.h"
#include "tests/fake_files.h"
#include "textio/channels.h"
#include "textio/error.h"
#include "textio/messages.h"
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

// The model of each answer as the page's JSON: its titles, then each table with its caption,
// headings, rows and notes, all arrays there even where empty.
TEST(WebJson, TheModelOfEachAnswer) {
  using quantity::Id;
  const stage::Inputs multiplier{12.5, 2, 2, std::nullopt, 1.0, stage::Device{0.05, 0.6}};
  const std::pair<std::function<void(answer::Renderer&)>, std::string> cases[] = {
      {[](answer::Renderer& out) {
         berg_answers::RowsAnswer rows(out, {{2}, {Id::alpha, Id::eta, Id::db}, true, 0.9, true});
         rows::compute_rows({1.0}, {90, 90, 1}, {&rows});
       },
       R"j("titles":["Коэффициенты Берга, ξ = 0,900"],"tables":[{"caption":"Степень функции = )j"
       R"j(1,000","headings":["Угол","|α2|","φ2","η","α2, дБ"],"rows":[["90,000","0,21221",)j"
       R"j("0,0","0,70686","-7,44"]],"notes":[]}])j"},
      {[](answer::Renderer& out) {
         berg_answers::optima_title(out);
         berg_answers::optima(out, {1.0, design::optima(1.0, {9})}, false);
       },
       R"j("titles":["Первые максимумы коэффициентов Берга по углу отсечки"],"tables":[{"caption")j"
       R"j(:"Степень функции = 1.000","headings":["n","θ(α макс.)","α макс.","θ(γ макс.)",)j"
       R"j("γ макс."],"rows":[["9","13.26","0.06169","20.00","0.00272"]],"notes":["Наибольший )j"
       R"j(максимум γ9 не первый: 0.00784 при θ = 100.00°"]}])j"},
      {[](answer::Renderer& out) {
         berg_answers::angles_for_g1(out, 1.5708, 1.0, {berg::compute(90, 1)}, true);
       },
       R"j("titles":["Угол отсечки θ, при котором g1 = α1/α0 = 1,57080, и КПД η при ξ = 1,000"],)j"
       R"j("tables":[{"caption":"","headings":["Степень","θ, °","g1","η"],"rows":[["1,000",)j"
       R"j("90,00","1,57080","0,78540"]],"notes":[]}])j"},
      {[](answer::Renderer& out) { berg_answers::calculation(out, berg::compute(60, 1)); },
       R"j("titles":[],"tables":[{"caption":"Угол отсечки = 60.000, степень функции = 1.000",)j"
       R"j("headings":["№ гарм.","|Коэфф.|","Фаза","αn"],"rows":[["0","0.21800","0.0","0.21800"],)j"
       R"j(["1","0.39100","0.0","0.39100"],["2","0.27566","0.0","0.27566"],["3","0.13783","0.0",)j"
       R"j("0.13783"],["4","0.02757","0.0","0.02757"],["5","0.02757","180.0","-0.02757"],["6",)j"
       R"j("0.03150","180.0","-0.03150"],["7","0.00985","180.0","-0.00985"],["8","0.00985","0.0",)j"
       R"j("0.00985"],["9","0.01378","0.0","0.01378"]],"notes":[]}])j"},
      {[&](answer::Renderer& out) {
         stage_text::stage_answer(out, multiplier,
                                  {stage::over_range(multiplier, {90, 180, 90}, 2, 1.0)}, false);
       },
       R"j("titles":["Каскад умножителя частоты на 2","E = 12.5 В, P2 = 2 Вт, критический режим, )j"
       R"j(Sкр = 1 А/В","Прибор i = S (u - E')^p: S = 0.05 А/В^p, E' = 0.6 В"],"tables":[)j"
       R"j({"caption":)j"
       R"j("Степень функции = 1.000","headings":["Угол","ξ","Rэ, Ом","Iмакс, А","I0, А","P0, Вт",)j"
       R"j("Pрас, Вт","η","Uмакс, В"],"rows":[["90.000","0.8597","28.87","1.754","0.5584",)j"
       R"j("6.979","4.979","0.2866","23.25"],["180.000","","","","","","","",""]],"notes":[]},)j"
       R"j({"caption":"","headings":["Угол","Uм, В","Iм, А","Uвозб, В","Eсм, В"],"rows":[)j"
       R"j(["90.000","10.75","0.3722","35.08","0.6000"],["180.000","","","",""]],"notes":[)j"
       R"j("Пустые строки: α2 не больше 0 при 180°"]}])j"}};
  for (const auto& [build, expected] : cases) {
    web::Json json;
    web::JsonAnswer model(json.open_object());
    build(model);
    model.finish();
    EXPECT_EQ(json.close_object().text(), "{" + expected + "}");
  }
}

// The names of the downloads say what they hold, without a character Windows refuses.
TEST(WebJson, CsvNamesSayWhatTheyHold) {
  EXPECT_EQ(answer::table_csv_name({5, 180, 5}, {1.0}), "k-berg-table-5-180-5-p1.csv");
  EXPECT_EQ(answer::table_csv_name({90.5, 90.5, 5}, {1, 2.25}), "k-berg-table-90.5-p1_2.25.csv");
  EXPECT_EQ(answer::stage_csv_name({12.5, 8, 1, std::nullopt, 1.0, std::nullopt}),
            "k-berg-stage-E12.5-P8-Scr1.csv");
  EXPECT_EQ(answer::stage_csv_name({24, 1e-5, 2, 0.9, std::nullopt, stage::Device{0.05, -0.6}}),
            "k-berg-stage-E24-P1e-05-n2-xi0.9-S0.05-Ec-0.6.csv");
  EXPECT_EQ(
      answer::stage_csv_name({12.5, 0, 3, std::nullopt, 0.5, std::nullopt}, regime::Goal::power),
      "k-berg-stage-best-power-E12.5-n3-Scr0.5.csv");
  web::Entries stage("supply=12.5\npower=8\nsaturation=1");
  EXPECT_NE(web::stage_csv(stage).find(R"("name":"k-berg-stage-E12.5-P8-Scr1.csv")"),
            std::string::npos);
}

// The chart of an answer's JSON, its last member.
std::string chart_of(const std::string& answer) {
  const std::size_t at = answer.find(R"("chart":")");
  if (at == std::string::npos) return "no chart: " + answer.substr(0, 300);
  return read_json_string(std::string_view(answer).substr(at + 8, answer.size() - at - 9))
      .value_or("not a string");
}

// The chart k-berg-table writes with `options` and --svg -.
std::string program_chart(std::vector<const char*> options) {
  options.insert(options.begin(), "k-berg-table");
  options.insert(options.end(), {"--svg", "-"});
  textio::StringSink output;
  testing_support::FakeFiles files;
  table::run(table::parse_command_line(static_cast<int>(options.size()), options.data()).options,
             output, files, table::no_progress());
  return output.text();
}

// Each view draws the program's chart of the same entries, byte for byte: γ where γ is shown
// without α, the larger value the higher; none of more curves than can be told apart.
TEST(WebCharts, AreThePrograms) {
  using Answer = std::string (*)(web::Entries&);
  const std::tuple<Answer, std::string, std::vector<const char*>> kCases[] = {
      {web::table,
       "from=30\nto=120\nstep=15\nharmonics=1\nshow=gamma",
       {"--from", "30", "--to", "120", "--step", "15", "--harmonics", "1", "--show", "gamma"}},
      {web::table, "exponent=1;2\nexact", {"--exponent", "1;2", "--exact"}},
      {web::best_angles,
       "optimum\nharmonics=1-3\nto=100",
       {"--optimum", "--harmonics", "1-3", "--to", "100"}},
      {web::angle_for_g1,
       "angle-for-g1=1.8\nexponent=1;2",
       {"--angle-for-g1", "1.8", "--exponent", "1;2"}},
      {web::stage_design,
       "stage\nsupply=12.5\npower=8\nsaturation=1\nslope=0.05\ncutoff=0.6\nstep=15",
       {"--stage", "--supply", "12.5", "--power", "8", "--saturation", "1", "--slope", "0.05",
        "--cutoff", "0.6", "--step", "15"}},
      {web::stage_design,
       "stage\nsupply=12.5\npower=8\nxi=0.9\nharmonic=2\nexponent=1;2",
       {"--stage", "--supply", "12.5", "--power", "8", "--xi", "0.9", "--harmonic", "2",
        "--exponent", "1;2"}},
      {web::network_design,
       "network=pi\nresistance=2000\nfrequency=7\nq=12\nfrom=90\nto=90\nexponent=1;2",
       {"--network", "pi", "--resistance", "2000", "--frequency", "7", "--q", "12", "--from", "90",
        "--to", "90", "--exponent", "1;2"}},
      {web::stage_design,
       "stage\nsupply=2500\npower=1000\nxi=0.9\nnetwork=tank\nfrequency=7\nq=12\nstep=15",
       {"--stage", "--supply", "2500", "--power", "1000", "--xi", "0.9", "--network", "tank",
        "--frequency", "7", "--q", "12", "--step", "15"}}};
  for (const auto& [answer, fragment, options] : kCases) {
    web::Entries entries(fragment);
    const std::string chart = chart_of(answer(entries));
    EXPECT_TRUE(chart == program_chart(options)) << fragment << "\n" << chart.substr(0, 300);
  }
  web::Entries many("stage\nsupply=12.5\npower=8\nxi=1\nexponent=1;1.5;2;2.5;3;3.5;4");
  EXPECT_NE(web::stage_design(many).find(R"("chart_note":)"), std::string::npos);
}

// The curves' values of a half of a table, by exponent and curve: the strings of the arrays
// three deep in "curves".
std::vector<std::vector<std::string>> curves_of(const std::string& answer) {
  std::vector<std::vector<std::string>> curves;
  int depth = 0;
  for (std::size_t i = answer.find(R"("curves":)") + 9; i < answer.size(); ++i) {
    if (answer[i] == '[' && ++depth == 3) curves.emplace_back();
    if (answer[i] == ']' && --depth == 0) break;
    if (answer[i] == '"') {
      const std::size_t close = answer.find('"', i + 1);
      curves.back().push_back(answer.substr(i + 1, close - i - 1));
      i = close;
    }
  }
  return curves;
}

// A table's halves, their values joined alternately as the page joins them, give the chart of
// the whole table; values that do not make the whole table give none.
TEST(WebCharts, HalvesJoinIntoTheWholeChart) {
  const std::string whole = "from=4.9\nto=180.1\nstep=10\nexponent=1;2\nharmonics=1,3\nshow=gamma";
  web::Entries first(whole + "\nhalf=1"), second(whole + "\nhalf=2"), entries(whole);
  const auto odd = curves_of(web::table(first)), even = curves_of(web::table(second));
  ASSERT_EQ(odd.size(), 4u);
  std::string values;
  for (std::size_t c = 0; c < odd.size(); ++c)
    for (std::size_t i = 0; i < odd[c].size(); ++i)
      values += odd[c][i] + " " + (i < even[c].size() ? even[c][i] + " " : "");
  values.pop_back();
  EXPECT_EQ(chart_of(web::table_chart(entries, values)), chart_of(web::table(entries)));
  EXPECT_NE(web::table_chart(entries, values + " 1").find("refusals"), std::string::npos);
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
    {"permeance",
     {"--permeance", "%", "--slope", "1", "--cutoff", "0", "--stage", "--supply", "1", "--power",
      "1", "--xi", "1"}},
    {"max-voltage",
     {"--max-voltage", "%", "--stage", "--supply", "1", "--power", "1", "--xi", "1"}},
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
        {"--cutoff", o.stage.device ? o.stage.device->cutoff : 0.0},
        {"--permeance", o.stage.device ? o.stage.device->permeance : 0.0},
        {"--max-voltage", o.stage.limits.voltage.value_or(0.0)}};
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

// As many exponents as an answer takes are taken.
TEST(WebEntries, AsManyExponentsAsAnAnswerTakes) {
  std::string list = "1";
  for (std::size_t more = 1; more < web::kMostExponents; ++more) list += ";1";
  EXPECT_EQ(read_by_page("exponent", list), Numbers(std::vector<double>(web::kMostExponents, 1.0)));
}

// The table shows harmonics 0 to 9 where none are chosen.
TEST(WebTable, AllHarmonicsWhereNoneAreChosen) {
  web::Entries entries("from=30\nto=30");
  EXPECT_NE(web::table(entries).find(R"("α5","α6","α7","α8","α9"],)"), std::string::npos);
}

// Each form names its entries as their descriptions do, and shows what an empty one stands for
// in its view (the view named as a link names it).
TEST(WebForm, EachViewShowsWhatItsEmptyEntriesStandFor) {
  const std::pair<std::string, std::string> fields[] = {
      {"", R"({"name":"harmonics","label":"Гармоники, как 0-3 или 1,3,5","placeholder":"0-9",)"},
      {"optimum", R"("harmonics","label":"Гармоники, как 0-3 или 1,3,5","placeholder":"1-9",)"},
      {"", R"({"name":"xi","label":"ξ для КПД η","placeholder":"1","inputmode":"decimal"})"},
      {"", R"({"name":"exact","label":"по интегралу Берга, а не по 4096 отсчетам",)"},
      {"stage", R"({"name":"xi","label":"ξ","placeholder":"","inputmode":"decimal"})"},
      {"stage", R"("label":"Гармоника n: 1 — усилитель, 2-9 — умножитель","placeholder":"1",)"
                R"("inputmode":"numeric"})"},
      {"stage", R"({"name":"supply","label":"Напряжение питания E, В","placeholder":"",)"},
      {"optimum", R"("label":"Степени функции, через ;","placeholder":"1","inputmode":"text"})"},
      {"angle", R"j("label":"Степень функции (1-5)","placeholder":"1","inputmode":"decimal"})j"}};
  for (const auto& [view, field] : fields) {
    EXPECT_NE(web::form(web::Entries(view)).find(field), std::string::npos) << view << field;
  }
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
      {web::calculation, "angle=90\nangel=90", "angel", Kind::unknown_name},
      {web::table, "from=x", "from", Kind::not_a_number},
      {web::table, "to=x", "to", Kind::not_a_number},
      {web::table, "step=x", "step", Kind::not_a_number},
      {web::stage_design, "power=8\nsaturation=1", "supply", Kind::empty},
      {web::stage_csv, stage, "power", Kind::not_a_number},
      {web::stage_design, stage + "8\nharmonic=x", "harmonic", Kind::not_a_number},
      {web::stage_design, stage + "8\npermeance=0.1", "permeance", Kind::needs_law},
      {web::stage_design, stage + "8\nbest=power", "power", Kind::not_used},
      {web::stage_design, stage + "8\nbest=most", "best", Kind::not_one_of},
      {web::stage_design, stage + "8\nxi=0.9\nbest=efficiency", "xi", Kind::not_used},
      {web::stage_design, "supply=12.5\nbest=power\nmax-voltage=20", "best", Kind::unbounded_power},
      {web::stage_csv, stage + "8\nfrom=75\nto=75\nmax-dissipation=2", "max-dissipation",
       Kind::limit_at_angle},
      {web::stage_design, "supply=12.5\npower=2\nharmonic=3\nsaturation=0.5\nfrom=20\nto=80",
       "saturation", Kind::least_for_power},
      {web::stage_design, stage + "8\nfrequency=7", "frequency", Kind::network_only},
      {web::network_design, "network=pi\nresistance=2000\nfrequency=7\nq=6", "q", Kind::q_too_low},
      {web::stage_design, stage + "8\nbest=efficiency\nnetwork=pi\nfrequency=7\nq=10", "best",
       Kind::not_with},
      {web::stage_design,
       stage + "8\nfrom=75\nto=75\nmax-dissipation=2\nnetwork=pi\nfrequency=7\nq=10",
       "max-dissipation", Kind::limit_at_angle},
      {web::network_csv, "network=l\nresistance=50\nfrequency=7", "network",
       Kind::equal_resistances}};
  for (const auto& [answer, lines, entry, kind] : slips) {
    web::Entries entries(lines);
    // An unknown name is answered before any answer is asked for, by the module's export.
    const bool refused = answer(entries).starts_with(R"({"refusals":)");
    EXPECT_TRUE(refused || kind == Kind::unknown_name) << lines;
    const std::vector<refusals::Refusal>& got = entries.refusals();
    EXPECT_TRUE(std::any_of(got.begin(), got.end(), [&](const refusals::Refusal& refusal) {
      return refusal.entry == entry && refusal.kind == kind;
    })) << lines;
  }
}

TEST(WebEntries, RefusalsNameTheirEntry) {
  web::Entries entries("angle=200\nangel=90");
  EXPECT_FALSE(entries.number(entry_rules::kAngle));
  EXPECT_EQ(web::refused(entries),
            R"({"refusals":[{"entry":"angel","text":"angel: нет такого параметра"},)"
            R"({"entry":"angle","text":"Угол отсечки: 200 — нужно число от 4.9 до 180.1"}]})");
}

// Russian for the while of a test.
struct InRussian {
  InRussian() { messages::choose(messages::Language::russian); }
  ~InRussian() { messages::choose(messages::Language::english); }
};

std::string said_by_program(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "k-berg-table");
  try {
    table::parse_command_line(static_cast<int>(arguments.size()), arguments.data());
  } catch (const textio::Error& error) {
    return error.what();
  }
  return "";
}

// What the page says of the entries that stand for k-berg-table's arguments ("--from 90
// --stage" stands for "from=90\nstage"), answered by `answer`.
std::string said_by_page(std::string (*answer)(web::Entries&), std::vector<const char*> arguments) {
  std::string lines;
  for (std::string_view argument : arguments) {
    const bool option = argument.starts_with("--");
    lines.append(option ? (lines.empty() ? "" : "\n") : "=")
        .append(argument.substr(option ? 2 : 0));
  }
  web::Entries entries(lines);
  if (entries.refusals().empty()) answer(entries);
  if (entries.refusals().empty()) return "";
  return refusals::worded(entries.refusals().front(), refusals::Naming::label,
                          messages::Language::russian);
}

// In Russian k-berg-table names the option, the page the field, and after it both say the
// same sentence, from the catalogue, with the numbers of English; the option library's faults
// are told in the program's words. Where the page can make the slip, its answer (nullptr where
// it cannot) refuses it as the program does.
TEST(Russian, EachKindOfSlipInTheProgramAndOnThePage) {
  const InRussian russian;
  using Answer = std::string (*)(web::Entries&);
  const std::tuple<std::vector<const char*>, std::string, Answer> slips[] = {
      {{"--from", "4,89"}, "--from: 4.89 — нужно число от 4.9 до 180.1", web::table},
      {{"--step", "x"}, "--step: «x» — не число", web::table},
      {{"--exponent", "1e-400"},
       "--exponent: «1e-400» — за пределами чисел, которые может хранить программа",
       web::table},
      {{"--exponent", "1;1,5"},
       "--exponent: «1,5» — неоднозначно: одно число пишите с точкой (1.5), несколько — через ; "
       "(1;5)",
       web::table},
      {{"--from", "90", "--to", "80"}, "--from: 90 больше конечного угла 80", web::table},
      {{"--step", "0"}, "--step: 0 — нужно число больше 0", web::table},
      {{"--show", "beta"},
       "--show: «beta» — не одно из: alpha, gamma, g1, eta, db, cos, gn, etan",
       web::table},
      {{"--optimum", "--harmonics", "0"},
       "--harmonics: «0» — нет ни одной от 1 до 9, у которой искать максимум",
       web::best_angles},
      {{"--stage", "--supply", "9", "--power", "1", "--xi", "1", "--harmonic", "2.5"},
       "--harmonic: «2.5» — не целое число",
       web::stage_design},
      {{"--step", "0.001", "--to", "105"},
       "--step: 0.001 — получится больше 100000 строк",
       nullptr},
      {{"--xi", "0.9"}, "--xi: таблица использует это только для η и ηn в --show", nullptr},
      {{"--stage", "--supply", "12.5", "--power", "8"},
       "--stage: задайте одно из двух: ξ (--xi X) или крутизну линии критического режима Sкр "
       "(--saturation S)",
       nullptr},
      {{"--bogus"}, "--bogus: нет такого параметра", nullptr},
      {{"1", "2"}, "«1» — не параметр и не значение параметра", nullptr},
      {{"--csv", "--from"}, "--from: нет значения", nullptr},
      {{"--from", "--to"}, "--from: нет значения: «--to» — это параметр", nullptr},
      {{"--svg", "a", "--svg", "b"}, "--svg: задан больше одного раза", nullptr},
      {{"--csv=maybe"}, "--csv: «maybe» — такого значения у этого флага нет", nullptr},
      {{"--optimum", "--angle-for-g1", "2"}, "--optimum: нельзя вместе с --angle-for-g1", nullptr}};
  for (const auto& [arguments, said, answer] : slips) {
    EXPECT_EQ(said_by_program(arguments), said);
    if (answer == nullptr) continue;
    const std::size_t colon = said.find(": ");
    const std::string_view label = entry_rules::named(said.substr(2, colon - 2))->label;
    EXPECT_EQ(said_by_page(answer, arguments), std::string(label).append(said.substr(colon)));
  }
  EXPECT_EQ(table::progress_line(3, 10), "k-berg-table: поиск 3 из 10...");
}

}  // namespace
