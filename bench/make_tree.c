/* Makes the benchmark tree: COUNT empty files, PER_FOLDER to a folder, named
 * like a camera's pictures, with last-write times spread evenly at random over
 * 2005-01-01 .. 2024-12-31 (UTC). The same seed gives the same tree.
 *
 *   make_tree DIR COUNT PER_FOLDER [SEED]
 *
 * DIR must not exist yet. Files are created relative to an open folder, so
 * a million of them take seconds, not minutes. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static uint64_t state;

/* splitmix64: small, fast and good enough to spread the times. */
static uint64_t next_random(void) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

static void fail(const char* what, const char* name) {
    fprintf(stderr, "make_tree: %s %s: %s\n", what, name, strerror(errno));
    exit(1);
}

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        fprintf(stderr, "usage: make_tree DIR COUNT PER_FOLDER [SEED]\n");
        return 2;
    }
    const char* root = argv[1];
    const long count = atol(argv[2]);
    const long per_folder = atol(argv[3]);
    state = argc == 5 ? strtoull(argv[4], NULL, 10) : 20261207;
    if (count < 0 || per_folder <= 0) {
        fprintf(stderr, "make_tree: COUNT must be >= 0 and PER_FOLDER > 0\n");
        return 2;
    }
    const int64_t first = 1104537600; /* 2005-01-01 00:00:00 UTC */
    const int64_t last = 1735689599;  /* 2024-12-31 23:59:59 UTC */

    if (mkdir(root, 0755) != 0) fail("cannot make", root);
    const int root_fd = open(root, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root_fd < 0) fail("cannot open", root);

    int folder_fd = -1;
    char name[64];
    for (long i = 0; i < count; ++i) {
        if (i % per_folder == 0) {
            if (folder_fd >= 0) close(folder_fd);
            snprintf(name, sizeof name, "folder%05ld", i / per_folder);
            if (mkdirat(root_fd, name, 0755) != 0) fail("cannot make", name);
            folder_fd = openat(root_fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (folder_fd < 0) fail("cannot open", name);
        }
        snprintf(name, sizeof name, "IMG_%07ld.jpg", i);
        const int fd = openat(folder_fd, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) fail("cannot create", name);
        const int64_t when = first + (int64_t)(next_random() % (uint64_t)(last - first + 1));
        const struct timespec times[2] = {{when, 0}, {when, 0}};
        if (futimens(fd, times) != 0) fail("cannot set the time of", name);
        close(fd);
    }
    if (folder_fd >= 0) close(folder_fd);
    close(root_fd);
    return 0;
}
