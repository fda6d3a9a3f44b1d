#pragma once
// The command-line arguments: the files and directories to rename.

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

// Arguments 1 onwards of argv, leaving out empty ones. An empty element is what
// a pair of double quotes standing alone gives in a command-line text, and such
// a pair adds no argument; so argv of empty elements only is no argument at all.
std::vector<std::string> ArgumentsFromArgv(int argc, const char* const* argv);

// The arguments after argument 0 (the program's name) in a whole command-line
// text, for platforms that hand over one text: separators are bytes 1 to 32; a
// pair of double quotes where an argument would begin is skipped; a double quote
// opens a stretch, ended by the next one, in which blanks belong to the argument;
// the quotes themselves are dropped and there is no escape character. Counted up
// to the first argument that comes out empty. The text ends at its first NUL.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

}  // namespace tavrel
