#include "platform/posix/mount_traits.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <charconv>
#include <climits>

#include "platform/posix/retry.h"
#include "platform/posix/unique_fd.h"

namespace tavrel {
namespace {

// A path as /proc/self/mountinfo writes it: blanks, tabs, newlines and
// backslashes as three octal digits after a backslash.
std::string UnescapedMountPath(std::string_view field) {
    const auto octal = [](char c) { return c >= '0' && c <= '7'; };
    std::string path;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) &&
            octal(field[i + 2]) && octal(field[i + 3])) {
            path += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            path += field[i];
        }
    }
    return path;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& number) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::optional<MountEntry> ParseMountLine(std::string_view line) {
    std::vector<std::string_view> fields;
    for (std::size_t start = 0; start <= line.size();) {
        const auto blank = std::min(line.find(' ', start), line.size());
        fields.push_back(line.substr(start, blank - start));
        start = blank + 1;
    }
    // The optional fields ("shared:1", "master:2", none or several) end at
    // a lone "-", which the type follows.
    std::size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-") ++dash;
    if (dash + 1 >= fields.size() || fields[dash + 1].empty()) return std::nullopt;
    MountEntry mount;
    const std::string_view numbers = fields[2];
    const auto colon = numbers.find(':');
    unsigned int major_number = 0, minor_number = 0;
    if (!ParseNumber(fields[0], mount.id) || colon == std::string_view::npos ||
        !ParseNumber(numbers.substr(0, colon), major_number) ||
        !ParseNumber(numbers.substr(colon + 1), minor_number) || fields[4].empty())
        return std::nullopt;
    mount.device = makedev(major_number, minor_number);
    mount.point = UnescapedMountPath(fields[4]);
    mount.type = std::string(fields[dash + 1]);
    mount.traits = TraitsOfMountType(mount.type);
    return mount;
}

class KernelTable : public MountTable {
public:
    KernelTable()
        : file_(RetryOnInterrupt(
              [] { return ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC); })) {}

    std::string Read() override {
        std::string text;
        if (!file_ || ::lseek(file_.get(), 0, SEEK_SET) != 0) return text;
        char buffer[8192];
        for (;;) {
            const ssize_t n =
                RetryOnInterrupt([&] { return ::read(file_.get(), buffer, sizeof buffer); });
            if (n <= 0) break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }

    bool ChangedSinceAsked() override {
        // Without the open file nothing tells a change: every question then
        // reads the table again.
        if (!file_) return true;
        pollfd asked{file_.get(), POLLPRI, 0};
        if (RetryOnInterrupt([&] { return ::poll(&asked, 1, 0); }) < 0) return true;
        return (asked.revents & (POLLPRI | POLLERR)) != 0;
    }

private:
    UniqueFd file_;
};

}  // namespace

MountTraits TraitsOfMountType(const std::string& type) {
    MountTraits traits;
    static const char* const kNetwork[] = {"nfs", "nfs4", "cifs", "smb3",      "smbfs",
                                           "9p",  "afs",  "ceph", "glusterfs", "lustre"};
    for (const char* network : kNetwork)
        if (type == network) traits.slow = true;
    if (type.rfind("fuse.", 0) != 0) return traits;
    // The FUSE drivers of local disk formats answer at disk speed and are not
    // all safe with requests on several threads.
    static const char* const kLocalDrivers[] = {"fuse.fusefat", "fuse.exfat", "fuse.exfat-fuse",
                                                "fuse.ntfs-3g", "fuse.ntfs",  "fuse.vfat"};
    for (const char* local : kLocalDrivers)
        if (type == local) return traits;
    traits.slow = true;
    // The FUSE layers known to keep RENAME_NOREPLACE, or to refuse it so that
    // the rename falls back on link and unlink: sshfs refuses it, and SFTP's
    // rename and link refuse a taken name on the server. Tavrel's own slowed
    // pass-through layers (benchmarks, window tests) hand the flag on to the
    // disk below.
    static const char* const kKeepingLayers[] = {"fuse.sshfs", "fuse.slow_fs",
                                                 "fuse.tavrel-slowed"};
    for (const char* keeping : kKeepingLayers)
        if (type == keeping) return traits;
    // The desktops' FUSE layers for shares show each share (gvfsd-fuse) or
    // each kind of URL (kio-fuse: "smb", "sftp") in a folder of its own. Over
    // SMB both accept RENAME_NOREPLACE, ask the server whether the target
    // exists and rename in a request of its own, and the SMB client's rename
    // removes whatever took the name meanwhile (kio-fuse's create likewise,
    // see MountTraits::creates_exclusively); both show a link on the
    // server as a plain folder and number each path on its own.
    if (type == "fuse.gvfsd-fuse" || type == "fuse.kio-fuse") {
        traits.keeps_no_replace = false;
        traits.stable_identities = false;
        traits.depends_on_share = true;
        traits.creates_exclusively = type == "fuse.gvfsd-fuse";
        return traits;
    }
    // Any other FUSE layer: the kernel hands RENAME_NOREPLACE to the layer's
    // own process, and nothing tells whether that keeps it, refuses it or
    // drops the flag and renames over the target (a layer over a protocol
    // without such a rename can only check first and rename next, as the
    // share browser's does). A placeholder costs a request or two per file;
    // trusting a layer that does not keep the flag costs another program's
    // file. So the new name is reserved first.
    traits.keeps_no_replace = false;
    return traits;
}

