#include "platform/journal_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/posix_file_system.h"
#include "platform/posix/process_environment.h"
#include "platform/posix/retry.h"
#include "platform/posix/unique_fd.h"

namespace tavrel {
namespace {

class PosixAppendingFile final : public AppendingFile {
public:
    explicit PosixAppendingFile(UniqueFd fd) : fd_(std::move(fd)) {}

    int Append(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t n =
                RetryOnInterrupt([&] { return ::write(fd_.get(), bytes.data(), bytes.size()); });
            if (n < 0) return errno;
            if (n == 0) return EIO;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return 0;
    }

private:
    UniqueFd fd_;
};

class PosixJournalFolder final : public JournalFolder {
public:
    explicit PosixJournalFolder(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const override { return path_; }

    int Make() override {
        if (path_.empty()) return ENOENT;
        if (const int error = MakeFolderPath(path_)) return error;
        struct stat st;
        if (::stat(path_.c_str(), &st) != 0) return errno;
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    }

    std::vector<std::string> Names() override {
        std::vector<std::string> names;
        DIR* folder = ::opendir(path_.c_str());
        if (folder == nullptr) return names;
        while (const dirent* entry = ::readdir(folder)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(folder);
        return names;
    }

    std::unique_ptr<AppendingFile> CreateNew(const std::string& name, int& error) override {
        return Open(name, O_CREAT | O_EXCL, error);
    }

    std::unique_ptr<AppendingFile> OpenToAppend(const std::string& name, int& error) override {
        return Open(name, 0, error);
    }

    int Read(const std::string& name, std::string& contents) override {
        contents.clear();
        UniqueFd fd(RetryOnInterrupt(
            [&] { return ::open(PathOf(name).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW); }));
        if (!fd) return errno;
        char buffer[1 << 16];
        for (;;) {
            const ssize_t n =
                RetryOnInterrupt([&] { return ::read(fd.get(), buffer, sizeof buffer); });
            if (n < 0) return errno;
            if (n == 0) return 0;
            contents.append(buffer, static_cast<std::size_t>(n));
        }
    }

    int Remove(const std::string& name) override {
        return ::unlink(PathOf(name).c_str()) == 0 ? 0 : errno;
    }

private:
    std::string PathOf(const std::string& name) const { return path_ + "/" + name; }

    std::unique_ptr<AppendingFile> Open(const std::string& name, int flags, int& error) {
        error = 0;
        // O_APPEND: two processes appending to one journal (a run and an undo
        // of it) never write over each other's records.
        UniqueFd fd(RetryOnInterrupt([&] {
            return ::open(PathOf(name).c_str(),
                          flags | O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
        }));
        if (!fd) {
            error = errno;
            return nullptr;
        }
        return std::make_unique<PosixAppendingFile>(std::move(fd));
    }

    std::string path_;
};

}  // namespace

std::unique_ptr<JournalFolder> MakeJournalFolderAt(const std::string& path) {
    return std::make_unique<PosixJournalFolder>(path);
}

std::unique_ptr<JournalFolder> MakeUserJournalFolder() {
    const std::string home = HomeFolder();
    const char* state_home = std::getenv("XDG_STATE_HOME");
    if (home.empty() && (state_home == nullptr || state_home[0] != '/'))
        return MakeJournalFolderAt({});
    return MakeJournalFolderAt(XdgStateFolder(state_home, home));
}

}  // namespace tavrel
