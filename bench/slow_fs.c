/* A FUSE layer that stands in for a file server far away: it passes every
 * request through to a folder on the local disk, but answers each only after
 * waiting DELAY_US microseconds (1 ms unless told), on as many threads as
 * libfuse starts, and counts the requests it served by kind. When unmounted it
 * writes the counts to COUNTS_FILE ("total N" first, then one line a kind).
 *
 *   slow_fs BACKING_DIR COUNTS_FILE DELAY_US MOUNT_POINT [FUSE OPTIONS...]
 *
 * Look-ups in one folder are passed on in parallel (FUSE_CAP_PARALLEL_DIROPS),
 * as a network file system's are; cache times are libfuse's defaults (names
 * and attributes 1 s, missing names not cached). */
#define FUSE_USE_VERSION 35
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

static int backing_fd = -1;
static long delay_us = 1000;
static const char* counts_file;

enum kind { GETATTR, READDIR, OPEN, READ, FLUSH, RELEASE, RENAME, LINK, UNLINK, CREATE, MKDIR,
            RMDIR, UTIMENS, SYMLINK, READLINK, STATFS, OTHER, KINDS };
static const char* const kind_names[KINDS] = {
    "lookup/getattr", "readdir", "open", "read", "flush", "release", "rename", "link", "unlink",
    "create", "mkdir", "rmdir", "utimens", "symlink", "readlink", "statfs", "other"};
static atomic_long counts[KINDS];

/* Every request waits as a round trip to a server would. */
static void serve(enum kind kind) {
    atomic_fetch_add(&counts[kind], 1);
    const struct timespec wait = {delay_us / 1000000, (delay_us % 1000000) * 1000};
    nanosleep(&wait, NULL);
}

/* The path below the backing folder ("." for the root). */
static const char* below(const char* path) {
    while (*path == '/') ++path;
    return *path ? path : ".";
}

static int result(int value) { return value < 0 ? -errno : value; }

static void* slow_init(struct fuse_conn_info* conn, struct fuse_config* config) {
    (void)config;
    if (conn->capable & FUSE_CAP_PARALLEL_DIROPS) conn->want |= FUSE_CAP_PARALLEL_DIROPS;
    return NULL;
}

static int slow_getattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    serve(GETATTR);
    if (fi) return result(fstat((int)fi->fh, st));
    return result(fstatat(backing_fd, below(path), st, AT_SYMLINK_NOFOLLOW));
}

static int slow_readdir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t offset,
                        struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
    (void)offset, (void)fi, (void)flags;
    serve(READDIR);
    const int fd = openat(backing_fd, below(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -errno;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return -errno;
    }
    struct dirent* entry;
    while ((entry = readdir(dir)) != NULL) {
        struct stat st;
        memset(&st, 0, sizeof st);
        st.st_ino = entry->d_ino;
        st.st_mode = (mode_t)DTTOIF(entry->d_type);
        if (fill(buffer, entry->d_name, &st, 0, 0)) break;
    }
    closedir(dir);
    return 0;
}

