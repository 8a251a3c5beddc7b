// The display languages the user can choose from, in the order of the language menu. `system`
// follows the user's preferred languages; every other case has a translation table and a
// fixed native name.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace halomark {

enum class Language
{
    system,
    ja,
    en,
    zhHans,
    zhHant,
    ko,
    es,
    fr,
    de,
    pt
};

inline constexpr std::array<Language, 10> allLanguages{
    Language::system, Language::ja, Language::en, Language::zhHans, Language::zhHant,
    Language::ko,     Language::es, Language::fr, Language::de,     Language::pt};

// "system", "ja", "en", "zh-Hans", "zh-Hant", "ko", "es", "fr", "de", "pt".
std::string_view rawValue(Language language);

// The case whose raw value is the text exactly (case-sensitive); nothing for any other text.
std::optional<Language> languageFromRawValue(std::string_view text);

// The language's own name for itself ("日本語", "English", ...), never translated; nothing for
// `system`, whose title is a translated text.
std::optional<std::string_view> nativeName(Language language);

} // namespace halomark
