#include "textio/messages.h"

#include <algorithm>

namespace messages {

namespace {

// The first word of a catalogue, as read on a machine of each byte order.
constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;
// Magic, revision, count, and where the originals' and the translations' tables start.
constexpr std::uint64_t kHeaderSize = 20;
// Each entry of a table: a string's length, then where it starts.
constexpr std::uint64_t kEntrySize = 8;

Language chosen_language = Language::english;

// The language a locale's name ("ru_RU.UTF-8", "ru") names; nothing for one the program lacks.
std::optional<Language> language_named(std::string_view locale) {
  const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
  if (language == "ru") return Language::russian;
  if (language == "en") return Language::english;
  return std::nullopt;
}

// Windows' LANGID of the interface, as a locale's name: its primary language is Russian or not.
std::string interface_locale(unsigned language_id) {
  constexpr unsigned kPrimaryLanguage = 0x3ff, kRussian = 0x19;
  return (language_id & kPrimaryLanguage) == kRussian ? "ru" : "en";
}

// The value of the place "{n}" that starts `words`; nothing where none does, or it has none.
const std::string* value_of_place(std::string_view words, const std::vector<std::string>& values) {
  if (words.size() < 3 || words[2] != '}') return nullptr;
  const std::size_t number = std::string_view("0123456789").find(words[1]);
  return number < values.size() ? &values[number] : nullptr;
}

}  // namespace

Catalogue::Catalogue(std::string_view bytes) : bytes_(bytes) {
  if (bytes.size() < kHeaderSize) return;
  const std::uint32_t magic = word(0);
  swapped_ = magic == kSwappedMagic;
  if (magic != kMagic && !swapped_) return;
  const std::uint32_t count = word(8);
  originals_ = word(12);
  translations_ = word(16);
  const std::uint64_t table_size = kEntrySize * count;
  if (originals_ + table_size <= bytes.size() && translations_ + table_size <= bytes.size()) {
    count_ = count;
  }
}

std::uint32_t Catalogue::word(std::uint64_t at) const {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    // The most significant byte first: the last of the four in little-endian order.
    const auto byte = static_cast<unsigned char>(bytes_[at + (swapped_ ? i : 3 - i)]);
    value = value << 8 | byte;
  }
  return value;
}

// A string must lie within the bytes.
std::string_view Catalogue::string_at(std::uint64_t table, std::size_t index) const {
  if (index >= count_) return {};
  const std::uint64_t entry = table + kEntrySize * index;
  const std::uint64_t length = word(entry);
  const std::uint64_t start = word(entry + 4);
  if (start + length > bytes_.size()) return {};
  return bytes_.substr(start, length);
}

std::string_view Catalogue::original(std::size_t index) const {
  return string_at(originals_, index);
}

std::string_view Catalogue::translation(std::size_t index) const {
  return string_at(translations_, index);
}

// msgfmt sorts the originals as strcmp orders them, which string_view's order is.
std::optional<std::string_view> Catalogue::find(std::string_view original_text) const {
  std::size_t low = 0, high = count_;
  while (low < high) {
    const std::size_t middle = low + (high - low) / 2;
    const int order = original(middle).compare(original_text);
    if (order == 0) {
      const std::string_view found = translation(middle);
      return found.empty() ? std::nullopt : std::optional(found);
    }
    if (order < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return std::nullopt;
}

std::string_view translated(std::string_view english, Language language) {
  static const Catalogue russian(russian_catalogue());
  if (language == Language::english || english.empty()) return english;
  return russian.find(english).value_or(english);
}

void choose(Language language) { chosen_language = language; }

Language chosen() { return chosen_language; }

std::string_view translated(std::string_view english) {
  return translated(english, chosen_language);
}

std::string filled(std::string_view words, const std::vector<std::string>& values) {
  std::string text;
  std::size_t at = 0;
  for (std::size_t open; (open = words.find('{', at)) != std::string_view::npos;) {
    const std::string* value = value_of_place(words.substr(open), values);
    text.append(words.substr(at, open - at)).append(value ? *value : "{");
    at = open + (value ? 3 : 1);
  }
  return text.append(words.substr(at));
}

Language language_of(const Settings& settings) {
  std::string locale = !settings.lc_all.empty()        ? settings.lc_all
                       : !settings.lc_messages.empty() ? settings.lc_messages
                                                       : settings.lang;
  if (locale.empty() && settings.interface_language != 0) {
    locale = interface_locale(settings.interface_language);
  }
  if (locale.empty() || locale == "C" || locale == "POSIX") return Language::english;
  const std::string& list = settings.language.empty() ? locale : settings.language;
  for (std::size_t start = 0; start <= list.size();) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    if (const auto language = language_named(std::string_view(list).substr(start, end - start))) {
      return *language;
    }
    start = end + 1;
  }
  return Language::english;
}

}  // namespace messages
