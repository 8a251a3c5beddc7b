// Feeds arbitrary bytes to the desktop-entry reader as the program reads entries written by
// other programs: the whole text parsed, the keys the adapters look at read (localized too),
// Exec split, an Exec value made for a path of the same bytes read back as that one path, and
// the entry rewritten with a replaced Exec parsed again.
#include "xdg/desktop_entry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace halomark::xdg;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const DesktopEntry entry = DesktopEntry::parse(text);
    for (const char* key : {"Name", "Exec", "TryExec", "StartupWMClass", "Type", "Hidden"}) {
        (void)entry.value(key);
        (void)entry.localizedValue(key, text.substr(0, 16));
        (void)entry.boolean(key);
    }
    if (const auto exec = entry.value("Exec")) {
        (void)splitExec(*exec);
    }
    (void)splitExec(text);

    // Any program path without a NUL or a newline is written so that it reads back unchanged.
    const std::string program(text.substr(0, text.find_first_of(std::string_view("\0\n", 2))));
    const std::string value = execValueFor(program);
    const auto written = DesktopEntry::parse("[Desktop Entry]\nExec=" + value + "\n");
    const auto words = splitExec(written.value("Exec").value_or(""));
    const bool readsBack = program.empty()
                               ? words && words->empty()
                               : words && words->size() == 1 && words->front() == program;
    if (!readsBack) {
        std::abort();
    }
    if (const auto rewritten = withValue(text, "Exec", value)) {
        if (DesktopEntry::parse(*rewritten).value("Exec") != written.value("Exec")) {
            std::abort();
        }
    }
    return 0;
}
