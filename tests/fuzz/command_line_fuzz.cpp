// Any bytes as a command line, split into arguments at NUL bytes as the kernel hands them
// over. Every line gets an answer; a refusal, and only a refusal, says what is wrong; help
// asked anywhere wins; the texts printed name the program as it was called.
#include "qt/command_line.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using halomark::qt::CommandLine;

void require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "command line: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\0') {
            arguments.emplace_back();
        } else {
            arguments.back() += static_cast<char>(data[i]);
        }
    }
    const std::string program = arguments.front();
    arguments.erase(arguments.begin());

    const CommandLine line = halomark::qt::parseCommandLine(arguments);
    require((line.action == CommandLine::Action::reject) != line.error.empty(),
            "an error comes with a refusal and only with one");

    arguments.insert(arguments.begin() + static_cast<long>(size % (arguments.size() + 1)), "-h");
    require(halomark::qt::parseCommandLine(arguments).action == CommandLine::Action::showHelp,
            "help wins over everything else");

    const std::string name = program.empty() ? "halomark" : program;
    require(halomark::qt::helpText(program).find("Usage: " + name + " ") == 0,
            "the help names the program");
    return 0;
}
