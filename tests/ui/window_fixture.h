#pragma once
// A main window on the real file system, with a settings file of its own and a
// message box that records instead of showing.

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/rename_session.h"
#include "platform/posix/icu_text_ordering.h"
#include "platform/posix/monotonic_clock.h"
#include "platform/posix/posix_file_system.h"
#include "test_support.h"
#include "ui/qt/error_reporter.h"
#include "ui/qt/main_window.h"

namespace tavrel::test {

struct ShownError {
    QString title;
    QString text;
};

// Records the errors; every question gets the base class's No, unshown.
class RecordingReporter final : public ErrorReporter {
public:
    void ShowError(QWidget*, const QString& title, const QString& text) override {
        shown.push_back({title, text});
    }
    std::vector<ShownError> shown;
};

class WindowFixture {
public:
    // The window reads its version from the given program file and loads its
    // font from the given font files; dropped network locations go to the
    // given mapper.
    explicit WindowFixture(const std::string& executable_path = TAVREL_BINARY,
                           const std::string& settings_name = "setup.ini",
                           const std::vector<std::string>& font_files = TahomaMetricFontFiles(),
                           RemotePathMapper* path_mapper = nullptr);

    // Runs a handler that may start work, and the work to its end.
    bool Run(bool started) { return form.model().WaitForWork() && started; }
    // The entries of the file list, as bytes.
    std::vector<std::string> Entries() const;
    // The rows of the list view that are selected, ascending.
    std::vector<int> SelectedRows() const;
    void Select(const std::vector<int>& rows);
    void StoreSettings(const std::string& text) const;

    TempDir files;
    TempDir settings_dir;
    std::string settings_path;
    // The journals of its runs, in a folder of its own.
    TempDir state_dir;
    std::unique_ptr<JournalFolder> journals = MakeJournalFolderAt(state_dir / "tavrel");
    PosixFileSystem file_system;
    MonotonicClock clock;
    RegionalFormats formats = RegionalFormats::Reference();
    std::unique_ptr<TextOrdering> ordering = MakeIcuTextOrdering("C");
    RenameSession session{
        SessionServices{file_system, clock, formats, *ordering, settings_path, {}, journals.get()}};
    RecordingReporter errors;
    MainWindow form;
};

}  // namespace tavrel::test
