#include "../app/app_test_platform.h"
#include "localization/localization_manager.h"
#include "localization/translation_tables.h"

#include <map>
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

std::string_view textOf(Language language, Key key)
{
    for (const TranslationEntry& entry : translationTable(language)) {
        if (entry.key == key) {
            return entry.text;
        }
    }
    return {};
}

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
    EXPECT_EQ(manager.string("language"), "Sprache");
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

TEST(LocalizationManager, MissingTextsFallBackToEnglishThenTheKeyNameAndMenuTitlesStayNative)
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

    // The language menu: the system entry is translated, the others keep their own names.
    LocalizationManager german(store, prefers({"de-DE"}));
    german.setSelectedLanguage(Language::system);
    EXPECT_EQ(german.menuTitle(Language::system), "Systemeinstellung verwenden");
    EXPECT_EQ(german.menuTitle(Language::ja), "日本語");
    for (Language language : allLanguages) {
        EXPECT_EQ(languageFromRawValue(rawValue(language)), language);
        EXPECT_EQ(nativeName(language).has_value(), language != Language::system);
    }
    EXPECT_EQ(rawValue(Language::zhHant), "zh-Hant");
    EXPECT_EQ(languageFromRawValue("zhHans"), std::nullopt);

    EXPECT_EQ(textOf(Language::es, Key::howToUse), textOf(Language::es, Key::howToUseTitle));
    EXPECT_NE(textOf(Language::fr, Key::howToUse), textOf(Language::fr, Key::howToUseTitle));
    EXPECT_EQ(textOf(Language::fr, Key::ok), "OK");
    EXPECT_EQ(textOf(Language::zhHant, Key::ok), "好");
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

// Where the text has its empty lines, one entry a line.
std::vector<bool> paragraphShape(std::string_view text)
{
    std::vector<bool> empty;
    for (std::string_view line : linesOf(text)) {
        empty.push_back(line.empty());
    }
    return empty;
}

