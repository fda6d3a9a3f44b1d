#pragma once
// Every text the main window shows, for both windows. The window is created
// with its controls' names as title and captions ("FormMain", "ButtonExecute",
// "ButtonClear"), which the show handling replaces with the title and the
// captions; until then, a screen reader or a script that looks at the window
// sees these names, so they are kept exactly.

namespace tavrel::window_text {

// The window's title and the buttons' captions until the window is shown.
inline constexpr const char* kCreatedTitle = "FormMain";
inline constexpr const char* kCreatedExecuteCaption = "ButtonExecute";
inline constexpr const char* kCreatedClearCaption = "ButtonClear";

// The title once shown: this, then the program's file version.
inline constexpr const char* kTitlePrefix = "Tavrel v";
inline constexpr const char* kExecuteCaption = "Execute";
inline constexpr const char* kClearCaption = "Clear";

// The label in front of the stamp-type selector, the selector's entries (their
// positions are the stamp types), and the list's tooltip.
inline constexpr const char* kStampTypeLabel = "Stamp Type";
inline constexpr const char* kStampTypeNames[] = {"none", "YYYYMMDD_", "YYYYMMDD-hhmmss_"};
inline constexpr const char* kListTooltip = "Drag and Drop Files or Directories Here!";
// The names of the list and the bottom panel for assistive technology, and
// the titles of the file dialogs that add files (Ctrl+O) and a folder
// (Ctrl+Shift+O).
inline constexpr const char* kListAccessibleName = "Files";
inline constexpr const char* kPanelAccessibleName = "Stamp and rename";
inline constexpr const char* kAddFilesTitle = "Add Files";
inline constexpr const char* kAddFolderTitle = "Add Folder";

// The checkable item of the list's context menu (and, on Windows, of the
// window's system menu) that stamps each file with its date taken.
inline constexpr const char* kDateTakenItem = "Date taken (photos, videos)";

// The title of the box that reports an error escaping start-up.
inline constexpr const char* kLastResortTitle = "アプリケーション エラー";

// The error a list control raises when it has no room for another entry.
inline constexpr const char* kListFullMessage = "行を挿入できません";

}  // namespace tavrel::window_text
