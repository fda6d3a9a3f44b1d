#include "pass/ahead_schedule.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/name_rules.h"

namespace tavrel {
namespace {

// Whether the lines of the header are checked after every change.
#if !defined(NDEBUG) || defined(TAVREL_CHECK_PASS_LINES)
constexpr bool kCheckLines = true;
#else
constexpr bool kCheckLines = false;
#endif

void Require(bool holds, const char* line) {
    if (holds) return;
    std::fprintf(stderr, "AheadSchedule: broken line: %s\n", line);
    std::abort();
}

}  // namespace

AheadSchedule::AheadSchedule(const PassPaths& paths, const ReadAhead& ahead)
    : paths_(paths),
      slots_(std::max<std::size_t>(1, std::min(ahead.across_folders, paths.count))),
      pacing_(paths, slots_.size(),
              std::min(std::max<std::size_t>(1, ahead.in_one_folder), slots_.size())) {}

bool AheadSchedule::MayStart() const {
    // A stop or an error ends the pass after the jobs in hand.
    return !stopped_ && !error_;
}

bool AheadSchedule::Ended() const {
    if (reads_in_flight_ > 0 || renames_in_flight_ > 0) return false;
    return finished_ == paths_.count || !MayStart();
}

PassEnd AheadSchedule::End() const {
    PassEnd end;
    end.finished = finished_;
    end.error = error_;
    end.stopped = !error_ && stopped_ && finished_ < paths_.count;
    return end;
}

void AheadSchedule::Fail(std::size_t position, std::exception_ptr error) {
    SetError(position, std::move(error));
}

void AheadSchedule::SetError(std::size_t position, std::exception_ptr error) {
    // The pass reports the error of the first position in the list, as the
    // pass in list order would meet it.
    if (!error_ || position < error_position_) {
        error_ = std::move(error);
        error_position_ = position;
    }
}

AheadSchedule::Job AheadSchedule::Take() {
    Job job;
    for (;;) {
        if (TakeRename(job) || TakeAlone(job)) break;
        const ReadTaken read = TakeRead(job);
        if (read == ReadTaken::kAskAgain) continue;
        if (read == ReadTaken::kNone) job = Job{};
        break;
    }
    if constexpr (kCheckLines) CheckLines();
    return job;
}

bool AheadSchedule::TakeRename(Job& job) {
    for (auto it = ready_.begin(); it != ready_.end(); ++it) {
        FolderQueue& queue = **it;
        const std::size_t position = queue.waiting.front();
        if (!MayStart()) return false;
        Slot& slot = SlotOf(position);
        if (!pacing_.RenameMayStart(*slot.gate)) continue;
        ready_.erase(it);
        queue.waiting.pop_front();
        queue.busy = true;
        pacing_.RenameStarted(*slot.gate);
        ++renames_in_flight_;
        job.kind = JobKind::kRename;
        job.position = position;
        job.path = slot.read.path;
        job.stamp = *slot.read.stamp;
        return true;
    }
    return false;
}

bool AheadSchedule::TakeAlone(Job& job) {
    if (!alone_waiting_ || alone_busy_ || finished_ != frontier_ || !MayStart()) return false;
    alone_busy_ = true;
    ++renames_in_flight_;
    job.kind = JobKind::kAlone;
    job.position = frontier_;
    job.path = SlotOf(frontier_).read.path;
    return true;
}

AheadSchedule::ReadTaken AheadSchedule::TakeRead(Job& job) {
    if (next_read_ >= paths_.count || !MayStart() || next_read_ >= finished_ + slots_.size()) {
        // No read may start: a burst going out ends, which may let its
        // folder's renames start.
        return pacing_.EndBurst() ? ReadTaken::kAskAgain : ReadTaken::kNone;
    }
    const ReadPacing::Claim claim = pacing_.ClaimRead(next_read_, finished_);
    if (claim.turn == ReadPacing::Turn::kAskAgain) return ReadTaken::kAskAgain;
    if (claim.turn == ReadPacing::Turn::kWait) return ReadTaken::kNone;
    const std::size_t position = next_read_++;
    Slot& slot = SlotOf(position);
    slot = Slot{};
    slot.state = State::kReading;
    slot.began = ledger_.Now();
    slot.gate = claim.gate;
    ++reads_in_flight_;
    job.kind = JobKind::kRead;
    job.position = position;
    return ReadTaken::kTaken;
}

void AheadSchedule::ReadEnded(std::size_t position, AheadRead read) {
    Slot& slot = SlotOf(position);
    --reads_in_flight_;
    pacing_.ReadEnded(*slot.gate);
    slot.name_at = FolderTextOf(read.path).size();
    slot.read = std::move(read);
    slot.state = State::kRead;
    AdvanceFrontier();
    if constexpr (kCheckLines) CheckLines();
}

void AheadSchedule::RenameEnded(const Job& job, const RenameJobResult& result) {
    Slot& slot = SlotOf(job.position);
    --renames_in_flight_;
    const bool renamed = !result.after.empty() && result.after != job.path;
    if (job.kind == JobKind::kRename) {
        pacing_.RenameEnded(*slot.gate);
        const auto entry = EntryOf(slot, job.path);
        ledger_.Finish(*entry, *slot.read.file);
        if (renamed) ledger_.Record(entry, EntryOf(slot, result.after), slot.read.file);
        FolderQueue& queue = *slot.queue;
        queue.busy = false;
        if (!queue.waiting.empty()) ready_.push_back(&queue);
    } else {
        alone_busy_ = false;
        if (renamed) {
            // What a later read ahead may have missed: the old name, the new
            // one and the file, by the identities this reading found.
            slot.read.file = result.file;
            slot.read.folder = result.folder;
            ledger_.Record(EntryOf(slot, job.path), EntryOf(slot, result.after), result.file);
        }
    }
    if (result.error) {
        // The position stays unfinished: the pass ends there.
        slot.state = State::kFailed;
        SetError(job.position, result.error);
    } else {
        slot.state = State::kDone;
        if (job.kind == JobKind::kAlone) {
            alone_waiting_ = false;
            ++frontier_;
        }
        AdvanceFinished();
        AdvanceFrontier();
    }
    if constexpr (kCheckLines) CheckLines();
}

std::optional<EntryKey> AheadSchedule::EntryOf(const Slot& slot, const std::string& path) const {
    if (!slot.read.folder) return std::nullopt;
    return EntryKey{*slot.read.folder, path.substr(slot.name_at)};
}

void AheadSchedule::AdvanceFinished() {
    while (finished_ < next_read_ && SlotOf(finished_).state == State::kDone) ++finished_;
}

void AheadSchedule::AdvanceFrontier() {
    while (!alone_waiting_ && frontier_ < next_read_ && SlotOf(frontier_).state == State::kRead) {
        Slot& slot = SlotOf(frontier_);
        if (MustGoAlone(slot)) {
            alone_waiting_ = true;
            return;
        }
        ledger_.Expect(*EntryOf(slot, slot.read.path), *slot.read.file);
        pacing_.Handed(*slot.gate);
        FolderQueue& queue = queues_[*slot.read.folder];
        if (!queue.busy && queue.waiting.empty()) ready_.push_back(&queue);
        queue.waiting.push_back(frontier_);
        slot.queue = &queue;
        slot.state = State::kQueued;
        ++frontier_;
    }
}

void AheadSchedule::CheckLines() const {
    Require(finished_ <= frontier_ && frontier_ <= next_read_ && next_read_ <= paths_.count,
            "finished <= frontier <= next read <= count");
    Require(next_read_ - finished_ <= slots_.size(), "next read - finished <= reach");
    Require(finished_ == next_read_ || SlotOf(finished_).state != State::kDone,
            "finished stops at the first position not finished");
    std::size_t reading = 0;
    for (std::size_t position = finished_; position < next_read_; ++position) {
        const State state = SlotOf(position).state;
        if (position < frontier_) {
            Require(state == State::kQueued || state == State::kDone || state == State::kFailed,
                    "every position before the frontier is handed over or finished");
        } else {
            const bool alone_failed = position == frontier_ && alone_waiting_;
            Require(state == State::kReading || state == State::kRead ||
                        (alone_failed && state == State::kFailed),
                    "no position from the frontier on is handed over");
            reading += state == State::kReading;
        }
    }
    Require(reading == reads_in_flight_, "every read in hand is counted");
    Require(frontier_ == next_read_ || SlotOf(frontier_).state == State::kReading || alone_waiting_,
            "the frontier waits at a position not read yet or one handled alone");
    Require(!alone_busy_ || (alone_waiting_ && finished_ == frontier_),
            "a file handled alone starts once all before it are finished");
}

bool AheadSchedule::MustGoAlone(const Slot& slot) {
    // Without a stamp (the read failed), or without the identities that tell
    // which renames touch it, the file is read again in its turn.
    if (!slot.read.stamp || !slot.read.folder || !slot.read.file) return true;
    return ledger_.MayHaveMissed(slot.began, *EntryOf(slot, slot.read.path), *slot.read.file);
}

}  // namespace tavrel
