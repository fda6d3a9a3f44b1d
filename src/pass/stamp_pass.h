#pragma once
// The rename pass over a list of paths: every file given its stamped name, in
// list order, stopping at the first file whose time cannot be read. The pass
// reads the paths and never writes them: what it renamed it reports, and the
// caller writes the new paths back where it keeps them, so the list may be
// read elsewhere (a window drawing it) while a pass runs on another thread.

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <string>

#include "base/worker_threads.h"
#include "stamp/stamp_file.h"

namespace tavrel {

// The paths a pass works through: how many, and the one at each position.
// The pass may read them from several threads at once, and never reads a
// position again once it has told that position's rename.
struct PassPaths {
    std::size_t count = 0;
    std::function<const std::string&(std::size_t position)> at;
};

// What a pass tells its caller, and how the caller stops it. Every callback
// is called from one thread at a time, though not always the same one.
struct PassEvents {
    // A file was renamed: its position and its paths before and after. Within
    // a folder, renames are told in list order.
    std::function<void(std::size_t position, const std::string& before, const std::string& after)>
        renamed;
    // How many files are finished (renamed, or left as they are) so far.
    std::function<void(std::size_t finished)> progress;
    // Set from anywhere to stop the pass: no further rename starts; the files
    // in hand (one a thread at most) are finished.
    const std::atomic<bool>* stop = nullptr;
};

// How a pass ended.
struct PassEnd {
    // Every position before this one is finished (renamed, or left as it
    // is). Equal to the path count when the pass ran to its end. The pass in
    // list order touched nothing from it on. The pass that reads ahead renames
    // in several folders at once, so when it was stopped, or ended by an error
    // other than a file's time, files past it in other folders may have been
    // renamed too: each of them was told through PassEvents::renamed like any
    // other rename.
    std::size_t finished = 0;
    bool stopped = false;  // the stop flag ended it early
    // The error that ended it, once the files in hand were finished; empty
    // when none did. A DateConversionError (the time of the file at
    // `finished` could not be read) comes before anything past that file was
    // touched, in either pass. Any other error (an exception from a callback
    // included) may come, in the pass that reads ahead, from a file past
    // `finished` in another folder.
    std::exception_ptr error;
};

// Runs the pass: in runs of positions whose file systems are of one kind, the
// paths where FileSystem::IsSlowAndThreadSafe holds with RunStampPassAhead, the
// others with RunStampPassInOrder, each run to its end before the next, so the
// list's order holds across them. The held directory is released however the
// pass ends.
PassEnd RunStampPass(const PassPaths& paths, int stamp_type, const StampContext& context,
                     const PassEvents& events = {});

// RunStampPass's two ways. Both end as RunStampPass says, with the same
// outcomes on any tree that nothing else changes meanwhile.
//
// One file after another, on the calling thread.
PassEnd RunStampPassInOrder(const PassPaths& paths, int stamp_type, const StampContext& context,
                            const PassEvents& events = {});

// How far RunStampPassAhead reads ahead, and on how many threads.
struct ReadAhead {
    unsigned threads = 8;
    // The most positions past the first unfinished one that are read ahead
    // while the files there lie in one folder: few enough that a name read
    // ahead is still in the kernel's cache when its rename comes.
    std::size_t in_one_folder = 64;
    // The most positions read ahead where another folder begins within them:
    // every file before that folder's first is read, so that its renames can
    // start beside those of the folders before it.
    std::size_t across_folders = 1024;
    // How its threads are started; empty: the system's threads. A thread that
    // cannot be started leaves the work to fewer, down to the calling thread.
    StartThread start_thread;
};

// For file systems where each request waits for a server: the times of the
// files coming next are read on several threads while files are renamed, and
// files in different folders are renamed at the same time (each folder's in
// list order). A file is renamed only once every file before it in the list
// has had its time read, so a file whose time cannot be read ends the pass
// where the in-order pass ends it, before anything past it was touched. A file
// that may have been changed by a rename made after its time was read ahead
// (a file listed twice, a hard link or symbolic link to a file renamed before
// it), and one whose time could not be read ahead, is read again and renamed
// alone, once every file before it is finished. The stop flag ends the pass
// once the renames in hand are done. The file system's calls are made from
// several threads at once.
PassEnd RunStampPassAhead(const PassPaths& paths, int stamp_type, const StampContext& context,
                          const PassEvents& events = {}, const ReadAhead& ahead = {});

}  // namespace tavrel
