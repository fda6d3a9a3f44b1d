#pragma once
// The window's font. The window is laid out for Tahoma at 8 points: its
// selector is 132 pixels wide for "YYYYMMDD-hhmmss_", its label 68 pixels for
// "Stamp Type" in bold. The usual desktop sans fonts are wider and would cut
// these texts, so the window uses a font with Tahoma's metrics where one is
// installed, and a condensed sans otherwise.

#include <QFont>
#include <string>
#include <vector>

namespace tavrel {

// Font files with Tahoma's metrics that lie where fontconfig does not look:
// those of Debian's fonts-wine (regular and bold).
std::vector<std::string> TahomaMetricFontFiles();

// Loads the given font files into the application (those that exist; each
// file once per process) and returns the window's font at 8 points: the
// family "Tahoma" when a loaded file or the desktop has it, else a condensed
// sans. Needs the Qt application to exist.
QFont WindowFont(const std::vector<std::string>& font_files);

}  // namespace tavrel
