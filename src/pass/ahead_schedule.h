#pragma once
// The order of work in the pass that reads ahead: which read, which rename and
// which file to handle alone comes next, and how far the pass has got. It
// makes no call of its own: the workers take a job under the pass's lock, do
// it without the lock, and hand its outcome back under the lock again.
//
// The pass's words:
//   in hand   a job taken (Take) whose end (ReadEnded, RenameEnded) has not
//             come yet. A stop or an error lets the jobs in hand end and
//             starts no other.
//   alone     how a file is handled whose read ahead failed or may have
//             missed a rename (see RenameLedger): read again and renamed by
//             itself, once every file before it is finished, as the pass in
//             list order would.
//   frontier  the first position not yet handed to its folder's renames
//             (nor handled alone).
//   gate      the reads and renames in flight in one folder as the paths name
//             it, counted so that they take turns (ReadPacing; speed only).
//   burst     a run of reads in one folder that start one after another while
//             its renames wait (ReadPacing; speed only).
//
// Positions move through three lines, each behind the one before:
//   next_read_  every position before it was taken to be read;
//   frontier_   every position before it was read and handed to its folder's
//               renames, or handled alone; it waits at a position not read
//               yet, and at one to be handled alone until all before it are
//               finished;
//   finished_   every position before it is finished.
// and the positions read ahead stay within the reach: next_read_ - finished_
// <= ReadAhead::across_folders (at least 1). Builds without NDEBUG, and the
// sanitizer build, check these lines after every change and end the program
// when one does not hold.

#include <cstddef>
#include <deque>
#include <exception>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "pass/pass_keys.h"
#include "pass/read_pacing.h"
#include "pass/rename_ledger.h"
#include "pass/stamp_pass.h"

namespace tavrel {

// What a read ahead found: the path read, and the stamp text and identities
// of its time reading where it had them.
struct AheadRead {
    std::string path;
    std::optional<std::string> stamp;  // empty: read again when its turn comes
    std::optional<FileIdentity> file;
    std::optional<FileIdentity> folder;
};

// What became of a rename job.
struct RenameJobResult {
    std::string after;  // the path the file bears now; empty: not renamed
    // For a file handled alone: what its time reading found.
    std::optional<FileIdentity> file;
    std::optional<FileIdentity> folder;
    std::exception_ptr error;  // the error the job raised, if any
};

class AheadSchedule {
public:
    enum class JobKind {
        kNone,    // nothing may start now
        kRead,    // read the time of the path at the position
        kRename,  // rename the file at the position with the stamp read ahead
        kAlone,   // read the file's time again and rename it: all before it are finished
    };
    struct Job {
        JobKind kind = JobKind::kNone;
        std::size_t position = 0;
        std::string path;   // kRename, kAlone
        std::string stamp;  // kRename
    };

    AheadSchedule(const PassPaths& paths, const ReadAhead& ahead);

    // The most urgent job that may start now: the next rename of a folder
    // whose earlier files are finished (of the folder that has waited
    // longest, where several may go), the file to be handled alone, or the
    // next read while the reach ahead has room. A folder whose rename ended
    // goes behind the folders waiting already: right after RenameEnded, Take
    // gives that folder's next rename only when no other folder's may start.
    Job Take();
    // The outcome of a job taken.
    void ReadEnded(std::size_t position, AheadRead read);
    void RenameEnded(const Job& job, const RenameJobResult& result);

    // The pass ends early: no job starts any more; the jobs in hand end.
    void Stop() { stopped_ = true; }
    // An error raised for a position outside a job (a callback) ends the pass
    // as an error of a job does: after the jobs in hand.
    void Fail(std::size_t position, std::exception_ptr error);

    // True when nothing is in hand and nothing more will start.
    bool Ended() const;
    std::size_t finished() const { return finished_; }
    // How the pass ended; once Ended.
    PassEnd End() const;

private:
    enum class State { kFree, kReading, kRead, kQueued, kDone, kFailed };

    // The renames of one folder, by its identity: a folder reached through
    // two paths is one queue, so that its renames stay in list order and
    // never run at once (collision tags fall as in the pass in list order).
    struct FolderQueue {
        std::deque<std::size_t> waiting;  // positions in list order
        bool busy = false;                // one of its files is being renamed
    };

    struct Slot {
        State state = State::kFree;
        AheadRead read;
        std::size_t name_at = 0;  // where the name begins in read.path
        RenameLedger::Mark began = 0;
        ReadPacing::Gate* gate = nullptr;
        FolderQueue* queue = nullptr;
    };

    enum class ReadTaken { kTaken, kAskAgain, kNone };

    Slot& SlotOf(std::size_t position) { return slots_[position % slots_.size()]; }
    const Slot& SlotOf(std::size_t position) const { return slots_[position % slots_.size()]; }
    bool MayStart() const;
    bool TakeRename(Job& job);
    bool TakeAlone(Job& job);
    ReadTaken TakeRead(Job& job);
    void AdvanceFinished();
    void AdvanceFrontier();
    bool MustGoAlone(const Slot& slot);
    void SetError(std::size_t position, std::exception_ptr error);
    std::optional<EntryKey> EntryOf(const Slot& slot, const std::string& path) const;
    // Ends the program when one of the lines above does not hold.
    void CheckLines() const;

    const PassPaths& paths_;
    std::vector<Slot> slots_;

    std::size_t next_read_ = 0;
    std::size_t frontier_ = 0;
    std::size_t finished_ = 0;
    std::size_t reads_in_flight_ = 0;
    std::size_t renames_in_flight_ = 0;

    ReadPacing pacing_;

    std::unordered_map<FileIdentity, FolderQueue, PassKeyHash> queues_;
    std::deque<FolderQueue*> ready_;  // queues whose next rename may start
    bool alone_waiting_ = false;      // the frontier's file goes alone
    bool alone_busy_ = false;

    RenameLedger ledger_;
    bool stopped_ = false;
    std::exception_ptr error_;
    std::size_t error_position_ = 0;
};

}  // namespace tavrel
