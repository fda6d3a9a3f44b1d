#pragma once
// Replacing a file's contents at once on Linux: a new file beside it, flushed,
// then renamed over it.

#include <sys/types.h>

#include <string>

namespace tavrel {

// FileSystem::ReplaceFileContents on Linux. The temporary file is made beside
// the file the path leads to (mkostemp), gets the old file's mode and, where
// this process may, its owner, and is written, flushed (fsync), closed and
// renamed over the old one; on any failure it is removed again and the old file
// is left as it was. Refused without writing anything: a path that leads to a
// device, pipe or socket (EPERM), and a file this process may not open for
// writing. Returns 0 or the errno value.
int ReplaceFileAtomically(const std::string& path, const std::string& contents);

// The process's file mode creation mask, read without changing it.
mode_t CurrentUmask();

// Where writing to the path ends up: the path itself, or, while it is a
// symbolic link, the path the link leads to (a relative link read from the
// link's own directory). Gives up with ELOOP after 40 links, like the kernel.
// Returns 0 or the errno value.
int FinalLinkTarget(const std::string& path, std::string& target);

}  // namespace tavrel
