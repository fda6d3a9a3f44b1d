// Splitting a whole command-line text into arguments.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto arguments = tavrel::SplitCommandLine(text);

    // The count stops at the first empty argument, quote marks are dropped and
    // there is no escape, and the text ends at its first NUL.
    std::size_t argument_bytes = 0;
    for (const auto& argument : arguments) {
        TAVREL_FUZZ_CHECK(!argument.empty());
        TAVREL_FUZZ_CHECK(argument.find_first_of(std::string("\"\0", 2)) == std::string::npos);
        argument_bytes += argument.size();
    }
    TAVREL_FUZZ_CHECK(argument_bytes <= text.size());

    // Each argument quoted whole, behind a program name, splits back the same.
    std::string rebuilt = "tavrel";
    for (const auto& argument : arguments) rebuilt += " \"" + argument + "\"";
    TAVREL_FUZZ_CHECK(tavrel::SplitCommandLine(rebuilt) == arguments);

    // The same arguments handed over as argv are taken as they are.
    std::vector<const char*> argv{"tavrel"};
    for (const auto& argument : arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    TAVREL_FUZZ_CHECK(tavrel::ArgumentsFromArgv(static_cast<int>(argv.size() - 1), argv.data()) ==
                      arguments);
    return 0;
}
