// A pass-through file system that answers every request late, for the window
// tests of long work: it shows a backing folder at a mount point through FUSE
// and sleeps before each request, so a walk or a rename pass over a few
// thousand files lasts seconds on any machine, however fast.
//
// Usage: tavrel_slowed_fs DELAY_FILE BACKING MOUNT_POINT [OPTIONS]
// DELAY_FILE holds the delay in microseconds. It is read at start and again
// on SIGUSR1, so a test can slow the layer while it waits to see the work's
// progress and let it run at full speed afterwards. A request already waiting
// ends its wait as soon as the new delay allows: a huge delay holds every
// request until a smaller one is set.
//
// OPTIONS are more mount options, such as allow_other, which lets users other
// than the one who mounted it in (a test runs Tavrel as another user).
//
// It runs in the foreground, multi-threaded, until the mount point is
// unmounted (fusermount3 -u), and then exits with 0.

#define FUSE_USE_VERSION 35

#include <dirent.h>
#include <fcntl.h>
#include <fuse.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

int backing_fd = -1;
const char* delay_file = nullptr;
std::atomic<long long> delay_us{0};

// Reads the delay file; only calls that a signal handler may make.
void ReadDelay() {
    const int fd = ::open(delay_file, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    char text[32];
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (got <= 0) return;
    long long value = 0;
    for (ssize_t i = 0; i < got && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + (text[i] - '0');
    delay_us.store(value);
}

void OnDelayChanged(int) {
    const int saved = errno;
    ReadDelay();
    errno = saved;
}

// Waits before a request, in short steps so a changed delay takes effect at once.
void Slow() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    for (;;) {
        const auto waited =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        const long long left = delay_us.load() - waited;
        if (left <= 0) return;
        std::this_thread::sleep_for(std::chrono::microseconds(left < 1000 ? left : 1000));
    }
}

// A path of the mount, relative to the backing folder.
const char* Inside(const char* path) {
    while (*path == '/') ++path;
    return *path ? path : ".";
}

int Answer(int result) {
    return result < 0 ? -errno : result;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info* fi) {
    Slow();
    if (fi != nullptr) return Answer(::fstat(static_cast<int>(fi->fh), st));
    return Answer(::fstatat(backing_fd, Inside(path), st, AT_SYMLINK_NOFOLLOW));
}

int Access(const char* path, int mode) {
    Slow();
    return Answer(::faccessat(backing_fd, Inside(path), mode, AT_SYMLINK_NOFOLLOW));
}

int ReadLink(const char* path, char* buffer, size_t size) {
    Slow();
    const ssize_t got = ::readlinkat(backing_fd, Inside(path), buffer, size - 1);
    if (got < 0) return -errno;
    buffer[got] = '\0';
    return 0;
}

int OpenDir(const char* path, fuse_file_info* fi) {
    Slow();
    const int fd = ::openat(backing_fd, Inside(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -errno;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        const int error = errno;
        ::close(fd);
        return -error;
    }
    fi->fh = reinterpret_cast<uintptr_t>(dir);
    return 0;
}

// The whole folder in one go: the library keeps the entries for later calls.
int ReadDir(const char*, void* buffer, fuse_fill_dir_t fill, off_t offset, fuse_file_info* fi,
            fuse_readdir_flags) {
    Slow();
    DIR* dir = reinterpret_cast<DIR*>(fi->fh);
    if (offset == 0) ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        st.st_ino = entry->d_ino;
        st.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (fill(buffer, entry->d_name, &st, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) break;
    }
    return 0;
}

int ReleaseDir(const char*, fuse_file_info* fi) {
    Slow();
    ::closedir(reinterpret_cast<DIR*>(fi->fh));
    return 0;
}

int MakeNode(const char* path, mode_t mode, dev_t device) {
    Slow();
    return Answer(::mknodat(backing_fd, Inside(path), mode, device));
}

int MakeDir(const char* path, mode_t mode) {
    Slow();
    return Answer(::mkdirat(backing_fd, Inside(path), mode));
}

int Unlink(const char* path) {
    Slow();
    return Answer(::unlinkat(backing_fd, Inside(path), 0));
}

int RemoveDir(const char* path) {
    Slow();
    return Answer(::unlinkat(backing_fd, Inside(path), AT_REMOVEDIR));
}

int SymLink(const char* target, const char* path) {
    Slow();
    return Answer(::symlinkat(target, backing_fd, Inside(path)));
}

// Renames with the caller's flags, RENAME_NOREPLACE included.
int Rename(const char* from, const char* to, unsigned int flags) {
    Slow();
    return Answer(::renameat2(backing_fd, Inside(from), backing_fd, Inside(to), flags));
}

int Link(const char* from, const char* to) {
    Slow();
    return Answer(::linkat(backing_fd, Inside(from), backing_fd, Inside(to), 0));
}

int ChangeMode(const char* path, mode_t mode, fuse_file_info* fi) {
    Slow();
    if (fi != nullptr) return Answer(::fchmod(static_cast<int>(fi->fh), mode));
    return Answer(::fchmodat(backing_fd, Inside(path), mode, 0));
}

int ChangeOwner(const char* path, uid_t uid, gid_t gid, fuse_file_info* fi) {
    Slow();
    if (fi != nullptr) return Answer(::fchown(static_cast<int>(fi->fh), uid, gid));
    return Answer(::fchownat(backing_fd, Inside(path), uid, gid, AT_SYMLINK_NOFOLLOW));
}

int Truncate(const char* path, off_t size, fuse_file_info* fi) {
    Slow();
    if (fi != nullptr) return Answer(::ftruncate(static_cast<int>(fi->fh), size));
    const int fd = ::openat(backing_fd, Inside(path), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return -errno;
    const int result = Answer(::ftruncate(fd, size));
    ::close(fd);
    return result;
}

int SetTimes(const char* path, const timespec times[2], fuse_file_info* fi) {
    Slow();
    if (fi != nullptr) return Answer(::futimens(static_cast<int>(fi->fh), times));
    return Answer(::utimensat(backing_fd, Inside(path), times, AT_SYMLINK_NOFOLLOW));
}

int Create(const char* path, mode_t mode, fuse_file_info* fi) {
    Slow();
    const int fd = ::openat(backing_fd, Inside(path), fi->flags | O_CLOEXEC, mode);
    if (fd < 0) return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int Open(const char* path, fuse_file_info* fi) {
    Slow();
    const int fd = ::openat(backing_fd, Inside(path), fi->flags | O_CLOEXEC);
    if (fd < 0) return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    Slow();
    return Answer(static_cast<int>(::pread(static_cast<int>(fi->fh), buffer, size, offset)));
}

int Write(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    Slow();
    return Answer(static_cast<int>(::pwrite(static_cast<int>(fi->fh), buffer, size, offset)));
}

int StatFs(const char*, struct statvfs* st) {
    Slow();
    return Answer(::fstatvfs(backing_fd, st));
}

int Flush(const char*, fuse_file_info*) {
    Slow();
    return 0;
}

int Release(const char*, fuse_file_info* fi) {
    Slow();
    ::close(static_cast<int>(fi->fh));
    return 0;
}

int FileSync(const char*, int data_only, fuse_file_info* fi) {
    Slow();
    const int fd = static_cast<int>(fi->fh);
    return Answer(data_only ? ::fdatasync(fd) : ::fsync(fd));
}

void* Init(fuse_conn_info*, fuse_config* config) {
    // Paths are looked up in the backing folder: inode numbers come from there.
    config->use_ino = 1;
    config->nullpath_ok = 0;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s DELAY_FILE BACKING MOUNT_POINT [OPTIONS]\n", argv[0]);
        return 2;
    }
    // The library may change the working folder: the file is named in full.
    delay_file = ::realpath(argv[1], nullptr);
    if (delay_file == nullptr) {
        std::perror(argv[1]);
        return 2;
    }
    backing_fd = ::open(argv[2], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (backing_fd < 0) {
        std::perror(argv[2]);
        return 2;
    }
    ReadDelay();
    struct sigaction action {};
    action.sa_handler = OnDelayChanged;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGUSR1, &action, nullptr);

    fuse_operations operations{};
    operations.getattr = GetAttr;
    operations.readlink = ReadLink;
    operations.mknod = MakeNode;
    operations.mkdir = MakeDir;
    operations.unlink = Unlink;
    operations.rmdir = RemoveDir;
    operations.symlink = SymLink;
    operations.rename = Rename;
    operations.link = Link;
    operations.chmod = ChangeMode;
    operations.chown = ChangeOwner;
    operations.truncate = Truncate;
    operations.open = Open;
    operations.read = Read;
    operations.write = Write;
    operations.statfs = StatFs;
    operations.flush = Flush;
    operations.release = Release;
    operations.fsync = FileSync;
    operations.opendir = OpenDir;
    operations.readdir = ReadDir;
    operations.releasedir = ReleaseDir;
    operations.init = Init;
    operations.access = Access;
    operations.create = Create;
    operations.utimens = SetTimes;

    std::string program = argv[0];
    std::string mount_point = argv[3];
    std::string foreground = "-f";
    std::string options_flag = "-o";
    std::string options = "fsname=tavrel-slowed,subtype=tavrel-slowed";
    if (argc == 5) options += std::string(",") + argv[4];
    char* fuse_argv[] = {program.data(), foreground.data(), options_flag.data(), options.data(),
                         mount_point.data(), nullptr};
    return fuse_main(5, fuse_argv, &operations, nullptr);
}
