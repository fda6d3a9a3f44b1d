#pragma once
// The state the main window owns - the file list and the stamp type - and the routines that work on
// it without any window: initialisation (which runs a whole command-line run when there are
// arguments) and the rename pass. The window, when there is one, calls these from its handlers.

#include <functional>
#include <string>
#include <vector>

#include "collect/collect_directory.h"
#include "collect/file_list.h"
#include "pass/stamp_pass.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/journal_folder.h"
#include "platform/regional_formats.h"
#include "platform/text_ordering.h"

namespace tavrel {

// Everything from the outside world that a session works with.
struct SessionServices {
    FileSystem& file_system;
    Clock& clock;
    const RegionalFormats& formats;
    const TextOrdering& ordering;
    std::string settings_path;
    // The folder to create before the settings file is first written, where it
    // lies apart from the program; empty where it lies beside the program.
    std::string settings_folder = {};
    // Where the journals of rename runs are kept; none are kept without one.
    JournalFolder* journals = nullptr;
    // The working folder, named in each journal's header.
    std::string working_folder = {};
};

// A pass kept in the journal of rename runs: the run's mode as the journal
// names it, and, once the pass has ended, whether its journal could not be
// written (the run cannot be undone later), and its file name in the journal
// folder (empty when the pass renamed nothing).
struct JournalRun {
    std::string mode;
    bool failed = false;
    std::string name = {};
};

class RenameSession {
public:
    // The stamp types of the selector; -1 means no entry is selected.
    static constexpr int kNoSelection = -1;
    static constexpr int kDefaultStampType = 1;

    explicit RenameSession(SessionServices services);

    // Selects stamp type 1, empties the file list, reads the settings file (a
    // usable value outside 0..2 selects nothing, -1; the date taken as it says,
    // off without it). Without arguments returns -1. With arguments
    // (command-line mode) collects them - directories walked, everything else listed as it is -
    // merges them, runs the rename pass and returns 0. Errors pass on unchanged.
    int Initialize(const std::vector<std::string>& arguments);

    // Told of each entry the pass renamed: its position and its path before
    // and after.
    using RenamedEntry =
        std::function<void(std::size_t entry, const std::string& before, const std::string& after)>;

    // Renames every entry in list order, writing each new path back into its
    // entry, kept in a journal of the command line's runs. Stops at the first
    // error, leaving the entries before it renamed and the others as they were.
    void RenamePass(const RenamedEntry& renamed = {});

    // The same pass without writing anything back: the renames are told
    // through the events, for a caller that writes them back itself. The list
    // may be read elsewhere meanwhile, but not changed. With `journal`, each
    // rename is recorded in the journal of the run before it is told.
    PassEnd StampListedFiles(const PassEvents& events, JournalRun* journal = nullptr) const;

    // Whether the journal of the last RenamePass could not be written.
    bool journal_failed() const { return journal_failed_; }

    // How many entries, from the first on, the last rename pass wrote back:
    // all of them, or those before the entry at which it stopped.
    std::size_t entries_written_back() const { return entries_written_back_; }

    // Adds one batch (a drop or a command line): each directory is walked, every
    // other path is listed unchanged; then the batch is merged into the list.
    // Returns the positions of the entries the batch took out of the list (the
    // paths it brought again), as they were before, ascending.
    std::vector<std::size_t> AddBatch(const std::vector<std::string>& paths);

    // AddBatch's first half, for a window that walks on another thread: the
    // walk and sort, which reads only the file system and may run while the
    // list is read elsewhere (the walk stops as the events say). The second
    // half is MergeSortedBatch (collect/batch_merge.h) into file_list().
    PendingList CollectBatch(const std::vector<std::string>& paths,
                             const WalkEvents& events = {}) const;

    // Selects a stamp type as the selector would: values outside 0..2 select
    // nothing.
    void SelectStampType(int stamp_type);

    // Whether each file is stamped with its date taken where it has one.
    void SelectDateTaken(bool on) { date_taken_ = on; }
    bool date_taken() const { return date_taken_; }

    int stamp_type() const { return stamp_type_; }
    FileList& file_list() { return file_list_; }
    const FileList& file_list() const { return file_list_; }
    const SessionServices& services() const { return services_; }

private:
    SessionServices services_;
    int stamp_type_ = kDefaultStampType;
    bool date_taken_ = false;
    FileList file_list_;
    std::size_t entries_written_back_ = 0;
    bool journal_failed_ = false;
};

}  // namespace tavrel
