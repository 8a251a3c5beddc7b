#include "app/build_info.h"
#include "app/web_address.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace halomark {
namespace {

TEST(BuildInfoTest, ThePagesTheMenuOpensHaveAbsoluteAddressesAndTheVersionIsDotted)
{
    const std::string privacy(build_info::privacyPolicyAddress());
    const std::string support(build_info::supportAddress());
    EXPECT_TRUE(isAbsoluteURL(privacy)) << privacy;
    EXPECT_TRUE(isAbsoluteURL(support)) << support;
    EXPECT_NE(privacy, support);
    EXPECT_TRUE(std::regex_match(std::string(build_info::version()),
                                 std::regex("[0-9]+\\.[0-9]+(\\.[0-9]+)?")))
        << build_info::version();
}

TEST(BuildInfoTest, TheAddressCheckAcceptsWebAndFileAddressesAndRejectsMalformedOnes)
{
    EXPECT_TRUE(isAbsoluteURL("https://example.org/halomark/privacy.html"));
    EXPECT_TRUE(isAbsoluteURL("file:///usr/share/doc/halomark/support.html"));
    EXPECT_TRUE(isAbsoluteURL("HTTP://example.org/a%20b?x=1#top"));
    EXPECT_TRUE(isAbsoluteURL("mailto:someone@example.org"));

    EXPECT_FALSE(isAbsoluteURL(""));
    EXPECT_FALSE(isAbsoluteURL("/usr/share/doc/halomark/privacy.html")); // no scheme
    EXPECT_FALSE(isAbsoluteURL("privacy.html"));
    EXPECT_FALSE(isAbsoluteURL("https:"));                 // nothing after the scheme
    EXPECT_FALSE(isAbsoluteURL("1http://example.org"));    // a scheme starts with a letter
    EXPECT_FALSE(isAbsoluteURL("ht tp://example.org"));    // space in the scheme
    EXPECT_FALSE(isAbsoluteURL("file:///My Documents/a")); // space in the path
    EXPECT_FALSE(isAbsoluteURL("https://example.org/%2")); // cut percent escape
    EXPECT_FALSE(isAbsoluteURL("https://example.org/%zz"));
    EXPECT_FALSE(isAbsoluteURL("https:///privacy.html")); // no host for the web
    EXPECT_FALSE(isAbsoluteURL("https://exa\"mple.org"));
}

} // namespace
} // namespace halomark
