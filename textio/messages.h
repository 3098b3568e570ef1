// The programs' messages in the user's language. English is the language of the source: each
// text to translate is written in English where it is used and marked for xgettext (N_ where it
// is only named, translated where it is looked up); its Russian translation is in po/ru.po,
// which msgfmt compiles and the build puts into the program. A text is looked up in that
// compiled catalogue, the same in the Linux, Windows and page builds, none of which has or
// needs a C library's gettext or a locale of the system: numbers are never touched by one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace messages {

enum class Language { english, russian };

// Marks an English text as one to translate where it is shown; gives it back as it is.
constexpr std::string_view N_(std::string_view english) { return english; }

// A catalogue as msgfmt compiles it (GNU's .mo format): its originals sorted, each with its
// translation. Bytes of another format, or a table beyond their end, hold no message; a string
// beyond their end reads as empty. Nothing is read outside the bytes, whatever they hold.
class Catalogue {
 public:
  explicit Catalogue(std::string_view bytes);

  std::size_t size() const { return count_; }
  std::string_view original(std::size_t index) const;
  std::string_view translation(std::size_t index) const;
  // The translation of `original`; nothing where the catalogue has none, or an empty one.
  std::optional<std::string_view> find(std::string_view original) const;

 private:
  std::uint32_t word(std::uint64_t at) const;
  std::string_view string_at(std::uint64_t table, std::size_t index) const;

  std::string_view bytes_;
  bool swapped_ = false;  // written on a machine of the other byte order
  std::size_t count_ = 0;
  std::uint32_t originals_ = 0, translations_ = 0;  // where their tables start
};

// The bytes of po/ru.po as msgfmt compiled them; the build writes this function.
std::string_view russian_catalogue();

// `english` in `language`: its translation where the catalogue has one, else itself.
std::string_view translated(std::string_view english, Language language);

// The language of the process's messages: English until main chooses another, once, at the
// start.
void choose(Language language);
Language chosen();
// `english` in the language chosen.
std::string_view translated(std::string_view english);

// `words` with each place {0} to {9} filled by the value of that number, in one pass: the
// braces of a value stay as they are, and so does a place that has no value.
std::string filled(std::string_view words, const std::vector<std::string>& values);

// What chooses the language of messages: the environment's variables as POSIX and gettext
// read them, empty where unset, and on Windows the language of the user's interface (its
// LANGID; 0 elsewhere).
struct Settings {
  std::string language{}, lc_all{}, lc_messages{}, lang{};
  unsigned interface_language = 0;
};

// The language the settings choose. The locale of messages is the first of LC_ALL, LC_MESSAGES
// and LANG that is set, else the interface's language, else C. In C or POSIX the messages are
// English; in any other locale (C.UTF-8 too) the first of LANGUAGE's list, or where it is empty
// the locale, that names a language the program has. A locale is read by its name alone: it
// need not exist on the system, and none is ever set.
Language language_of(const Settings& settings);

}  // namespace messages
