#include "app/journal_texts.h"

#include <cstdio>
#include <ctime>

#include "platform/local_time.h"

namespace tavrel {
namespace {

std::string Files(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

}  // namespace

std::string JournalLostText(const std::string& journal_folder) {
    return "This rename run cannot be undone later: its journal could not be written in " +
           (journal_folder.empty() ? std::string("a journal folder") : journal_folder) + ".";
}

std::string RunTimeText(std::int64_t utc_seconds) {
    std::tm local{};
    if (!ToLocalTime(utc_seconds, local)) return "an unknown time";
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    return text;
}

std::string UndoOfferText(const StoredRun& run) {
    return "Undo the rename run of " + RunTimeText(run.contents.header.when) + ": " +
           Files(run.contents.left_to_undo) + " in " + run.contents.header.folder + "?";
}

std::string KeptRenameLine(const KeptRename& kept) {
    return kept.gone ? kept.rename.after + ": left as it is: the file is gone or was renamed again"
                     : kept.rename.after + ": left as it is: its old name " + kept.rename.before +
                           " is taken";
}

std::string NamedBackText(std::size_t named_back, const StoredRun& run) {
    return Files(named_back) + " of the rename run of " + RunTimeText(run.contents.header.when) +
           " in " + run.contents.header.folder +
           (named_back == 1 ? " has its old name again." : " have their old names again.");
}

std::string NothingToUndoText(const std::string& journal_folder) {
    return "No rename run is left to undo in " + journal_folder + ".";
}

}  // namespace tavrel
