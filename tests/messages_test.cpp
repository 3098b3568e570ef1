// The messages: the choice of their language, the compiled catalogue and the lookup in it,
// whole, truncated or corrupt, and the filling of their places.
#include "textio/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>

namespace {

using messages::Catalogue;
using messages::Language;

// The places "{...}" of a text.
std::set<std::string> places_of(std::string_view text) {
  std::set<std::string> places;
  for (std::size_t open = text.find('{'); open != std::string_view::npos;
       open = text.find('{', open + 1)) {
    places.insert(std::string(text.substr(open, text.find('}', open) + 1 - open)));
  }
  return places;
}

// Each English text has its translation, found by its original, with the same places; the
// catalogue as msgfmt writes it on a machine of the other byte order reads the same.
TEST(Catalogue, EachTranslationIsFoundAndKeepsThePlacesOfItsOriginal) {
  std::ifstream file(K_BERG_BIG_ENDIAN_CATALOGUE, std::ios::binary);
  const std::string big_endian{std::istreambuf_iterator<char>(file), {}};
  const Catalogue russian(messages::russian_catalogue()), big(big_endian);
  ASSERT_GT(russian.size(), 40u);
  ASSERT_EQ(big.size(), russian.size());
  for (std::size_t i = 1; i < russian.size(); ++i) {
    const std::string_view original = russian.original(i);
    EXPECT_EQ(russian.find(original), russian.translation(i)) << original;
    EXPECT_EQ(big.find(original), russian.translation(i)) << original;
    EXPECT_EQ(places_of(russian.translation(i)), places_of(original)) << original;
    EXPECT_EQ(messages::translated(original, Language::english), original);
  }
  EXPECT_EQ(russian.find("a text that is not in it"), std::nullopt);
}

// A catalogue cut short or spoilt: nothing is read beyond its bytes (which the sanitizers
// would see: each copy is allocated to its size), and what is found is still the translation.
TEST(Catalogue, TruncatedOrCorruptReadsNothingBeyondItsBytes) {
  const std::string whole(messages::russian_catalogue());
  const Catalogue russian(whole);
  const auto word_set = [](std::string bytes, std::size_t at, std::uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);  // the build machine's byte order, as msgfmt's
    return bytes;
  };
  const std::size_t last_string = whole.size() - russian.translation(russian.size() - 1).size();
  const std::pair<std::string, std::size_t> spoilt[] = {
      {"", 0},
      {whole.substr(0, 19), 0},
      {whole.substr(0, 20), 0},
      {whole.substr(0, 28 + 8 * russian.size()), 0},
      {whole.substr(0, 28 + 16 * russian.size()), russian.size()},
      {whole.substr(0, last_string), russian.size()},
      {whole.substr(0, whole.size() - 1), russian.size()},
      {word_set(whole, 0, 0x12345678), 0},
      {word_set(whole, 8, 0xffffffff), 0},
      {word_set(whole, 12, 0xfffffff0), 0},
      {word_set(whole, 16, static_cast<std::uint32_t>(whole.size())), 0},
      {word_set(whole, 28 + 8 * 5 + 4, 0xfffffff0), russian.size()},
      {word_set(whole, 28 + 8 * 5, 0xfffffff0), russian.size()},
  };
  for (const auto& [bytes, size] : spoilt) {
    const std::unique_ptr<char[]> exact(new char[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    const Catalogue catalogue({exact.get(), bytes.size()});
    EXPECT_EQ(catalogue.size(), size) << bytes.size();
    for (std::size_t i = 1; i < russian.size(); ++i) {
      const std::optional<std::string_view> found = catalogue.find(russian.original(i));
      EXPECT_EQ(found.value_or(russian.translation(i)), russian.translation(i)) << bytes.size();
    }
  }
}

// The places are filled in one pass; a place without a value, and any other brace, stay.
TEST(Messages, FilledOnceEachPlace) {
  const std::pair<std::string_view, std::string> cases[] = {
      {"{1} of {0}", "b of a"}, {"{0}{0}", "aa"}, {"{2} {range} {x} { {0", "{2} {range} {x} { {0"},
      {"{1}{", "b{"},           {"", ""},
  };
  for (const auto& [words, text] : cases) {
    EXPECT_EQ(messages::filled(words, {"a", "b"}), text) << words;
  }
  EXPECT_EQ(messages::filled("'{0}' is {1}", {"{1}", "x"}), "'{1}' is x");
  EXPECT_EQ(messages::filled("{:}", std::vector<std::string>(11, "x")), "{:}");
}

// As POSIX and gettext choose it, from the variables' names alone, whatever locales the system
// has; on Windows, with none of them set, the interface's language.
TEST(Messages, TheLanguageTheEnvironmentChooses) {
  using enum Language;
  const std::pair<messages::Settings, Language> cases[] = {
      {{}, english},
      {{.lang = "C"}, english},
      {{.lang = "POSIX"}, english},
      {{.lang = "C.UTF-8"}, english},
      {{.lang = "ru_RU.UTF-8"}, russian},
      {{.lc_all = "ru_RU.UTF-8"}, russian},
      {{.lc_messages = "ru_UA", .lang = "en_US.UTF-8"}, russian},
      {{.lc_all = "C", .lang = "ru_RU.UTF-8"}, english},
      {{.lc_all = "en_GB.UTF-8", .lc_messages = "ru_RU"}, english},
      {{.language = "ru", .lang = "C.UTF-8"}, russian},
      {{.language = "ru"}, english},
      {{.language = "ru", .lang = "POSIX"}, english},
      {{.language = "de:ru:en", .lang = "en_US.UTF-8"}, russian},
      {{.language = "en:ru", .lang = "ru_RU.UTF-8"}, english},
      {{.language = "de", .lang = "ru_RU.UTF-8"}, english},
      {{.interface_language = 0x0419}, russian},
      {{.interface_language = 0x0819}, russian},
      {{.interface_language = 0x0409}, english},
      {{.lang = "C", .interface_language = 0x0419}, english},
      {{.language = "ru", .interface_language = 0x0409}, russian},
  };
  for (const auto& [settings, language] : cases) {
    EXPECT_EQ(messages::language_of(settings), language)
        << settings.language << '|' << settings.lc_all << '|' << settings.lc_messages << '|'
        << settings.lang << '|' << settings.interface_language;
  }
}

}  // namespace
