#pragma once
// When the pass that reads ahead may start its next read: speed only. Every
// answer given here leaves the names the pass gives as they are (AheadSchedule
// keeps them right whatever the order of reads); it only makes the pass
// faster or slower.
//
// On a network file system a read begins by looking its name up in the
// folder, and a rename holds the folder locked for its round trip, so look-ups
// and renames in one folder at once slow each other down many times over.
// Reads and renames of one folder therefore take turns, the reads in bursts;
// and while the files ahead lie in one folder the reads stay near the first
// unfinished position, so that a name read ahead is still in the kernel's
// cache when its rename comes. Where another folder begins within reach, the
// reads run on to it, so that its renames can start beside those of the
// folders before it.

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

#include "pass/stamp_pass.h"

namespace tavrel {

class ReadPacing {
public:
    // The reads and renames of one folder as the paths name it (its folder
    // text): a read's folder is known by its path only, before the read
    // finds the folder's identity.
    struct Gate {
        std::size_t reading = 0;   // reads in flight
        std::size_t renaming = 0;  // renames in flight
        std::size_t pending = 0;   // files handed to its renames, not finished
    };

    enum class Turn {
        kRead,      // the read may start, through `gate`
        kWait,      // no read may start now
        kAskAgain,  // no read may start now, but a burst ended: its folder's
                    // renames may start now, and a read of another folder
                    // may start after them
    };
    struct Claim {
        Turn turn = Turn::kWait;
        Gate* gate = nullptr;
    };

    // `reach`: the most positions read past the first unfinished one, where
    // another folder begins within them; `near`: the most while the files
    // there lie in one folder (at most `reach`).
    ReadPacing(const PassPaths& paths, std::size_t reach, std::size_t near);

    // Claims the read of position `next` (not read yet, within `reach` of
    // `finished`, the first unfinished position) where its turn has come: on
    // Turn::kRead the read counts as in flight in its gate until ReadEnded.
    Claim ClaimRead(std::size_t next, std::size_t finished);
    // No read may start for reasons of the schedule (the list's end, the
    // reach full, a stop): the burst going out ends. True when one did.
    bool EndBurst();

    // Whether a rename in the gate's folder may start now: not while a read
    // there is in flight or its burst goes on.
    bool RenameMayStart(const Gate& gate) const {
        return gate.reading == 0 && !(burst_left_ > 0 && burst_gate_ == &gate);
    }

    void ReadEnded(Gate& gate) { --gate.reading; }
    // A file of the gate's folder was handed to its renames.
    void Handed(Gate& gate) { ++gate.pending; }
    void RenameStarted(Gate& gate) { ++gate.renaming; }
    void RenameEnded(Gate& gate) {
        --gate.renaming;
        --gate.pending;
    }

private:
    // No read may start now, and the burst going out ends: Turn::kAskAgain
    // when there was one, else Turn::kWait.
    Claim NoReadNow();
    // Finds where the list changes folder text, from `next` up to `limit`,
    // and forgets the changes at or before `finished`.
    void ScanFolderChanges(std::size_t next, std::size_t finished, std::size_t limit);
    // Whether the list changes folder text before `limit`, as scanned.
    bool FolderChangesBefore(std::size_t limit) const {
        return !changes_.empty() && changes_.front() < limit;
    }

    const PassPaths& paths_;
    const std::size_t reach_;
    const std::size_t near_;

    // Where the list changes folder, found by comparing each path's folder
    // text with the one before, ahead of the reads.
    std::size_t scanned_ = 0;
    std::string scanned_folder_;
    std::deque<std::size_t> changes_;

    std::unordered_map<std::string, Gate> gates_;
    std::size_t burst_left_ = 0;  // reads the burst going out may still start
    Gate* burst_gate_ = nullptr;  // the folder it reads in
};

}  // namespace tavrel