TEST(TranslationTables, EveryLanguageHoldsEveryKeyOnceInOrderWithTheEnglishParagraphsAndSigns)
{
    EXPECT_TRUE(translationTable(Language::system).empty());
    ASSERT_EQ(keyCount, 47u);
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

    // Long texts keep the English paragraphs and the product name.
    for (Key key : {Key::howToUseMessage, Key::aboutMessage, Key::privacyPolicyMessage}) {
        const auto english = linesOf(textOf(Language::en, key));
        for (Language language : tabled) {
            // Empty lines separate the same paragraphs; every other line is translated.
            const auto lines = linesOf(textOf(language, key));
            ASSERT_EQ(paragraphShape(textOf(language, key)),
                      paragraphShape(textOf(Language::en, key)))
                << rawValue(language) << rawValue(key);
            for (std::size_t i = 0; i < lines.size(); ++i) {
                EXPECT_TRUE(language == Language::en || lines[i].empty() || lines[i] != english[i]);
                EXPECT_TRUE(english[i].find("Halomark") == std::string_view::npos ||
                            lines[i].find("Halomark") != std::string_view::npos)
                    << rawValue(language) << rawValue(key) << i;
            }
        }
    }
    EXPECT_EQ(linesOf(textOf(Language::en, Key::howToUseMessage)).size(), 17u);
    EXPECT_EQ(linesOf(textOf(Language::en, Key::privacyPolicyMessage)).size(), 7u);

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

// On a Linux desktop every text names the keys and places of that desktop, in every language:
// no Mac, no Command key, no menu bar, no Dock. The texts that speak of them on a Mac have
// Linux variants with the same paragraphs, and the shortcut titles use the platform's names.
using Words = std::vector<std::string_view>;

// Mac words in every language, then each language's own names of the Mac's keys and places.
const Words macWords{"Mac",     "macOS", "\u2318",          "\u2303",       "\u2325",
                     "Command", "Dock",  "Mission Control", "Stage Manager"};
const std::map<Language, Words> macWordsOf{
    {Language::en, {"Option", "Control", "menu bar"}},
    {Language::ja, {"Option", "Control", "メニューバー", "ステージマネージャ"}},
    {Language::zhHans, {"Option", "Control", "菜单栏", "程序坞", "台前调度", "调度中心"}},
    {Language::zhHant, {"Option", "Control", "選單列", "幕前調度", "指揮中心"}},
    {Language::ko, {"Option", "Control", "메뉴 막대", "스테이지 매니저"}},
    {Language::es, {"Comando", "Opción +", "Control +", "barra de menús", "Organizador visual"}},
    {Language::fr, {"Commande", "Option +", "Contrôle", "barre des menus"}},
    {Language::de, {"Befehl", "Wahltaste", "Wahl +", "Control", "Menüleiste"}},
    {Language::pt, {"Comando", "Opção +", "Control +", "barra de menus"}},
};

LocalizationManager manager(sim::SimSettingsStore& store, Language language, TextFamily family)
{
    LocalizationManager made(
        store, [] { return std::vector<std::string>{"en-US"}; }, &translationTable,
        [family] { return family; });
    made.setSelectedLanguage(language);
    return made;
}

TEST(LinuxWords, EveryLanguageSpeaksOfLinuxWithTheMacTextsParagraphs)
{
    sim::SimSettingsStore store;
    for (const auto& [language, ownWords] : macWordsOf) {
        SCOPED_TRACE(std::string(rawValue(language)));
        const LocalizationManager onLinux = manager(store, language, TextFamily::linuxDesktop);
        const LocalizationManager onMac = manager(store, language, TextFamily::macOS);
        for (Key key : allKeys) {
            SCOPED_TRACE(std::string(rawValue(key)));
            const std::string text = onLinux.string(key);
            for (const Words* words : {&macWords, &ownWords}) {
                for (std::string_view word : *words) {
                    EXPECT_EQ(text.find(word), std::string::npos) << word << " in " << text;
                }
            }
            if (const auto variant = linuxVariant(key)) {
                // The Mac keeps its text; Linux gets its own with the same paragraphs.
                EXPECT_EQ(onMac.string(key), textOf(language, key));
                EXPECT_EQ(text, textOf(language, *variant));
                EXPECT_NE(text, onMac.string(key));
                EXPECT_EQ(paragraphShape(text), paragraphShape(onMac.string(key)));
            }
        }
        // Without a family (the stored choice is this language) the Mac's texts stay.
        EXPECT_EQ(LocalizationManager(store, {}).string(Key::aboutMessage),
                  textOf(language, Key::aboutMessage));
        const std::string conflict = onLinux.string(Key::locatorKeyConflictMessage);
        EXPECT_NE(conflict.find("{desktop}"), std::string::npos);
        EXPECT_EQ(conflict.find("{desktop}"), conflict.rfind("{desktop}"));
    }
}

class LinuxShortcutTitles : public app_test::ShellTest
{};

TEST_F(LinuxShortcutTitles, NameThePlatformsKeysAndTranslateDrag)
{
    sim.desktop.workspace.setTextFamily(TextFamily::linuxDesktop);
    localization = std::make_shared<LocalizationManager>(
        sim.settings, [] { return std::vector<std::string>{"de-DE"}; }, &translationTable,
        [this] { return sim.desktop.workspace.textFamily(); });
    launch();
    EXPECT_TRUE(menuText(4, 5).ends_with(
        " > *Super + Ziehen, Ctrl + Super + Ziehen, Alt + Super + Ziehen, Aus"));
    ASSERT_TRUE(choose({"Sprache", "English"}));
    EXPECT_TRUE(
        menuText(4, 5).ends_with(" > *Super + Drag, Ctrl + Super + Drag, Alt + Super + Drag, Off"));
}

} // namespace
} // namespace halomark
