#include "localization/localization_manager.h"
#include "localization/translation_tables.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace halomark {
namespace {

using Languages = std::vector<std::string>;
using Write = sim::SimSettingsStore::Write;

LocalizationManager::PreferredLanguages prefers(Languages languages)
{
    return [languages] { return languages; };
}

// Every language but `system`, which comes first.
const std::vector<Language> tabled(allLanguages.begin() + 1, allLanguages.end());

TEST(LocalizationManager, PreferredLanguagesResolveByOrderedPrefixesAskedAfreshOnEveryLookup)
{
    const std::vector<std::pair<Languages, Language>> cases{
        // The script decides over the region.
        {{"zh-Hans-HK"}, Language::zhHans},
        {{"zh-Hant-CN"}, Language::zhHant},
        {{"zh-HK"}, Language::zhHant},
        {{"zh-MO"}, Language::zhHant},
        {{"zh-TW"}, Language::zhHant},
        {{"zh-SG"}, Language::zhHans},
        {{"zh-CN"}, Language::zhHans},
        {{"PT-BR"}, Language::pt},
        // A bare zh names no script or region, so it is skipped, as is what matches nothing.
        {{"zh", "fr-CA"}, Language::fr},
        {{"zh"}, Language::en},
        {{"it-IT", "nl-NL"}, Language::en},
        {{}, Language::en},
        // A plain prefix test: the character after the prefix is not examined.
        {{"ja-JP"}, Language::ja},
        {{"jam"}, Language::ja},
        {{"ko-KR"}, Language::ko},
        {{"es-419"}, Language::es},
        // The first entry that matches decides, even when it is English.
        {{"de-CH", "ja"}, Language::de},
        {{"nl", "en-GB", "ja"}, Language::en},
    };
    sim::SimSettingsStore store;
    for (const auto& [preferred, expected] : cases) {
        EXPECT_EQ(LocalizationManager(store, prefers(preferred)).effectiveLanguage(), expected)
            << ::testing::PrintToString(preferred);
    }
    EXPECT_EQ(LocalizationManager(store, nullptr).string("close"), "Close");

    Languages preferred{"zh-Hant-TW", "en-US"};
    int asked = 0;
    LocalizationManager manager(store, [&] {
        ++asked;
        return preferred;
    });
    EXPECT_EQ(manager.string(Key::quitHalomark), "結束 Halomark");
    preferred = {"de-AT"};
    EXPECT_EQ(manager.string("language"), "Sprache");
    // A chosen language does not consult the system at all.
    manager.setSelectedLanguage(Language::ko);
    EXPECT_EQ(manager.string("language"), "언어");
    EXPECT_EQ(asked, 2);
}

TEST(LocalizationManager, TheStoredChoiceIsReadExactlyAndWrittenOnlyWhenTheUserChooses)
{
    const std::vector<SettingValue> unknown{
        std::string("zh-hans"),   std::string("JA"),     std::string(""), std::string(" de"),
        std::string("de "),       std::string("System"), std::int64_t{2}, true,
        OtherSettingValue{"(de)"}};
    for (const SettingValue& stored : unknown) {
        sim::SimSettingsStore store;
        store.seed(LocalizationManager::preferenceKey, stored);
        LocalizationManager manager(store, prefers({"ko-KR"}));
        EXPECT_EQ(manager.selectedLanguage(), Language::system);
        EXPECT_EQ(manager.string("ok"), "확인");
        EXPECT_TRUE(store.writes().empty());
    }

    sim::SimSettingsStore store;
    store.seed(LocalizationManager::preferenceKey, std::string("de"));
    LocalizationManager manager(store, prefers({"es-ES"}));
    for (const TranslationEntry& entry : translationTable(Language::de)) {
        EXPECT_EQ(manager.string(rawValue(entry.key)), entry.text);
    }
    manager.setSelectedLanguage(Language::zhHans);
    EXPECT_EQ(manager.string("ok"), "确定");
    manager.setSelectedLanguage(Language::zhHans);
    manager.setSelectedLanguage(Language::system);
    EXPECT_EQ(manager.string("ok"), "Aceptar");
    EXPECT_EQ(store.writes(), (std::vector<Write>{{LocalizationManager::preferenceKey, "zh-Hans"},
                                                  {LocalizationManager::preferenceKey, "zh-Hans"},
                                                  {LocalizationManager::preferenceKey, "system"}}));
    manager.setSelectedLanguage(Language::zhHant);
    EXPECT_EQ(LocalizationManager(store, prefers({"en"})).string("close"), "關閉");
}

// Japanese lacks `ok` and lists `drag` twice; English lacks `ok` and `close` too.
std::span<const TranslationEntry> incompleteTables(Language language)
{
    static constexpr TranslationEntry japanese[] = {
        {Key::drag, "ドラッグ"}, {Key::drag, "引く"}, {Key::close, "閉じる"}};
    static constexpr TranslationEntry english[] = {{Key::drag, "Drag"}, {Key::version, "Version"}};
    if (language == Language::ja) {
        return japanese;
    }
    return language == Language::en ? english : std::span<const TranslationEntry>{};
}

TEST(LocalizationManager, MissingTextsFallBackToEnglishThenToTheKeyNameAsDoNamesThatAreNoKey)
{
    sim::SimSettingsStore store;
    LocalizationManager manager(store, prefers({"ja-JP"}), &incompleteTables);
    EXPECT_EQ(manager.string("drag"), "ドラッグ");
    EXPECT_EQ(manager.string("close"), "閉じる");
    EXPECT_EQ(manager.string("version"), "Version");
    EXPECT_EQ(manager.string("ok"), "ok");
    for (const std::string name : {"", "Drag", "drag ", "ドラッグ", "howToUseMessage"}) {
        EXPECT_EQ(manager.string(name), name);
    }
    manager.setSelectedLanguage(Language::fr);
    EXPECT_EQ(manager.string("drag"), "Drag");
    EXPECT_EQ(manager.string("close"), "close");
}

TEST(LocalizationManager, MenuTitlesAndTextsThatAppearSideBySide)
{
    sim::SimSettingsStore store;
    LocalizationManager manager(store, prefers({"ja-JP"}));
    // The language menu: the system entry is translated, the others keep their own names.
    EXPECT_EQ(manager.menuTitle(Language::system), "システム設定に合わせる");
    manager.setSelectedLanguage(Language::de);
    EXPECT_EQ(manager.menuTitle(Language::system), "Systemeinstellung verwenden");
    EXPECT_EQ(manager.menuTitle(Language::ja), "日本語");
    for (Language language : allLanguages) {
        EXPECT_EQ(languageFromRawValue(rawValue(language)), language);
        EXPECT_EQ(nativeName(language).has_value(), language != Language::system);
    }
    EXPECT_EQ(rawValue(Language::zhHans), "zh-Hans");
    EXPECT_EQ(rawValue(Language::zhHant), "zh-Hant");
    EXPECT_EQ(languageFromRawValue("zhHans"), std::nullopt);

    manager.setSelectedLanguage(Language::es);
    EXPECT_EQ(manager.string("howToUse"), manager.string("howToUseTitle"));
    manager.setSelectedLanguage(Language::fr);
    EXPECT_EQ(manager.string("ok"), "OK");
    EXPECT_NE(manager.string("howToUse"), manager.string("howToUseTitle"));
    manager.setSelectedLanguage(Language::zhHant);
    EXPECT_EQ(manager.string("ok"), "好");
}

std::string_view textOf(Language language, Key key)
{
    for (const TranslationEntry& entry : translationTable(language)) {
        if (entry.key == key) {
            return entry.text;
        }
    }
    return {};
}

std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (std::size_t start = 0, end = 0; end != std::string_view::npos; start = end + 1) {
        end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

TEST(TranslationTables, EveryLanguageHoldsEveryKeyOnceInKeyOrderWithNamesThatReadBack)
{
    EXPECT_TRUE(translationTable(Language::system).empty());
    ASSERT_EQ(keyCount, 45u);
    for (Language language : tabled) {
        const auto table = translationTable(language);
        ASSERT_EQ(table.size(), keyCount) << rawValue(language);
        for (std::size_t i = 0; i < keyCount; ++i) {
            EXPECT_EQ(table[i].key, allKeys[i]) << rawValue(language) << i;
            // Texts are shown verbatim: none empty or ending in white space.
            EXPECT_FALSE(table[i].text.empty() || table[i].text.ends_with(' ') ||
                         table[i].text.ends_with('\n'))
                << rawValue(language) << i;
        }
    }
    EXPECT_EQ(rawValue(Key::privacyPolicyMessage), "privacyPolicyMessage");
    for (Key key : allKeys) {
        EXPECT_EQ(keyFromRawValue(rawValue(key)), key);
    }
    EXPECT_EQ(keyFromRawValue("OK"), std::nullopt);
}

TEST(TranslationTables, LongTextsKeepTheEnglishParagraphsAndTheProductName)
{
    for (Key key : {Key::howToUseMessage, Key::aboutMessage, Key::privacyPolicyMessage}) {
        const auto english = linesOf(textOf(Language::en, key));
        for (Language language : tabled) {
            const auto lines = linesOf(textOf(language, key));
            ASSERT_EQ(lines.size(), english.size()) << rawValue(language) << rawValue(key);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                // Empty lines separate the same paragraphs; every other line is translated.
                EXPECT_EQ(lines[i].empty(), english[i].empty()) << rawValue(language) << i;
                EXPECT_TRUE(language == Language::en || lines[i].empty() || lines[i] != english[i]);
                EXPECT_TRUE(english[i].find("Halomark") == std::string_view::npos ||
                            lines[i].find("Halomark") != std::string_view::npos)
                    << rawValue(language) << rawValue(key) << i;
            }
        }
    }
    EXPECT_EQ(linesOf(textOf(Language::en, Key::howToUseMessage)).size(), 17u);
    EXPECT_EQ(linesOf(textOf(Language::en, Key::privacyPolicyMessage)).size(), 7u);
}

TEST(TranslationTables, TypographicCharactersStandWhereTheTextsNeedThem)
{
    for (Language language : tabled) {
        // The ellipsis character, and full-width parentheses in Japanese and Chinese only.
        const bool fullWidth = language == Language::ja || language == Language::zhHans ||
                               language == Language::zhHant;
        EXPECT_TRUE(textOf(language, Key::colorCustom).ends_with("…")) << rawValue(language);
        EXPECT_NE(textOf(language, Key::colorDefault).find(fullWidth ? "（" : "("),
                  std::string_view::npos)
            << rawValue(language);
    }
    // French writes its apostrophe as U+2019 throughout, never as the ASCII one.
    for (const TranslationEntry& entry : translationTable(Language::fr)) {
        EXPECT_EQ(entry.text.find('\''), std::string_view::npos) << rawValue(entry.key);
    }
}

} // namespace
} // namespace halomark
