#include "localization/translation_tables.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace halomark {
namespace {

constexpr std::array<Key, 3> longKeys{Key::howToUseMessage, Key::aboutMessage,
                                      Key::privacyPolicyMessage};

std::vector<Language> translatedLanguages()
{
    std::vector<Language> languages;
    for (Language language : allLanguages) {
        if (language != Language::system && language != Language::en) {
            languages.push_back(language);
        }
    }
    return languages;
}

std::string_view textOf(Language language, Key key)
{
    for (const TranslationEntry& entry : translationTable(language)) {
        if (entry.key == key) {
            return entry.text;
        }
    }
    ADD_FAILURE() << rawValue(language) << " has no " << rawValue(key);
    return {};
}

std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return lines;
        }
        start = end + 1;
    }
}

// Whether the bytes are well-formed UTF-8 without overlong forms or surrogates.
bool isWellFormedUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            const unsigned char min = k == 1 ? low : 0x80;
            const unsigned char max = k == 1 ? high : 0xBF;
            if (next < min || next > max) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

TEST(TranslationTables, EveryLanguageHoldsEveryKeyOnceInKeyOrder)
{
    EXPECT_EQ(keyCount, 33u);
    EXPECT_TRUE(translationTable(Language::system).empty());
    for (Language language : allLanguages) {
        if (language == Language::system) {
            continue;
        }
        const auto table = translationTable(language);
        ASSERT_EQ(table.size(), keyCount) << rawValue(language);
        for (std::size_t i = 0; i < keyCount; ++i) {
            const TranslationEntry& entry = table[i];
            SCOPED_TRACE(std::string(rawValue(language)) + " " + std::string(rawValue(entry.key)));
            EXPECT_EQ(entry.key, allKeys[i]);
            ASSERT_FALSE(entry.text.empty());
            EXPECT_TRUE(isWellFormedUtf8(entry.text));
            // Texts are shown verbatim: no stray white space at either end, no carriage return.
            EXPECT_FALSE(isSpace(entry.text.front()));
            EXPECT_FALSE(isSpace(entry.text.back()));
            EXPECT_EQ(entry.text.find('\r'), std::string_view::npos);
        }
    }
}

TEST(TranslationTables, KeyNamesAreTheCaseNamesInDeclarationOrder)
{
    EXPECT_EQ(allKeys.front(), Key::enableHalomark);
    EXPECT_EQ(allKeys.back(), Key::ok);
    EXPECT_EQ(rawValue(Key::rangeSelectionShortcut), "rangeSelectionShortcut");
    EXPECT_EQ(rawValue(Key::privacyPolicyMessage), "privacyPolicyMessage");
    for (Key key : allKeys) {
        EXPECT_EQ(keyFromRawValue(rawValue(key)), key);
    }
    EXPECT_EQ(keyFromRawValue("OK"), std::nullopt);
    EXPECT_EQ(keyFromRawValue("color "), std::nullopt);
    EXPECT_EQ(keyFromRawValue(""), std::nullopt);
}

TEST(TranslationTables, LongTextsKeepTheEnglishParagraphStructure)
{
    for (Key key : longKeys) {
        const auto english = linesOf(textOf(Language::en, key));
        ASSERT_GT(english.size(), 0u);
        for (Language language : translatedLanguages()) {
            SCOPED_TRACE(std::string(rawValue(language)) + " " + std::string(rawValue(key)));
            const auto lines = linesOf(textOf(language, key));
            ASSERT_EQ(lines.size(), english.size());
            for (std::size_t i = 0; i < lines.size(); ++i) {
                SCOPED_TRACE("line " + std::to_string(i + 1));
                // Empty lines separate the same paragraphs; every other line is translated.
                EXPECT_EQ(lines[i].empty(), english[i].empty());
                if (!lines[i].empty()) {
                    EXPECT_NE(lines[i], english[i]);
                    EXPECT_FALSE(isSpace(lines[i].front()));
                    EXPECT_FALSE(isSpace(lines[i].back()));
                }
                // The product name stays where the English line names it.
                if (english[i].find("Halomark") != std::string_view::npos) {
                    EXPECT_NE(lines[i].find("Halomark"), std::string_view::npos);
                }
            }
        }
    }
    // The English texts themselves: headings and paragraphs separated by single empty lines.
    const auto howTo = linesOf(textOf(Language::en, Key::howToUseMessage));
    ASSERT_EQ(howTo.size(), 17u);
    for (std::size_t i = 2; i < howTo.size(); i += 3) {
        EXPECT_TRUE(howTo[i].empty()) << i;
    }
    EXPECT_EQ(howTo.front(), "Highlight the pointer");
    EXPECT_EQ(
        howTo.back(),
        "Enable Launch at Login to start Halomark automatically when you sign in to your Mac.");
    EXPECT_EQ(linesOf(textOf(Language::en, Key::aboutMessage)).size(), 1u);
    EXPECT_EQ(linesOf(textOf(Language::en, Key::privacyPolicyMessage)).size(), 7u);
}

TEST(TranslationTables, TypographicCharactersStandWhereTheTextsNeedThem)
{
    const std::string_view ellipsis = "…";
    for (Language language : allLanguages) {
        if (language == Language::system) {
            continue;
        }
        SCOPED_TRACE(std::string(rawValue(language)));
        const std::string_view custom = textOf(language, Key::colorCustom);
        EXPECT_TRUE(custom.ends_with(ellipsis)) << custom;
        EXPECT_EQ(custom.find("..."), std::string_view::npos);

        const std::string_view colorDefault = textOf(language, Key::colorDefault);
        const bool fullWidth = language == Language::ja || language == Language::zhHans ||
                               language == Language::zhHant;
        EXPECT_EQ(colorDefault.find("（") != std::string_view::npos, fullWidth) << colorDefault;
        EXPECT_EQ(colorDefault.find("）") != std::string_view::npos, fullWidth) << colorDefault;
        EXPECT_EQ(colorDefault.find('(') != std::string_view::npos, !fullWidth) << colorDefault;
        EXPECT_EQ(colorDefault.find(')') != std::string_view::npos, !fullWidth) << colorDefault;
    }
    // French writes its apostrophe as U+2019 throughout, never as the ASCII one.
    EXPECT_EQ(textOf(Language::fr, Key::launchAtLogin), "Lancer à l’ouverture de session");
    EXPECT_EQ(textOf(Language::fr, Key::howToUse), "Mode d’emploi");
    for (const TranslationEntry& entry : translationTable(Language::fr)) {
        EXPECT_EQ(entry.text.find('\''), std::string_view::npos) << rawValue(entry.key);
    }
}

} // namespace
} // namespace halomark