MountTraits TraitsOfShareFolder(const std::string& mount_type, const std::string& share_folder) {
    MountTraits traits = TraitsOfMountType(mount_type);
    const bool sftp = mount_type == "fuse.kio-fuse" ? share_folder == "sftp"
                                                    : share_folder.rfind("sftp:", 0) == 0;
    if (traits.depends_on_share && sftp) traits.keeps_no_replace = true;
    return traits;
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    while (!text.empty()) {
        const auto end = std::min(text.find('\n'), text.size());
        if (auto mount = ParseMountLine(text.substr(0, end))) mounts.push_back(std::move(*mount));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return mounts;
}

std::unique_ptr<MountTable> KernelMountTable() {
    return std::make_unique<KernelTable>();
}

MountTraitsCache::MountTraitsCache(std::unique_ptr<MountTable> table) : table_(std::move(table)) {}

MountEntry MountTraitsCache::Find(dev_t device, std::optional<std::uint64_t> id) {
    const std::lock_guard<std::mutex> lock(mutex_);
    // Asked before the table is searched, so that a mount that came after
    // the last reading is never looked for in it.
    if (table_->ChangedSinceAsked() || readings_ == 0) {
        mounts_ = ParseMountInfo(table_->Read());
        ++readings_;
    }
    // A mount ID names one mount among those present; a device may be
    // mounted at several points, and a file on a layered file system may
    // carry the device of the disk below.
    for (const MountEntry& mount : mounts_)
        if (id ? mount.id == *id : mount.device == device) return mount;
    return {};
}

MountEntry MountTraitsCache::FindAt(int directory_fd, const char* path, int flags) {
    struct statx status;
    if (RetryOnInterrupt(
            [&] { return ::statx(directory_fd, path, flags, STATX_MNT_ID, &status); }) == 0) {
        const dev_t device = makedev(status.stx_dev_major, status.stx_dev_minor);
        if (status.stx_mask & STATX_MNT_ID) return Find(device, status.stx_mnt_id);
        return Find(device, std::nullopt);
    }
    struct stat st;
    if (RetryOnInterrupt([&] { return ::fstatat(directory_fd, path, &st, flags); }) != 0) return {};
    return Find(st.st_dev, std::nullopt);
}

MountTraits MountTraitsCache::ForDescriptor(int fd) {
    return FindAt(fd, "", AT_EMPTY_PATH).traits;
}

MountTraits MountTraitsCache::ForPath(const std::string& path) {
    return FindAt(AT_FDCWD, path.c_str(), 0).traits;
}

MountTraits MountTraitsCache::ForDevice(dev_t device) {
    return Find(device, std::nullopt).traits;
}

std::uint64_t MountTraitsCache::Readings() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return readings_;
}

MountTraits MountTraitsCache::ForDirectory(int directory_fd) {
    const MountEntry mount = FindAt(directory_fd, "", AT_EMPTY_PATH);
    if (!mount.traits.depends_on_share || mount.point.empty()) return mount.traits;
    // The kernel names the directory from its own records: no request
    // reaches the file system.
    char path[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(directory_fd);
    const ssize_t length = ::readlink(link.c_str(), path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return mount.traits;
    const std::string directory(path, static_cast<std::size_t>(length));
    const std::string below = mount.point == "/" ? "/" : mount.point + "/";
    if (directory.compare(0, below.size(), below) != 0) return mount.traits;
    // The share's folder ends at the next slash, or with the path (npos less
    // anything still counts to its end).
    const auto folder_end = directory.find('/', below.size());
    return TraitsOfShareFolder(mount.type,
                               directory.substr(below.size(), folder_end - below.size()));
}

}  // namespace tavrel
