#include "app/command_line_undo.h"

#include <cstdio>

#include "app/journal_texts.h"
#include "app/last_resort.h"
#include "app/user_environment.h"
#include "pass/stored_run_undo.h"
#include "platform/process.h"

namespace tavrel {
namespace {

void PrintLine(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputc('\n', stream);
}

}  // namespace

int RunCommandLineUndo(const std::function<void(const std::string&)>& show_error) {
    const std::string executable = ExecutablePath();
    return RunWithLastResort(
        executable,
        [&] {
            UserEnvironment environment(executable);
            JournalFolder& journals = environment.journals();
            const auto run = NewestRunToUndo(journals);
            if (!run) {
                PrintLine(stderr, "tavrel: " + NothingToUndoText(journals.Path()));
                return 1;
            }
            FileSystem& file_system = environment.Services().file_system;
            const StoredRunUndoEnd end = UndoStoredRun(journals, *run, file_system);
            for (const KeptRename& kept : end.kept)
                PrintLine(stderr, "tavrel: " + KeptRenameLine(kept));
            const std::size_t named_back = end.pass.tried - end.kept.size();
            PrintLine(stdout, NamedBackText(named_back, *run));
            if (end.mark_error != 0)
                PrintLine(stderr, "tavrel: the journal " + journals.Path() + "/" + run->name +
                                      " could not be marked undone: " + ErrorText(end.mark_error));
            std::fflush(stdout);
            std::fflush(stderr);
            return end.kept.empty() && end.mark_error == 0 ? 0 : 1;
        },
        show_error);
}

}  // namespace tavrel
