// On a Linux desktop every text names the keys and places of that desktop, in every language:
// no Mac, no Command key, no menu bar, no Dock. The texts that speak of them on a Mac have
// Linux variants with the same paragraphs, and the shortcut titles use the platform's names.
#include "../app/app_test_platform.h"
#include "localization/localization_manager.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace halomark {
namespace {

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

// Where the text has its line breaks and empty lines.
std::vector<bool> paragraphShape(std::string_view text)
{
    std::vector<bool> emptyLines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos;
         start = end + 1, end = text.find('\n', start)) {
        emptyLines.push_back(end == start);
    }
    emptyLines.push_back(start == text.size());
    return emptyLines;
}

TEST(LinuxWords, EveryLanguageSpeaksOfLinuxWithTheMacTextsParagraphs)
{
    sim::SimSettingsStore store;
    for (const auto& [language, ownWords] : macWordsOf) {
        SCOPED_TRACE(std::string(rawValue(language)));
        const LocalizationManager onLinux = manager(store, language, TextFamily::linuxDesktop);
        const LocalizationManager onMac = manager(store, language, TextFamily::macOS);
        std::map<Key, std::string_view> table;
        for (const TranslationEntry& entry : translationTable(language)) {
            table.emplace(entry.key, entry.text);
        }
        for (Key key : allKeys) {
            SCOPED_TRACE(std::string(rawValue(key)));
            // Every key has its own text in the language, the new ones too: none falls back.
            EXPECT_TRUE(table.contains(key));
            const std::string text = onLinux.string(key);
            for (const Words* words : {&macWords, &ownWords}) {
                for (std::string_view word : *words) {
                    EXPECT_EQ(text.find(word), std::string::npos) << word << " in " << text;
                }
            }
            if (const auto variant = linuxVariant(key)) {
                // The Mac keeps its text; Linux gets its own with the same paragraphs.
                EXPECT_EQ(onMac.string(key), table[key]);
                EXPECT_EQ(text, table[*variant]);
                EXPECT_NE(text, onMac.string(key));
                EXPECT_EQ(paragraphShape(text), paragraphShape(onMac.string(key)));
            }
        }
        // Without a family (the stored choice is this language) the Mac's texts stay.
        EXPECT_EQ(LocalizationManager(store, {}).string(Key::aboutMessage),
                  table[Key::aboutMessage]);
        const std::string conflict = onLinux.string(Key::locatorKeyConflictMessage);
        const std::size_t first = conflict.find("{desktop}");
        ASSERT_NE(first, std::string::npos);
        EXPECT_EQ(conflict.find("{desktop}", first + 1), std::string::npos);
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
    EXPECT_TRUE(menuText(2, 3).ends_with(
        " > *Super + Ziehen, Ctrl + Super + Ziehen, Alt + Super + Ziehen, Aus"));
    ASSERT_TRUE(choose({"Sprache", "English"}));
    EXPECT_TRUE(
        menuText(2, 3).ends_with(" > *Super + Drag, Ctrl + Super + Drag, Alt + Super + Drag, Off"));
}

} // namespace
} // namespace halomark
