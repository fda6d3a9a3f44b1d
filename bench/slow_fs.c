/* A FUSE layer that stands in for a file server far away: it passes every
 * request through to a folder on the local disk, but answers each only after
 * waiting DELAY_US microseconds (1 ms unless told), on as many threads as
 * libfuse starts, and counts the requests it served by kind. When unmounted it
 * writes the counts to COUNTS_FILE ("total N" first, then one line a kind).
 *
 *   slow_fs BACKING_DIR COUNTS_FILE DELAY_US MOUNT_POINT
 *
 * It speaks FUSE's low-level protocol, by inode, so that it holds no locks of
 * its own between requests, as a server would not; look-ups in one folder are
 * passed on in parallel (FUSE_CAP_PARALLEL_DIROPS), and listings carry each
 * entry's attributes (READDIRPLUS), as a network file system's do. Names and
 * attributes are cached for 1 s, missing names not at all (libfuse's
 * defaults). The layer stays in the foreground: the caller
 * starts it in the background and unmounts it with fusermount3 -u. */
#define FUSE_USE_VERSION 34
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse_lowlevel.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

static long delay_us = 1000;
static const char* counts_file;
static const double kCacheSeconds = 1.0;

enum kind { LOOKUP, FORGET, GETATTR, SETATTR, READLINK, MKDIR, UNLINK, RMDIR, SYMLINK, RENAME,
            LINK, OPEN, READ, WRITE, FLUSH, RELEASE, OPENDIR, READDIR, RELEASEDIR, STATFS, CREATE,
            KINDS };
static const char* const kind_names[KINDS] = {
    "lookup", "forget", "getattr", "setattr", "readlink", "mkdir", "unlink", "rmdir",
    "symlink", "rename", "link", "open", "read", "write", "flush", "release", "opendir",
    "readdir", "releasedir", "statfs", "create"};
static atomic_long counts[KINDS];

/* Every request waits as a round trip to a server would (forgets are not
 * answered, so they do not wait). */
static void serve(enum kind kind) {
    atomic_fetch_add(&counts[kind], 1);
    if (kind == FORGET) return;
    const struct timespec wait = {delay_us / 1000000, (delay_us % 1000000) * 1000};
    nanosleep(&wait, NULL);
}

/* One file or folder the kernel knows: an O_PATH descriptor of it below the
 * backing folder, found again by device and inode number. */
struct inode {
    struct inode *next, *prev;
    int fd;
    dev_t dev;
    ino_t ino;
    uint64_t lookups;
};

static struct inode root = {.next = &root, .prev = &root, .fd = -1};
static pthread_mutex_t table_lock = PTHREAD_MUTEX_INITIALIZER;

static struct inode* inode_of(fuse_ino_t ino) {
    return ino == FUSE_ROOT_ID ? &root : (struct inode*)(uintptr_t)ino;
}
static int fd_of(fuse_ino_t ino) { return inode_of(ino)->fd; }

/* The /proc path that reopens an O_PATH descriptor. */
static void proc_path(char* buffer, size_t size, int fd) {
    snprintf(buffer, size, "/proc/self/fd/%d", fd);
}

