#pragma once
// The order of work in the pass that reads ahead: which read, which rename and
// which file to handle alone comes next, and how far the pass has got. It
// makes no call of its own: the workers take a job under the pass's lock, do
// it without the lock, and hand its outcome back under the lock again.
//
// Positions move through three lines, each behind the one before:
//   next_read_  every position before it was taken to be read;
//   frontier_   every position before it was read and handed to its folder's
//               renames, or handled alone; it waits at a position not read
//               yet, and at one to be handled alone until all before it are
//               finished;
//   finished_   every position before it is finished.

#include <cstddef>
#include <deque>
#include <exception>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "pass/pass_keys.h"
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
    // whose earlier files are finished, the file to be handled alone, or the
    // next read while the window ahead has room.
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

    // The reads and renames of one folder as the paths name it (the folder's
    // text): a read's folder is known by its path only, before the read finds
    // the folder's identity. Used so that a folder's reads and renames take
    // turns.
    struct Gate {
        std::size_t reading = 0;   // reads in flight
        std::size_t renaming = 0;  // renames in flight
        std::size_t pending = 0;   // files handed to its renames, not finished
    };

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
        Gate* gate = nullptr;
        FolderQueue* queue = nullptr;
    };

    enum class ReadTaken { kTaken, kRetry, kNone };

    Slot& SlotOf(std::size_t position) { return slots_[position % slots_.size()]; }
    const Slot& SlotOf(std::size_t position) const { return slots_[position % slots_.size()]; }
    bool MayStart() const;
    bool TakeRename(Job& job);
    bool TakeAlone(Job& job);
    ReadTaken TakeRead(Job& job);
    bool EndBurst();
    bool FolderChangesBefore(std::size_t limit);
    void AdvanceFinished();
    void AdvanceFrontier();
    bool MustGoAlone(const Slot& slot);
    void SetError(std::size_t position, std::exception_ptr error);
    std::optional<EntryKey> EntryOf(const Slot& slot, const std::string& path) const;

    const PassPaths& paths_;
    std::vector<Slot> slots_;
    const std::size_t near_;

    std::size_t next_read_ = 0;
    std::size_t frontier_ = 0;
    std::size_t finished_ = 0;
    std::size_t reads_in_flight_ = 0;
    std::size_t renames_in_flight_ = 0;

    // Where the list changes folder, found by comparing each path's folder
    // text with the one before, ahead of the reads.
    std::size_t scanned_ = 0;
    std::string scanned_folder_;
    std::deque<std::size_t> changes_;

    std::unordered_map<std::string, Gate> gates_;
    std::size_t burst_left_ = 0;  // reads the burst going out may still start
    Gate* burst_gate_ = nullptr;  // the folder it reads in

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
