// Any bytes as the settings file. What parses is written back, and that text reads back as
// the same keys in the same order with the same values and writes the same text again.
// Whatever the program sets, even texts that are not UTF-8, is written as a readable file.
#include "qt/settings_document.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using halomark::OtherSettingValue;
using halomark::qt::SettingsDocument;

void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "settings file: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    SettingsDocument set;
    set.set(bytes, bytes);
    set.set("other", OtherSettingValue{bytes});
    require(SettingsDocument::parse(set.text()).has_value(), "what the program sets reads back");

    const auto document = SettingsDocument::parse(bytes);
    if (!document) {
        return 0;
    }
    const std::string text = document->text();
    const auto again = SettingsDocument::parse(text);
    require(again.has_value(), "the text written reads back");
    require(again->keys() == document->keys(), "the keys and their order survive");
    for (const std::string& key : document->keys()) {
        require(again->value(key) == document->value(key), "each value survives");
    }
    require(again->text() == text, "a second write gives the same text");
    return 0;
}
