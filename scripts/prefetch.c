/*
 * tagscribe-prefetch PATH...: asks the kernel to start fetching the parts of
 * the MP3 files under PATH that an export reads (each file's first 256 KiB
 * and last 4 KiB), then exits. The launcher runs it beside a batch while Wine
 * starts, which takes longer than the disk needs to fetch thousands of tags:
 * the program then finds its first tracks in memory. Nothing is read here,
 * only hinted (posix_fadvise WILLNEED), and no more than kBudget bytes are
 * hinted in all, so a large library cannot crowd the page cache.
 * Folders are walked in directory order, sub-folders after a folder's files;
 * files that are not regular (FIFOs, devices) are never opened for reading.
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

/* The parts the program's own read-ahead asks for (WillRead in
 * vela/storage/wine/disk.cpp). */
enum { kHead = 256 * 1024, kTail = 4096, kMaxDepth = 64 };
static const long long kBudget = 512LL * 1024 * 1024;
static long long hinted;

static int is_mp3(const char *name)
{
    size_t n = strlen(name);
    return n >= 4 && strcasecmp(name + n - 4, ".mp3") == 0;
}

static void hint_file(int dir, const char *name)
{
    /* O_NONBLOCK: opening a FIFO must not wait for a writer. */
    int fd = openat(dir, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st;
    if (fd < 0)
        return;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        off_t head = st.st_size < kHead ? st.st_size : kHead;
        posix_fadvise(fd, 0, head, POSIX_FADV_WILLNEED);
        hinted += head;
        if (st.st_size > kHead) {
            off_t tail = st.st_size - kTail > kHead ? st.st_size - kTail : kHead;
            posix_fadvise(fd, tail, st.st_size - tail, POSIX_FADV_WILLNEED);
            hinted += st.st_size - tail;
        }
    }
    close(fd);
}

static void walk(int dir, int depth)
{
    DIR *d = fdopendir(dir);
    struct dirent *e;
    long folders_at;
    if (!d) {
        close(dir);
        return;
    }
    folders_at = telldir(d);
    /* First the folder's own files, in the order the listing gives them. */
    while (hinted < kBudget && (e = readdir(d))) {
        if (e->d_type != DT_DIR && is_mp3(e->d_name))
            hint_file(dirfd(d), e->d_name);
    }
    seekdir(d, folders_at);
    while (depth < kMaxDepth && hinted < kBudget && (e = readdir(d))) {
        if (e->d_type != DT_DIR || e->d_name[0] == '.')
            continue;
        int sub = openat(dirfd(d), e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub >= 0)
            walk(sub, depth + 1);
    }
    closedir(d);
}

int main(int argc, char **argv)
{
    for (int i = 1; i < argc && hinted < kBudget; ++i) {
        int dir = open(argv[i], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0)
            walk(dir, 0);
        else if (is_mp3(argv[i]))
            hint_file(AT_FDCWD, argv[i]);
    }
    return 0;
}
