#pragma once
// What a paste of text or of a file manager's copied files names: the lines
// of the clipboard's text, told apart into paths and URIs. The window decodes
// the URIs as it decodes a drop's, then adds the files as a drop does.

#include <string>
#include <string_view>
#include <vector>

namespace tavrel {

struct PastedLines {
    // Lines that are absolute paths of this system, as they were written.
    std::vector<std::string> paths;
    // Lines that are URIs ("scheme:..."), for the window's URI decoding.
    std::vector<std::string> uris;
};

// The lines of pasted text, one path or URI a line. Line ends may be LF or
// CR LF; empty lines, and lines of a URI list's comments ("#"), are skipped.
// A path in double quotes (as a file manager's "copy as path" writes it)
// loses its quotes. Lines that are neither an absolute path (see
// `is_absolute`) nor a URI are left out: a relative name has no folder.
PastedLines SplitPastedText(std::string_view text, bool (*is_absolute)(std::string_view path));

// The URIs of a file manager's copied-files list: its first line says "copy"
// or "cut", each further line is one URI.
std::vector<std::string> CopiedFilesUris(std::string_view list);

// Whether a path is absolute on POSIX systems: it starts with "/".
bool IsAbsolutePosixPath(std::string_view path);
// Whether a path is absolute on Windows: a drive and a separator ("C:\",
// "C:/"), or two separators (a server's share, "\\server\share").
bool IsAbsoluteWindowsPath(std::string_view path);

}  // namespace tavrel
