#include "app/information_request.h"

namespace tavrel {

InformationRequest InformationRequestOf(const std::vector<std::string>& arguments,
                                        FileSystem& file_system) {
    if (arguments.size() != 1) return InformationRequest::kNone;
    const std::string& argument = arguments.front();
    InformationRequest request = InformationRequest::kNone;
    if (argument == "--help") request = InformationRequest::kUsage;
    if (argument == "--version") request = InformationRequest::kVersion;
    if (argument == "--undo") request = InformationRequest::kUndo;
    if (request == InformationRequest::kNone) return request;
    // IsNameTaken sees any entry but a folder (a dangling link too), IsDirectory
    // the folders.
    const bool exists = file_system.IsNameTaken(argument) || file_system.IsDirectory(argument);
    file_system.ReleaseHeldDirectory();
    return exists ? InformationRequest::kNone : request;
}

std::string UsageText(const std::string& settings_path) {
    return "Usage: tavrel [FILE | FOLDER]...\n"
           "       tavrel --help | --version | --undo\n"
           "\n"
           "Puts a date stamp taken from each file's last-write time in front of its name\n"
           "(20110914_IMG_0001.jpg). Folders are walked: every file below them is renamed.\n"
           "\n"
           "  (no argument)    open the window: drop files on it, then Execute\n"
           "  FILE, FOLDER     rename them at once with the stamp type the window kept\n"
           "  --help           show this text (when no file of that name exists)\n"
           "  --version        show the version (likewise)\n"
           "  --undo           name back the files of the newest rename run not undone\n"
           "                   yet (likewise); the last 20 runs are kept\n"
           "\n"
           "The window keeps the stamp type in " +
           settings_path +
           "\n"
           "More in the manual page: man tavrel\n";
}

}  // namespace tavrel
