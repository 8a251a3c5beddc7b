#include "qt/json_value.h"

#include <gtest/gtest.h>

#include <string>

namespace halomark::qt {
namespace {

std::string rewritten(std::string_view text)
{
    const auto value = parseJson(text);
    if (!value) {
        return "<unparsable>";
    }
    std::string out;
    appendJson(out, *value);
    return out;
}

TEST(JsonValue, KeepsNumbersAsWrittenAndMembersInOrder)
{
    EXPECT_EQ(rewritten(" { \"b\" : [ 2.0 , -0 , 1E+2 , 0.5e-3 ] , \"a\" : { } } \n"),
              R"({"b":[2.0,-0,1E+2,0.5e-3],"a":{}})");
    EXPECT_EQ(rewritten("\xEF\xBB\xBF[true,false,null,\"\"]"), R"([true,false,null,""])");

    const auto numbers = parseJson("[42, 2.0, 1e3, -7]");
    ASSERT_TRUE(numbers.has_value());
    ASSERT_EQ(numbers->items.size(), 4u);
    EXPECT_TRUE(numbers->items[0].isIntegerNumber());
    EXPECT_FALSE(numbers->items[1].isIntegerNumber());
    EXPECT_FALSE(numbers->items[2].isIntegerNumber());
    EXPECT_TRUE(numbers->items[3].isIntegerNumber());
}

TEST(JsonValue, DecodesAndReencodesStrings)
{
    const auto value = parseJson(R"("q\" b\\ s\/ \b\f\n\r\t \u00e9 \u4e2d \ud83d\ude00 \udc00")");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->text, "q\" b\\ s/ \b\f\n\r\t \xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80 "
                           "\xEF\xBF\xBD");
    std::string out;
    appendJsonString(out, value->text);
    EXPECT_EQ(parseJson(out)->text, value->text);
    EXPECT_EQ(out.find('\n'), std::string::npos) << "control characters stay escaped";
}

TEST(JsonValue, RefusesWhatIsNotExactlyOneJsonValue)
{
    for (const char* text :
         {"",          "   ",         "{",     "{\"a\":1,}", "[1,]",   "[1 2]",
          "{\"a\" 1}", "{a:1}",       "01",    "1.",         ".5",     "-",
          "1e",        "+1",          "tru",   "nul",        "\"open", "\"tab\there\"",
          "\"\\x\"",   "\"\\u12G4\"", "{} {}", "[1]x",       "NaN",    "Infinity",
          "'single'"}) {
        EXPECT_FALSE(parseJson(text).has_value()) << text;
    }
    EXPECT_FALSE(parseJson(std::string(300, '[') + std::string(300, ']')).has_value())
        << "nesting deeper than the limit";
    EXPECT_TRUE(parseJson(std::string(200, '[') + std::string(200, ']')).has_value());
}

} // namespace
} // namespace halomark::qt
