#include "localization/language.h"

namespace halomark {

std::string_view rawValue(Language language)
{
    switch (language) {
    case Language::system:
        return "system";
    case Language::ja:
        return "ja";
    case Language::en:
        return "en";
    case Language::zhHans:
        return "zh-Hans";
    case Language::zhHant:
        return "zh-Hant";
    case Language::ko:
        return "ko";
    case Language::es:
        return "es";
    case Language::fr:
        return "fr";
    case Language::de:
        return "de";
    case Language::pt:
        return "pt";
    }
    return "system";
}

std::optional<Language> languageFromRawValue(std::string_view text)
{
    for (Language language : allLanguages) {
        if (rawValue(language) == text) {
            return language;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> nativeName(Language language)
{
    switch (language) {
    case Language::system:
        return std::nullopt;
    case Language::ja:
        return "日本語";
    case Language::en:
        return "English";
    case Language::zhHans:
        return "简体中文";
    case Language::zhHant:
        return "繁體中文";
    case Language::ko:
        return "한국어";
    case Language::es:
        return "Español";
    case Language::fr:
        return "Français";
    case Language::de:
        return "Deutsch";
    case Language::pt:
        return "Português";
    }
    return std::nullopt;
}

} // namespace halomark
