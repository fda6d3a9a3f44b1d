// Walk only: collects and merges what the command line names, as a command-line
// run does before its rename pass, and renames nothing. Prints the number of
// entries the file list ends up with.
//
//   walk_only PATH...

#include <cstdio>
#include <string>
#include <vector>

#include "app/rename_session.h"
#include "app/user_environment.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    std::vector<std::string> paths(argv + 1, argv + argc);
    tavrel::UserEnvironment environment(tavrel::ExecutablePath());
    tavrel::RenameSession session(environment.Services());
    session.AddBatch(paths);
    std::printf("%zu\n", session.file_list().size());
    return 0;
}