/* Looks a name up below a folder and answers with its entry. */
static int make_entry(fuse_ino_t parent, const char* name, struct fuse_entry_param* entry) {
    memset(entry, 0, sizeof *entry);
    const int fd = openat(fd_of(parent), name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno;
    if (fstatat(fd, "", &entry->attr, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        close(fd);
        return error;
    }
    pthread_mutex_lock(&table_lock);
    struct inode* found = NULL;
    for (struct inode* i = root.next; i != &root; i = i->next)
        if (i->ino == entry->attr.st_ino && i->dev == entry->attr.st_dev) {
            found = i;
            break;
        }
    if (found) {
        close(fd);
    } else {
        found = calloc(1, sizeof *found);
        if (!found) abort();
        found->fd = fd;
        found->dev = entry->attr.st_dev;
        found->ino = entry->attr.st_ino;
        found->next = root.next;
        found->prev = &root;
        root.next->prev = found;
        root.next = found;
    }
    ++found->lookups;
    pthread_mutex_unlock(&table_lock);
    entry->ino = (uintptr_t)found;
    entry->attr_timeout = kCacheSeconds;
    entry->entry_timeout = kCacheSeconds;
    return 0;
}

static void reply_entry(fuse_req_t req, fuse_ino_t parent, const char* name) {
    struct fuse_entry_param entry;
    const int error = make_entry(parent, name, &entry);
    if (error) fuse_reply_err(req, error);
    else fuse_reply_entry(req, &entry);
}

static void forget_one(fuse_ino_t ino, uint64_t count) {
    struct inode* inode = inode_of(ino);
    if (inode == &root) return;
    pthread_mutex_lock(&table_lock);
    inode->lookups -= count < inode->lookups ? count : inode->lookups;
    if (inode->lookups == 0) {
        inode->prev->next = inode->next;
        inode->next->prev = inode->prev;
        close(inode->fd);
        free(inode);
    }
    pthread_mutex_unlock(&table_lock);
}

static void slow_init(void* data, struct fuse_conn_info* conn) {
    (void)data;
    if (conn->capable & FUSE_CAP_PARALLEL_DIROPS) conn->want |= FUSE_CAP_PARALLEL_DIROPS;
    /* Listings carry each entry's attributes, as a network file system's do,
     * and always: the kernel then knows every name listed. */
    if (conn->capable & FUSE_CAP_READDIRPLUS) conn->want |= FUSE_CAP_READDIRPLUS;
    conn->want &= ~FUSE_CAP_READDIRPLUS_AUTO;
}

static void slow_lookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
    serve(LOOKUP);
    reply_entry(req, parent, name);
}

static void slow_forget(fuse_req_t req, fuse_ino_t ino, uint64_t count) {
    serve(FORGET);
    forget_one(ino, count);
    fuse_reply_none(req);
}

static void slow_forget_multi(fuse_req_t req, size_t count, struct fuse_forget_data* forgets) {
    serve(FORGET);
    for (size_t i = 0; i < count; ++i) forget_one(forgets[i].ino, forgets[i].nlookup);
    fuse_reply_none(req);
}

static void slow_getattr(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info* fi) {
    (void)fi;
    serve(GETATTR);
    struct stat st;
    if (fstatat(fd_of(ino), "", &st, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) != 0)
        fuse_reply_err(req, errno);
    else
        fuse_reply_attr(req, &st, kCacheSeconds);
}

static void slow_setattr(fuse_req_t req, fuse_ino_t ino, struct stat* attr, int valid,
                         struct fuse_file_info* fi) {
    serve(SETATTR);
    char path[64];
    proc_path(path, sizeof path, fd_of(ino));
    int failed = 0;
    if (valid & FUSE_SET_ATTR_MODE) failed |= chmod(path, attr->st_mode) != 0;
    if (!failed && (valid & FUSE_SET_ATTR_SIZE))
        failed |= (fi ? ftruncate((int)fi->fh, attr->st_size) : truncate(path, attr->st_size)) != 0;
    if (!failed && (valid & (FUSE_SET_ATTR_ATIME | FUSE_SET_ATTR_MTIME))) {
        struct timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
        if (valid & FUSE_SET_ATTR_ATIME_NOW) times[0].tv_nsec = UTIME_NOW;
        else if (valid & FUSE_SET_ATTR_ATIME) times[0] = attr->st_atim;
        if (valid & FUSE_SET_ATTR_MTIME_NOW) times[1].tv_nsec = UTIME_NOW;
        else if (valid & FUSE_SET_ATTR_MTIME) times[1] = attr->st_mtim;
        failed |= (fi ? futimens((int)fi->fh, times) : utimensat(AT_FDCWD, path, times, 0)) != 0;
    }
    if (failed) {
        fuse_reply_err(req, errno);
        return;
    }
    struct stat st;
    if (fstatat(fd_of(ino), "", &st, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) != 0)
        fuse_reply_err(req, errno);
    else
        fuse_reply_attr(req, &st, kCacheSeconds);
}

static void slow_readlink(fuse_req_t req, fuse_ino_t ino) {
    serve(READLINK);
    char target[PATH_MAX + 1];
    const ssize_t n = readlinkat(fd_of(ino), "", target, PATH_MAX);
    if (n < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    target[n] = '\0';
    fuse_reply_readlink(req, target);
}

static void slow_mkdir(fuse_req_t req, fuse_ino_t parent, const char* name, mode_t mode) {
    serve(MKDIR);
    if (mkdirat(fd_of(parent), name, mode) != 0) fuse_reply_err(req, errno);
    else reply_entry(req, parent, name);
}

static void slow_symlink(fuse_req_t req, const char* target, fuse_ino_t parent, const char* name) {
    serve(SYMLINK);
    if (symlinkat(target, fd_of(parent), name) != 0) fuse_reply_err(req, errno);
    else reply_entry(req, parent, name);
}

static void slow_link(fuse_req_t req, fuse_ino_t ino, fuse_ino_t parent, const char* name) {
    serve(LINK);
    char path[64];
    proc_path(path, sizeof path, fd_of(ino));
    if (linkat(AT_FDCWD, path, fd_of(parent), name, AT_SYMLINK_FOLLOW) != 0)
        fuse_reply_err(req, errno);
    else
        reply_entry(req, parent, name);
}

static void slow_unlink(fuse_req_t req, fuse_ino_t parent, const char* name) {
    serve(UNLINK);
    fuse_reply_err(req, unlinkat(fd_of(parent), name, 0) == 0 ? 0 : errno);
}

static void slow_rmdir(fuse_req_t req, fuse_ino_t parent, const char* name) {
    serve(RMDIR);
    fuse_reply_err(req, unlinkat(fd_of(parent), name, AT_REMOVEDIR) == 0 ? 0 : errno);
}

static void slow_rename(fuse_req_t req, fuse_ino_t parent, const char* name, fuse_ino_t new_parent,
                        const char* new_name, unsigned int flags) {
    serve(RENAME);
    const int done = renameat2(fd_of(parent), name, fd_of(new_parent), new_name, flags);
    fuse_reply_err(req, done == 0 ? 0 : errno);
}

static void slow_open(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info* fi) {
    serve(OPEN);
    char path[64];
    proc_path(path, sizeof path, fd_of(ino));
    const int fd = open(path, (fi->flags & ~O_NOFOLLOW) | O_CLOEXEC);
    if (fd < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    fi->fh = (uint64_t)fd;
    fuse_reply_open(req, fi);
}

static void slow_create(fuse_req_t req, fuse_ino_t parent, const char* name, mode_t mode,
                        struct fuse_file_info* fi) {
    serve(CREATE);
    const int fd = openat(fd_of(parent), name, (fi->flags | O_CREAT) & ~O_NOFOLLOW, mode);
    if (fd < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    fi->fh = (uint64_t)fd;
    struct fuse_entry_param entry;
    const int error = make_entry(parent, name, &entry);
    if (error) {
        close(fd);
        fuse_reply_err(req, error);
    } else {
        fuse_reply_create(req, &entry, fi);
    }
}

static void slow_read(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset,
                      struct fuse_file_info* fi) {
    (void)ino;
    serve(READ);
    char* buffer = malloc(size ? size : 1);
    if (!buffer) {
        fuse_reply_err(req, ENOMEM);
        return;
    }
    const ssize_t n = pread((int)fi->fh, buffer, size, offset);
    if (n < 0) fuse_reply_err(req, errno);
    else fuse_reply_buf(req, buffer, (size_t)n);
    free(buffer);
}

static void slow_write(fuse_req_t req, fuse_ino_t ino, const char* buffer, size_t size,
                       off_t offset, struct fuse_file_info* fi) {
    (void)ino;
    serve(WRITE);
    const ssize_t n = pwrite((int)fi->fh, buffer, size, offset);
    if (n < 0) fuse_reply_err(req, errno);
    else fuse_reply_write(req, (size_t)n);
}

static void slow_flush(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info* fi) {
    (void)ino, (void)fi;
    serve(FLUSH);
    fuse_reply_err(req, 0);
}

static void slow_release(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info* fi) {
    (void)ino;
    serve(RELEASE);
    close((int)fi->fh);
    fuse_reply_err(req, 0);
}

static void slow_opendir(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info* fi) {
    serve(OPENDIR);
    const int fd = openat(fd_of(ino), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? NULL : fdopendir(fd);
    if (!dir) {
        if (fd >= 0) close(fd);
        fuse_reply_err(req, errno);
        return;
    }
    fi->fh = (uint64_t)(uintptr_t)dir;
    fuse_reply_open(req, fi);
}

static void list(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset,
                 struct fuse_file_info* fi, int plus) {
    serve(READDIR);
    DIR* dir = (DIR*)(uintptr_t)fi->fh;
    char* buffer = malloc(size);
    if (!buffer) {
        fuse_reply_err(req, ENOMEM);
        return;
    }
    seekdir(dir, offset);
    size_t used = 0;
    for (;;) {
        errno = 0;
        struct dirent* entry = readdir(dir);
        if (!entry) break;
        struct fuse_entry_param e;
        memset(&e, 0, sizeof e);
        e.attr.st_ino = entry->d_ino;
        e.attr.st_mode = (mode_t)(DTTOIF(entry->d_type));
        const int dots = strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0;
        if (plus && !dots && make_entry(ino, entry->d_name, &e) != 0) continue;
        const size_t length =
            plus ? fuse_add_direntry_plus(req, buffer + used, size - used, entry->d_name, &e,
                                          entry->d_off)
                 : fuse_add_direntry(req, buffer + used, size - used, entry->d_name, &e.attr,
                                     entry->d_off);
        if (length > size - used) {
            if (plus && !dots) forget_one(e.ino, 1);
            break;
        }
        used += length;
    }
    fuse_reply_buf(req, buffer, used);
    free(buffer);
}

static void slow_readdir(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset,
                         struct fuse_file_info* fi) {
    list(req, ino, size, offset, fi, 0);
}

static void slow_readdirplus(fuse_req_t req, fuse_ino_t ino, size_t size, off_t offset,
                             struct fuse_file_info* fi) {
    list(req, ino, size, offset, fi, 1);
}

static void slow_releasedir(fuse_req_t req, fuse_ino_t ino, struct fuse_file_info* fi) {
    (void)ino;
    serve(RELEASEDIR);
    closedir((DIR*)(uintptr_t)fi->fh);
    fuse_reply_err(req, 0);
}

static void slow_statfs(fuse_req_t req, fuse_ino_t ino) {
    serve(STATFS);
    struct statvfs st;
    if (fstatvfs(fd_of(ino), &st) != 0) fuse_reply_err(req, errno);
    else fuse_reply_statfs(req, &st);
}

static const struct fuse_lowlevel_ops operations = {
    .init = slow_init,
    .lookup = slow_lookup,
    .forget = slow_forget,
    .forget_multi = slow_forget_multi,
    .getattr = slow_getattr,
    .setattr = slow_setattr,
    .readlink = slow_readlink,
    .mkdir = slow_mkdir,
    .symlink = slow_symlink,
    .link = slow_link,
    .unlink = slow_unlink,
    .rmdir = slow_rmdir,
    .rename = slow_rename,
    .open = slow_open,
    .create = slow_create,
    .read = slow_read,
    .write = slow_write,
    .flush = slow_flush,
    .release = slow_release,
    .opendir = slow_opendir,
    .readdir = slow_readdir,
    .readdirplus = slow_readdirplus,
    .releasedir = slow_releasedir,
    .statfs = slow_statfs,
};

static void write_counts(void) {
    FILE* out = fopen(counts_file, "w");
    if (!out) return;
    long total = 0;
    for (int k = 0; k < KINDS; ++k)
        if (k != FORGET) total += atomic_load(&counts[k]);
    fprintf(out, "total %ld\n", total);
    for (int k = 0; k < KINDS; ++k)
        if (atomic_load(&counts[k])) fprintf(out, "%s %ld\n", kind_names[k], atomic_load(&counts[k]));
    fclose(out);
}

int main(int argc, char** argv) {
    if (argc != 5) {
        fputs("usage: slow_fs BACKING_DIR COUNTS_FILE DELAY_US MOUNT_POINT\n", stderr);
        return 2;
    }
    root.fd = open(argv[1], O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (root.fd < 0) {
        perror(argv[1]);
        return 1;
    }
    counts_file = argv[2];
    delay_us = atol(argv[3]);
    char* fuse_argv[] = {argv[0], "-o", "fsname=slow_fs,subtype=slow_fs", NULL};
    struct fuse_args args = FUSE_ARGS_INIT(3, fuse_argv);
    struct fuse_session* session = fuse_session_new(&args, &operations, sizeof operations, NULL);
    if (!session || fuse_set_signal_handlers(session) != 0 ||
        fuse_session_mount(session, argv[4]) != 0) {
        fputs("slow_fs: cannot mount\n", stderr);
        return 1;
    }
    struct fuse_loop_config config = {.clone_fd = 0, .max_idle_threads = 10};
    const int ended = fuse_session_loop_mt(session, &config);
    fuse_session_unmount(session);
    fuse_remove_signal_handlers(session);
    fuse_session_destroy(session);
    write_counts();
    return ended == 0 ? 0 : 1;
}
