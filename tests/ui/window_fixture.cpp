#include "window_fixture.h"

#include <QItemSelectionModel>
#include <QListView>
#include <algorithm>

#include "platform/posix/process_environment.h"
#include "platform/process.h"

namespace tavrel::test {

WindowFixture::WindowFixture(const std::string& executable_path, const std::string& settings_name,
                             const std::vector<std::string>& font_files,
                             RemotePathMapper* path_mapper)
    : settings_path(settings_dir / settings_name),
      form(MainWindowServices{session, executable_path, errors, HostName(), font_files,
                              path_mapper}) {}

std::vector<std::string> WindowFixture::Entries() const {
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < session.file_list().size(); ++i)
        entries.push_back(session.file_list()[i]);
    return entries;
}

std::vector<int> WindowFixture::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : form.file_list->selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void WindowFixture::Select(const std::vector<int>& rows) {
    auto* selection = form.file_list->selectionModel();
    for (int row : rows)
        selection->select(form.file_list->model()->index(row, 0), QItemSelectionModel::Select);
}

void WindowFixture::StoreSettings(const std::string& text) const {
    MakeFile(settings_path, 0, text);
}

}  // namespace tavrel::test
