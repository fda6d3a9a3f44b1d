/* The floor: the least work any program must do to give every file below DIR
 * a "YYYYMMDD_" stamp from its last-write time. Per file it makes only the
 * unavoidable system calls - open, fstat, close, lstat of the new name and
 * renameat2 that never replaces - all relative to the open folder, and reads
 * every folder whole before renaming in it. Where the file system refuses
 * renameat2's RENAME_NOREPLACE (sshfs, NFS), it renames with link + unlink
 * instead, as Tavrel does, and asks renameat2 no more. No sorting, no stamp removal, no
 * collision tags: a taken name is simply skipped.
 *
 *   floor DIR
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

struct names {
    char* text; /* the names, each ended by a NUL */
    size_t used, size;
    unsigned char* is_folder;
    size_t count, capacity;
};

static void add_name(struct names* list, const char* name, int is_folder) {
    const size_t length = strlen(name) + 1;
    if (list->used + length > list->size) {
        list->size = (list->size + length) * 2;
        list->text = realloc(list->text, list->size);
    }
    if (list->count == list->capacity) {
        list->capacity = list->capacity ? list->capacity * 2 : 256;
        list->is_folder = realloc(list->is_folder, list->capacity);
    }
    if (!list->text || !list->is_folder) {
        fputs("floor: out of memory\n", stderr);
        exit(1);
    }
    memcpy(list->text + list->used, name, length);
    list->used += length;
    list->is_folder[list->count++] = (unsigned char)is_folder;
}

static long renamed;
static int no_replace_refused;

/* Renames without replacing: renameat2, or link + unlink where it is refused. */
static int rename_no_replace(int folder_fd, const char* from, const char* to) {
    if (!no_replace_refused) {
        if (renameat2(folder_fd, from, folder_fd, to, RENAME_NOREPLACE) == 0) return 0;
        if (errno != EINVAL && errno != ENOSYS) return -1;
        no_replace_refused = 1;
    }
    if (linkat(folder_fd, from, folder_fd, to, 0) != 0) return -1;
    if (unlinkat(folder_fd, from, 0) == 0) return 0;
    unlinkat(folder_fd, to, 0);
    return -1;
}

static void stamp_folder(int folder_fd) {
    DIR* folder = fdopendir(folder_fd);
    if (!folder) {
        close(folder_fd);
        return;
    }
    struct names list = {0};
    struct dirent* entry;
    while ((entry = readdir(folder)) != NULL) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
        int is_folder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info;
            is_folder = fstatat(folder_fd, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
        }
        add_name(&list, entry->d_name, is_folder);
    }

    const char* name = list.text;
    char candidate[4096];
    for (size_t i = 0; i < list.count; name += strlen(name) + 1, ++i) {
        if (list.is_folder[i]) {
            const int sub = openat(folder_fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (sub >= 0) stamp_folder(sub);
            continue;
        }
        const int fd = openat(folder_fd, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info;
        const int got = fstat(fd, &info);
        close(fd);
        if (got != 0) continue;
        struct tm local;
        if (!localtime_r(&info.st_mtime, &local)) continue;
        snprintf(candidate, sizeof candidate, "%04d%02d%02d_%s", local.tm_year + 1900,
                 local.tm_mon + 1, local.tm_mday, name);
        struct stat taken;
        if (fstatat(folder_fd, candidate, &taken, AT_SYMLINK_NOFOLLOW) == 0) continue;
        if (rename_no_replace(folder_fd, name, candidate) == 0) ++renamed;
    }
    free(list.text);
    free(list.is_folder);
    closedir(folder);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fputs("usage: floor DIR\n", stderr);
        return 2;
    }
    tzset();
    const int fd = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        fprintf(stderr, "floor: cannot open %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    stamp_folder(fd);
    return renamed > 0 ? 0 : 1;
}
