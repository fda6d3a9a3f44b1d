#include "app/command_line.h"

#include <optional>

namespace tavrel {
namespace {

bool IsSeparator(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

// The next argument from pos on, or none at the end of the text.
std::optional<std::string> NextArgument(std::string_view text, std::size_t& pos) {
    for (;;) {
        while (pos < text.size() && IsSeparator(text[pos])) ++pos;
        if (pos + 1 < text.size() && text[pos] == '"' && text[pos + 1] == '"') {
            pos += 2;
            continue;
        }
        break;
    }
    if (pos >= text.size()) return std::nullopt;
    std::string argument;
    bool quoted = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && IsSeparator(c)) break;
        argument += c;
    }
    return argument;
}

}  // namespace

std::vector<std::string> ArgumentsFromArgv(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc && argv[i] != nullptr; ++i)
        if (argv[i][0] != '\0') arguments.emplace_back(argv[i]);
    return arguments;
}

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
    command_line = command_line.substr(0, command_line.find('\0'));
    std::vector<std::string> arguments;
    std::size_t pos = 0;
    if (!NextArgument(command_line, pos)) return arguments;  // argument 0: the program
    while (auto argument = NextArgument(command_line, pos)) {
        if (argument->empty()) break;
        arguments.push_back(std::move(*argument));
    }
    return arguments;
}

}  // namespace tavrel
