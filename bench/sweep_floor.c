/* SPDX-License-Identifier: GPL-3.0-or-later */
/* The floor for the sweep benchmark: the least a program must do to destroy
 * every *.tmp file below a directory, with none of the sweep's checks. It
 * walks the tree by descriptor, opens each matching file, overwrites its
 * contents (its last page written whole, so that the kernel never reads a
 * page before writing it) and keeps it open; then it flushes the volume
 * once, and cuts, renames and removes every file in turn.
 *
 *   sweep_floor DIR
 *
 * Prints the number of files destroyed. Holds one descriptor per file and
 * per directory until the flush: raise the limit of open files for large
 * trees (it lifts its soft limit to the hard one itself). */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#define PAGE 4096
#define CHUNK (1 << 20)

struct file {
    int fd, dirfd;
    char name[256];
};

static struct file *files;
static size_t count, capacity;
static char pattern[CHUNK];

static void fail(const char *what)
{
    perror(what);
    exit(1);
}

static int matches(const char *name)
{
    const size_t len = strlen(name);
    return len >= 4 && strcmp(name + len - 4, ".tmp") == 0;
}

static void overwrite(int fd, off_t size)
{
    const off_t end = (size + PAGE - 1) / PAGE * PAGE;
    for (off_t at = 0; at < end;) {
        const size_t n = end - at < CHUNK ? (size_t)(end - at) : CHUNK;
        const ssize_t done = pwrite(fd, pattern, n, at);
        if (done <= 0)
            fail("pwrite");
        at += done;
    }
}

static void walk(int dirfd)
{
    DIR *dir = fdopendir(dirfd);
    if (!dir)
        fail("fdopendir");
    const struct dirent *e;
    /* The directory's descriptor stays open for the renames; the stream's
     * own is closed with it at the end of the listing. */
    const int keep = fcntl(dirfd, F_DUPFD_CLOEXEC, 0);
    int used = 0;
    while ((e = readdir(dir))) {
        if (e->d_name[0] == '.' && (!e->d_name[1] || (e->d_name[1] == '.' && !e->d_name[2])))
            continue;
        if (e->d_type == DT_DIR) {
            const int child = openat(dirfd, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0)
                fail("openat directory");
            walk(child);
        } else if (e->d_type == DT_REG && matches(e->d_name)) {
            const int fd = openat(dirfd, e->d_name, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
            struct stat st;
            if (fd < 0 || fstat(fd, &st) != 0)
                fail("openat file");
            overwrite(fd, st.st_size);
            if (count == capacity) {
                capacity = capacity ? 2 * capacity : 1024;
                files = realloc(files, capacity * sizeof *files);
                if (!files)
                    fail("realloc");
            }
            files[count].fd = fd;
            files[count].dirfd = keep;
            snprintf(files[count].name, sizeof files[count].name, "%s", e->d_name);
            ++count;
            used = 1;
        }
    }
    closedir(dir);
    if (!used)
        close(keep);
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: sweep_floor DIR\n");
        return 2;
    }
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    memset(pattern, 0, sizeof pattern);
    const int root = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0)
        fail(argv[1]);
    walk(root);
    if (count > 0 && syncfs(files[0].fd) != 0)
        fail("syncfs");
    unsigned long long serial = 0;
    int lastDir = -1;
    for (size_t i = 0; i < count; ++i) {
        struct file *f = &files[i];
        if (ftruncate(f->fd, 0) != 0)
            fail("ftruncate");
        /* A new name of the same length. */
        char random[256];
        const size_t len = strlen(f->name);
        for (size_t k = 0; k < len; ++k)
            random[k] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"[(serial * 2654435761u >> (k % 24)) % 52];
        random[len] = '\0';
        ++serial;
        if (renameat2(f->dirfd, f->name, f->dirfd, random, RENAME_NOREPLACE) != 0)
            fail("renameat2");
        if (unlinkat(f->dirfd, random, 0) != 0)
            fail("unlinkat");
        close(f->fd);
        if (lastDir >= 0 && lastDir != f->dirfd)
            close(lastDir);
        lastDir = f->dirfd;
    }
    if (lastDir >= 0)
        close(lastDir);
    printf("%zu\n", count);
    return 0;
}