static int slow_open(const char* path, struct fuse_file_info* fi) {
    serve(OPEN);
    const int fd = openat(backing_fd, below(path), (fi->flags & ~O_CREAT) | O_CLOEXEC);
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int slow_create(const char* path, mode_t mode, struct fuse_file_info* fi) {
    serve(CREATE);
    const int fd = openat(backing_fd, below(path), fi->flags | O_CREAT | O_CLOEXEC, mode);
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    return 0;
}

static int slow_read(const char* path, char* buffer, size_t size, off_t offset,
                     struct fuse_file_info* fi) {
    (void)path;
    serve(READ);
    return result((int)pread((int)fi->fh, buffer, size, offset));
}

static int slow_write(const char* path, const char* buffer, size_t size, off_t offset,
                      struct fuse_file_info* fi) {
    (void)path;
    serve(OTHER);
    return result((int)pwrite((int)fi->fh, buffer, size, offset));
}

static int slow_flush(const char* path, struct fuse_file_info* fi) {
    (void)path, (void)fi;
    serve(FLUSH);
    return 0;
}

static int slow_release(const char* path, struct fuse_file_info* fi) {
    (void)path;
    serve(RELEASE);
    close((int)fi->fh);
    return 0;
}

static int slow_rename(const char* from, const char* to, unsigned int flags) {
    serve(RENAME);
    return result(renameat2(backing_fd, below(from), backing_fd, below(to), flags));
}

static int slow_link(const char* from, const char* to) {
    serve(LINK);
    return result(linkat(backing_fd, below(from), backing_fd, below(to), 0));
}

static int slow_unlink(const char* path) {
    serve(UNLINK);
    return result(unlinkat(backing_fd, below(path), 0));
}

static int slow_mkdir(const char* path, mode_t mode) {
    serve(MKDIR);
    return result(mkdirat(backing_fd, below(path), mode));
}

static int slow_rmdir(const char* path) {
    serve(RMDIR);
    return result(unlinkat(backing_fd, below(path), AT_REMOVEDIR));
}

static int slow_utimens(const char* path, const struct timespec times[2],
                        struct fuse_file_info* fi) {
    serve(UTIMENS);
    if (fi) return result(futimens((int)fi->fh, times));
    return result(utimensat(backing_fd, below(path), times, AT_SYMLINK_NOFOLLOW));
}

static int slow_symlink(const char* target, const char* path) {
    serve(SYMLINK);
    return result(symlinkat(target, backing_fd, below(path)));
}

static int slow_readlink(const char* path, char* buffer, size_t size) {
    serve(READLINK);
    const ssize_t n = readlinkat(backing_fd, below(path), buffer, size - 1);
    if (n < 0) return -errno;
    buffer[n] = '\0';
    return 0;
}

static int slow_statfs(const char* path, struct statvfs* st) {
    (void)path;
    serve(STATFS);
    return result(fstatvfs(backing_fd, st));
}

static int slow_chmod(const char* path, mode_t mode, struct fuse_file_info* fi) {
    serve(OTHER);
    if (fi) return result(fchmod((int)fi->fh, mode));
    return result(fchmodat(backing_fd, below(path), mode, 0));
}

static int slow_truncate(const char* path, off_t size, struct fuse_file_info* fi) {
    serve(OTHER);
    if (fi) return result(ftruncate((int)fi->fh, size));
    const int fd = openat(backing_fd, below(path), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return -errno;
    const int done = ftruncate(fd, size);
    close(fd);
    return result(done);
}

static void slow_destroy(void* data) {
    (void)data;
    FILE* out = fopen(counts_file, "w");
    if (!out) return;
    long total = 0;
    for (int k = 0; k < KINDS; ++k) total += atomic_load(&counts[k]);
    fprintf(out, "total %ld\n", total);
    for (int k = 0; k < KINDS; ++k)
        if (atomic_load(&counts[k])) fprintf(out, "%s %ld\n", kind_names[k], atomic_load(&counts[k]));
    fclose(out);
}

static const struct fuse_operations operations = {
    .init = slow_init,
    .getattr = slow_getattr,
    .readdir = slow_readdir,
    .open = slow_open,
    .create = slow_create,
    .read = slow_read,
    .write = slow_write,
    .flush = slow_flush,
    .release = slow_release,
    .rename = slow_rename,
    .link = slow_link,
    .unlink = slow_unlink,
    .mkdir = slow_mkdir,
    .rmdir = slow_rmdir,
    .utimens = slow_utimens,
    .symlink = slow_symlink,
    .readlink = slow_readlink,
    .statfs = slow_statfs,
    .chmod = slow_chmod,
    .truncate = slow_truncate,
    .destroy = slow_destroy,
};

int main(int argc, char** argv) {
    if (argc < 5) {
        fputs("usage: slow_fs BACKING_DIR COUNTS_FILE DELAY_US MOUNT_POINT [FUSE OPTIONS...]\n",
              stderr);
        return 2;
    }
    backing_fd = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (backing_fd < 0) {
        perror(argv[1]);
        return 1;
    }
    counts_file = argv[2];
    delay_us = atol(argv[3]);
    /* libfuse sees: program MOUNT_POINT [OPTIONS...] */
    argv[3] = argv[0];
    return fuse_main(argc - 3, argv + 3, &operations, NULL);
}
