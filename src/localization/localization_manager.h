// Holds the translation table of each display language, remembers the user's language choice
// in the settings store, resolves the choice to follow the system against the user's preferred
// languages (asked afresh on every lookup), and looks texts up with a fixed fallback chain:
// the effective language, then English, then the key name itself. On a Linux desktop a text
// that speaks of the Mac is looked up under its Linux variant instead, through the same chain.
// One process-wide instance is shared; tests make their own.
#pragma once

#include "localization/key.h"
#include "localization/language.h"
#include "localization/translation_tables.h"
#include "platform/settings_store.h"
#include "platform/workspace.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace halomark {

class LocalizationManager
{
public:
    // The user's preferred language identifiers, most preferred first ("en-US", "zh-Hant-TW").
    using PreferredLanguages = std::function<std::vector<std::string>()>;

    // Where the table of each language comes from; the compiled-in tables unless told otherwise.
    using TableSource = std::span<const TranslationEntry> (*)(Language);

    // The family of texts the system's users expect; the Mac's when none is given.
    using TextFamilySource = std::function<TextFamily()>;

    static constexpr const char* preferenceKey = "Halomark.language";

    // The process-wide instance, created on first use with the store and source given then;
    // later calls return the same instance whatever they pass.
    static std::shared_ptr<LocalizationManager> shared(SettingsStore& store,
                                                       PreferredLanguages preferredLanguages,
                                                       TextFamilySource textFamily = {});

    // Builds the lookup of every table once, then reads the stored choice; a missing, mistyped
    // or unknown one reads as `system` and is left as it is in the store. Nothing is written.
    LocalizationManager(SettingsStore& store, PreferredLanguages preferredLanguages,
                        TableSource tables = &translationTable, TextFamilySource textFamily = {});

    Language selectedLanguage() const { return selected; }

    // Stores the choice and writes its raw value under preferenceKey at once.
    void setSelectedLanguage(Language language);

    // The language whose table is consulted first; never `system`.
    Language effectiveLanguage() const;

    // The first of the preferred languages that a table serves, tested by lower-case prefix;
    // English when none is served or the list is empty.
    static Language resolvePreferredLanguage(const std::vector<std::string>& preferred);

    // Asked afresh on every lookup, like the preferred languages.
    TextFamily textFamily() const;

    // The text for the key whose case name is `key`; an unknown name comes back unchanged.
    std::string string(std::string_view key) const;
    std::string string(Key key) const;

    // The title of the language in the language menu: its fixed native name, or the
    // translated "System Default" text for `system`.
    std::string menuTitle(Language language) const;

private:
    using Table = std::array<std::optional<std::string_view>, keyCount>;

    std::optional<std::string_view> lookUp(Language language, Key key) const;

    SettingsStore& store;
    PreferredLanguages preferredLanguages;
    TextFamilySource textFamilySource;
    Language selected = Language::system;
    // Indexed by Language; the entry of `system` stays empty.
    std::array<Table, allLanguages.size()> translations{};
};

} // namespace halomark
