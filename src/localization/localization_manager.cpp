#include "localization/localization_manager.h"

#include <cctype>
#include <mutex>
#include <utility>

namespace halomark {
namespace {

struct PrefixRule
{
    std::string_view prefix;
    Language language;
};

// Tested in this order against the lower-cased identifier. No prefix begins another, so the
// script of "zh-hans-hk" decides over its region, and a bare "zh", which names neither script
// nor region, matches none of them and is skipped.
constexpr std::array<PrefixRule, 14> prefixRules{{
    {"ja", Language::ja},
    {"zh-hans", Language::zhHans},
    {"zh-cn", Language::zhHans},
    {"zh-sg", Language::zhHans},
    {"zh-hant", Language::zhHant},
    {"zh-tw", Language::zhHant},
    {"zh-hk", Language::zhHant},
    {"zh-mo", Language::zhHant},
    {"ko", Language::ko},
    {"es", Language::es},
    {"fr", Language::fr},
    {"de", Language::de},
    {"pt", Language::pt},
    {"en", Language::en},
}};

std::string asciiLowercase(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lowered;
}

std::size_t indexOf(Language language)
{
    return static_cast<std::size_t>(language);
}

} // namespace

std::shared_ptr<LocalizationManager>
LocalizationManager::shared(SettingsStore& store, PreferredLanguages preferredLanguages,
                            TextFamilySource textFamily)
{
    static std::once_flag once;
    static std::shared_ptr<LocalizationManager> instance;
    std::call_once(once, [&] {
        instance = std::make_shared<LocalizationManager>(store, std::move(preferredLanguages),
                                                         &translationTable, std::move(textFamily));
    });
    return instance;
}

LocalizationManager::LocalizationManager(SettingsStore& store,
                                         PreferredLanguages preferredLanguages, TableSource tables,
                                         TextFamilySource textFamily)
    : store(store), preferredLanguages(std::move(preferredLanguages)),
      textFamilySource(std::move(textFamily))
{
    for (Language language : allLanguages) {
        if (language == Language::system || tables == nullptr) {
            continue;
        }
        Table& table = translations[indexOf(language)];
        for (const TranslationEntry& entry : tables(language)) {
            const auto index = static_cast<std::size_t>(entry.key);
            // The first text of a key wins, so a table listing a key twice stays predictable.
            if (index < keyCount && !table[index]) {
                table[index] = entry.text;
            }
        }
    }
    if (const auto text = store.stringForKey(preferenceKey)) {
        selected = languageFromRawValue(*text).value_or(Language::system);
    }
}

void LocalizationManager::setSelectedLanguage(Language language)
{
    selected = language;
    store.setString(preferenceKey, std::string(rawValue(language)));
}

Language LocalizationManager::effectiveLanguage() const
{
    if (selected != Language::system) {
        return selected;
    }
    return resolvePreferredLanguage(preferredLanguages ? preferredLanguages()
                                                       : std::vector<std::string>{});
}

Language LocalizationManager::resolvePreferredLanguage(const std::vector<std::string>& preferred)
{
    for (const std::string& identifier : preferred) {
        const std::string lowered = asciiLowercase(identifier);
        for (const PrefixRule& rule : prefixRules) {
            if (lowered.starts_with(rule.prefix)) {
                return rule.language;
            }
        }
    }
    return Language::en;
}

std::string LocalizationManager::string(std::string_view key) const
{
    const auto known = keyFromRawValue(key);
    if (!known) {
        return std::string(key);
    }
    return string(*known);
}

TextFamily LocalizationManager::textFamily() const
{
    return textFamilySource ? textFamilySource() : TextFamily::macOS;
}

std::string LocalizationManager::string(Key key) const
{
    if (textFamily() == TextFamily::linuxDesktop) {
        key = linuxVariant(key).value_or(key);
    }
    if (const auto text = lookUp(effectiveLanguage(), key)) {
        return std::string(*text);
    }
    if (const auto text = lookUp(Language::en, key)) {
        return std::string(*text);
    }
    return std::string(rawValue(key));
}

std::string LocalizationManager::menuTitle(Language language) const
{
    if (const auto name = nativeName(language)) {
        return std::string(*name);
    }
    return string(Key::systemDefault);
}

std::optional<std::string_view> LocalizationManager::lookUp(Language language, Key key) const
{
    const std::size_t index = static_cast<std::size_t>(key);
    if (index >= keyCount) {
        return std::nullopt;
    }
    return translations[indexOf(language)][index];
}

} // namespace halomark
