#pragma once
// The renames a read ahead may have missed. A file's time is read ahead, well
// before its rename; by then a rename of another list position may have
// changed what the read saw: renamed the same entry away, put a file under its
// name, or renamed the very file under another path (a hard or symbolic link,
// a path listed twice). The ledger keeps the renames made since the oldest
// read still to be judged began, and those handed over but not yet finished,
// and tells whether a read may have missed one that touched its entry or file.
// Such a file is read again and renamed once every file before it is
// finished, as the pass in list order would.

#include <cstdint>
#include <deque>
#include <optional>
#include <unordered_map>

#include "pass/pass_keys.h"

namespace tavrel {

class RenameLedger {
public:
    // The point of the ledger a read began at: the renames recorded before it
    // are in what the read saw.
    using Mark = std::uint64_t;

    // The mark for a read beginning now.
    Mark Now() const { return recorded_; }

    // A file handed over to be renamed: until Finish, a read of its entry or
    // file may miss what its rename will do.
    void Expect(const EntryKey& entry, const FileIdentity& file);
    // The file handed over with Expect is done, renamed or not.
    void Finish(const EntryKey& entry, const FileIdentity& file);

    // A rename made: the entry it left, the one it took and the file, each
    // where known.
    void Record(const std::optional<EntryKey>& from, const std::optional<EntryKey>& to,
                const std::optional<FileIdentity>& file);

    // True when a read of this entry and file begun at `began` may have missed
    // a rename: one recorded since, or one expected and not finished, that
    // left or took the entry or renamed the file. Reads are judged in the
    // order they began (`began` never goes down from one call to the next):
    // the renames every later read has seen are forgotten on the way.
    bool MayHaveMissed(Mark began, const EntryKey& entry, const FileIdentity& file);

private:
    struct Made {
        Mark number;
        std::optional<EntryKey> from, to;
        std::optional<FileIdentity> file;
    };

    void ForgetUpTo(Mark mark);

    template <typename Key>
    using Counts = std::unordered_map<Key, int, PassKeyHash>;
    template <typename Key>
    static void Add(Counts<Key>& counts, const Key& key) {
        ++counts[key];
    }
    template <typename Key>
    static void Remove(Counts<Key>& counts, const Key& key) {
        const auto found = counts.find(key);
        if (found != counts.end() && --found->second == 0) counts.erase(found);
    }

    Mark recorded_ = 0;
    std::deque<Made> made_;
    // The entries and files of made_, and those expected.
    Counts<EntryKey> made_entries_, expected_entries_;
    Counts<FileIdentity> made_files_, expected_files_;
};

}  // namespace tavrel
