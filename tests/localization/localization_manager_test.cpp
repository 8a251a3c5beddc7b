#include "localization/localization_manager.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halomark {
namespace {

using Languages = std::vector<std::string>;
using Write = sim::SimSettingsStore::Write;

LocalizationManager::PreferredLanguages prefers(Languages languages)
{
    return [languages] { return languages; };
}

TEST(LocalizationManager, EmptyStoreFollowsTheSystemAndWritesNothing)
{
    sim::SimSettingsStore store;
    LocalizationManager manager(store, prefers({"zh-Hant-TW", "en-US"}));
    EXPECT_EQ(manager.selectedLanguage(), Language::system);
    EXPECT_EQ(manager.effectiveLanguage(), Language::zhHant);
    EXPECT_EQ(manager.string("ok"), "好");
    EXPECT_EQ(manager.string(Key::quitHalomark), "結束 Halomark");
    EXPECT_TRUE(store.writes().empty());
    EXPECT_FALSE(store.hasValue(LocalizationManager::preferenceKey));
}

TEST(LocalizationManager, PreferredLanguagesResolveByOrderedPrefixes)
{
    struct Case
    {
        Languages preferred;
        Language expected;
    };
    const std::vector<Case> cases{
        // The script decides over the region.
        {{"zh-Hans-HK"}, Language::zhHans},
        {{"zh-Hant-CN"}, Language::zhHant},
        {{"zh-HK"}, Language::zhHant},
        {{"zh-MO"}, Language::zhHant},
        {{"zh-TW"}, Language::zhHant},
        {{"zh-SG"}, Language::zhHans},
        {{"zh-CN"}, Language::zhHans},
        // A bare zh names no script or region, so it is skipped.
        {{"zh", "fr-CA"}, Language::fr},
        {{"zh"}, Language::en},
        {{"it-IT", "nl-NL"}, Language::en},
        {{}, Language::en},
        {{"", "ko-KR"}, Language::ko},
        {{"pt-BR"}, Language::pt},
        {{"PT-br"}, Language::pt},
        {{"pT-Br"}, Language::pt},
        {{"PT-BR"}, Language::pt},
        // A plain prefix test: the character after the prefix is not examined.
        {{"ja-JP"}, Language::ja},
        {{"ja"}, Language::ja},
        {{"jam"}, Language::ja},
        {{"ZH-HANT"}, Language::zhHant},
        {{"es-419"}, Language::es},
        {{"de-CH", "ja"}, Language::de},
        // The first entry that matches decides, even when it is English.
        {{"nl", "en-GB", "ja"}, Language::en},
    };
    for (const Case& c : cases) {
        sim::SimSettingsStore store;
        LocalizationManager manager(store, prefers(c.preferred));
        std::string list;
        for (const auto& entry : c.preferred) {
            list += "[" + entry + "]";
        }
        EXPECT_EQ(manager.effectiveLanguage(), c.expected) << list;
        EXPECT_EQ(LocalizationManager::resolvePreferredLanguage(c.preferred), c.expected) << list;
    }

    sim::SimSettingsStore store;
    LocalizationManager withoutSource(store, nullptr);
    EXPECT_EQ(withoutSource.effectiveLanguage(), Language::en);
    EXPECT_EQ(withoutSource.string("close"), "Close");
}

TEST(LocalizationManager, PreferredLanguagesAreAskedAfreshOnEveryLookup)
{
    sim::SimSettingsStore store;
    Languages preferred{"fr-FR"};
    int asked = 0;
    LocalizationManager manager(store, [&] {
        ++asked;
        return preferred;
    });
    EXPECT_EQ(manager.string("language"), "Langue");
    preferred = {"de-AT"};
    EXPECT_EQ(manager.string("language"), "Sprache");
    EXPECT_EQ(asked, 2);

    // A chosen language does not consult the system at all.
    manager.setSelectedLanguage(Language::ko);
    EXPECT_EQ(manager.string("language"), "언어");
    EXPECT_EQ(asked, 2);
}

TEST(LocalizationManager, StoredChoiceIsReadExactlyAndNeverRewritten)
{
    {
        sim::SimSettingsStore store;
        store.seed(LocalizationManager::preferenceKey, std::string("de"));
        LocalizationManager manager(store, prefers({"ja-JP"}));
        EXPECT_EQ(manager.selectedLanguage(), Language::de);
        EXPECT_EQ(manager.effectiveLanguage(), Language::de);
        for (const TranslationEntry& entry : translationTable(Language::de)) {
            EXPECT_EQ(manager.string(entry.key), entry.text);
            EXPECT_EQ(manager.string(rawValue(entry.key)), entry.text);
        }
        EXPECT_TRUE(store.writes().empty());
    }
    {
        sim::SimSettingsStore store;
        store.seed(LocalizationManager::preferenceKey, std::string("zh-Hans"));
        EXPECT_EQ(LocalizationManager(store, prefers({})).selectedLanguage(), Language::zhHans);
    }
    const std::vector<SettingValue> unknown{
        std::string("zh-hans"),   std::string("JA"),     std::string(""), std::string(" de"),
        std::string("de "),       std::string("System"), std::int64_t{2}, true,
        OtherSettingValue{"(de)"}};
    for (const SettingValue& stored : unknown) {
        sim::SimSettingsStore store;
        store.seed(LocalizationManager::preferenceKey, stored);
        LocalizationManager manager(store, prefers({"ko-KR"}));
        EXPECT_EQ(manager.selectedLanguage(), Language::system);
        EXPECT_EQ(manager.effectiveLanguage(), Language::ko);
        EXPECT_EQ(manager.string("ok"), "확인");
        EXPECT_TRUE(store.writes().empty());
        EXPECT_EQ(store.object(LocalizationManager::preferenceKey), stored);
    }
}

TEST(LocalizationManager, ChoosingALanguageWritesItsRawValueAtOnce)
{
    sim::SimSettingsStore store;
    LocalizationManager manager(store, prefers({"es-ES"}));
    manager.setSelectedLanguage(Language::zhHans);
    EXPECT_EQ(manager.selectedLanguage(), Language::zhHans);
    EXPECT_EQ(manager.string("ok"), "确定");
    manager.setSelectedLanguage(Language::zhHans);
    manager.setSelectedLanguage(Language::system);
    EXPECT_EQ(manager.string("ok"), "Aceptar");
    EXPECT_EQ(store.writes(),
              (std::vector<Write>{{LocalizationManager::preferenceKey, std::string("zh-Hans")},
                                  {LocalizationManager::preferenceKey, std::string("zh-Hans")},
                                  {LocalizationManager::preferenceKey, std::string("system")}}));

    manager.setSelectedLanguage(Language::pt);
    LocalizationManager reread(store, prefers({"en"}));
    EXPECT_EQ(reread.selectedLanguage(), Language::pt);
    EXPECT_EQ(reread.string("close"), "Fechar");
}

TEST(LocalizationManager, NamesThatAreNoKeyComeBackUnchanged)
{
    sim::SimSettingsStore store;
    LocalizationManager manager(store, prefers({"ja"}));
    for (const std::string name :
         {"", "EnableHalomark", "enableHalomark ", "Halomark.language", "ドラッグ"}) {
        EXPECT_EQ(manager.string(name), name);
    }
    EXPECT_EQ(manager.string("enableHalomark"), "Halomarkを有効にする");
}

// Japanese lacks `ok` and lists `drag` twice; English lacks `ok` and `close` too.
std::span<const TranslationEntry> incompleteTables(Language language)
{
    static constexpr TranslationEntry japanese[] = {
        {Key::drag, "ドラッグ"}, {Key::drag, "引く"}, {Key::close, "閉じる"}};
    static constexpr TranslationEntry english[] = {{Key::drag, "Drag"}, {Key::version, "Version"}};
    switch (language) {
    case Language::ja:
        return japanese;
    case Language::en:
        return english;
    default:
        return {};
    }
}

TEST(LocalizationManager, MissingTextsFallBackToEnglishThenToTheKeyName)
{
    sim::SimSettingsStore store;
    LocalizationManager manager(store, prefers({"ja-JP"}), &incompleteTables);
    EXPECT_EQ(manager.string("drag"), "ドラッグ");
    EXPECT_EQ(manager.string("close"), "閉じる");
    EXPECT_EQ(manager.string("version"), "Version");
    EXPECT_EQ(manager.string("ok"), "ok");
    EXPECT_EQ(manager.string(Key::howToUseMessage), "howToUseMessage");

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
    EXPECT_EQ(manager.menuTitle(Language::ja), "日本語");
    EXPECT_EQ(manager.menuTitle(Language::zhHans), "简体中文");
    EXPECT_EQ(manager.menuTitle(Language::pt), "Português");

    manager.setSelectedLanguage(Language::de);
    EXPECT_EQ(manager.menuTitle(Language::system), "Systemeinstellung verwenden");
    EXPECT_EQ(manager.menuTitle(Language::ja), "日本語");

    manager.setSelectedLanguage(Language::es);
    EXPECT_EQ(manager.string("howToUse"), manager.string("howToUseTitle"));
    EXPECT_EQ(manager.string("howToUse"), "Cómo usar Halomark");
    EXPECT_EQ(manager.string("ok"), "Aceptar");

    manager.setSelectedLanguage(Language::fr);
    EXPECT_EQ(manager.string("ok"), "OK");
    EXPECT_NE(manager.string("howToUse"), manager.string("howToUseTitle"));
    manager.setSelectedLanguage(Language::ko);
    EXPECT_EQ(manager.string("ok"), "확인");
    manager.setSelectedLanguage(Language::zhHant);
    EXPECT_EQ(manager.string("ok"), "好");
}

TEST(LocalizationManager, SharedInstanceIsCreatedOnceOnFirstUse)
{
    // Static, because the process-wide instance keeps a reference to the store it was made with.
    static sim::SimSettingsStore first;
    static sim::SimSettingsStore second;
    auto a = LocalizationManager::shared(first, prefers({"de"}));
    auto b = LocalizationManager::shared(second, prefers({"ja"}));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a.get(), b.get());
    b->setSelectedLanguage(Language::fr);
    EXPECT_EQ(a->selectedLanguage(), Language::fr);
    EXPECT_TRUE(second.writes().empty());
}

TEST(Language, RawValuesRoundTripExactly)
{
    for (Language language : allLanguages) {
        EXPECT_EQ(languageFromRawValue(rawValue(language)), language);
        EXPECT_EQ(nativeName(language).has_value(), language != Language::system);
    }
    EXPECT_EQ(rawValue(Language::zhHans), "zh-Hans");
    EXPECT_EQ(rawValue(Language::zhHant), "zh-Hant");
    EXPECT_EQ(languageFromRawValue("zhHans"), std::nullopt);
    EXPECT_EQ(languageFromRawValue("zh-hant"), std::nullopt);
    EXPECT_EQ(languageFromRawValue("en-US"), std::nullopt);
}

} // namespace
} // namespace halomark
