/* The floor of the benchmark: the export job reduced to plain libid3tag calls
 * and POSIX file I/O, with none of the program's machinery around it.
 * Usage: floor FOLDER...  For every *.mp3 directly inside each folder, the
 * first USLT frame's text goes to <name>.txt beside it, as Latin-1 (a fair
 * stand-in for code page 1252; libid3tag writes a middle dot for what Latin-1
 * cannot hold); a file without lyrics gets no output.
 * With --hints first, the file list is taken first, and before
 * each track the kernel is asked (posix_fadvise WILLNEED on the first
 * 256 KiB and the last 4 KiB, between an open and a close) for the track 32
 * places ahead: the bare loop with one-thread read-ahead, for the cold
 * benchmark.
 * Exit status: 0, or 1 when a folder could not be read or an output could not
 * be written. */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <id3tag.h>
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

static int has_mp3_extension(const char *name)
{
    const char *dot = strrchr(name, '.');
    return dot != NULL && strcasecmp(dot, ".mp3") == 0;
}

/* Latin-1 copy of the first USLT frame's text; NULL when there is none. */
static id3_latin1_t *read_lyrics(const char *path)
{
    struct id3_file *file = id3_file_open(path, ID3_FILE_MODE_READONLY);
    if (file == NULL)
        return NULL;
    id3_latin1_t *text = NULL;
    struct id3_tag *tag = id3_file_tag(file);
    struct id3_frame *frame = tag ? id3_tag_findframe(tag, "USLT", 0) : NULL;
    union id3_field *field = frame ? id3_frame_field(frame, 3) : NULL;
    const id3_ucs4_t *ucs4 = field ? id3_field_getfullstring(field) : NULL;
    if (ucs4 != NULL && ucs4[0] != 0)
        text = id3_ucs4_latin1duplicate(ucs4);
    id3_file_close(file);
    return text;
}

static int write_all(const char *path, const id3_latin1_t *text)
{
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return -1;
    size_t left = strlen((const char *)text);
    const char *p = (const char *)text;
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n <= 0) {
            close(fd);
            return -1;
        }
        p += n;
        left -= (size_t)n;
    }
    return close(fd);
}

static int hints;

static void hint(const char *path)
{
    int fd = open(path, O_RDONLY);
    if (fd < 0)
        return;
    off_t size = lseek(fd, 0, SEEK_END);
    posix_fadvise(fd, 0, 256 * 1024, POSIX_FADV_WILLNEED);
    if (size > 4096)
        posix_fadvise(fd, size - 4096, 4096, POSIX_FADV_WILLNEED);
    close(fd);
}

static int export_file(char *path)
{
    id3_latin1_t *text = read_lyrics(path);
    int failures = 0;
    if (text == NULL)
        return 0;
    if (text[0] != 0) {
        /* ".txt" is no longer than ".mp3", so it fits in place. */
        strcpy(strrchr(path, '.'), ".txt");
        if (write_all(path, text) != 0) {
            perror(path);
            failures++;
        }
    }
    free(text);
    return failures;
}

static char **list;
static size_t count;

/* The folder's tracks, added to the list that is read afterwards. */
static int list_folder(const char *folder)
{
    DIR *dir = opendir(folder);
    if (dir == NULL) {
        perror(folder);
        return 1;
    }
    struct dirent *entry;
    while ((entry = readdir(dir)) != NULL) {
        if (!has_mp3_extension(entry->d_name))
            continue;
        list = realloc(list, (count + 1) * sizeof *list);
        if (list == NULL || asprintf(&list[count], "%s/%s", folder, entry->d_name) < 0)
            abort();
        count++;
    }
    closedir(dir);
    return 0;
}

/* Every listed track, each hinted 32 places ahead. */
static int export_list(void)
{
    int failures = 0;
    for (size_t i = 0; i < count && i < 32; i++)
        hint(list[i]);
    for (size_t i = 0; i < count; i++) {
        if (i + 32 < count)
            hint(list[i + 32]);
        failures += export_file(list[i]);
        free(list[i]);
    }
    free(list);
    return failures;
}

/* Returns the number of failures in the folder. */
static int export_folder(const char *folder)
{
    DIR *dir = opendir(folder);
    if (dir == NULL) {
        perror(folder);
        return 1;
    }
    int failures = 0;
    size_t folder_len = strlen(folder);
    char *path = NULL;
    size_t path_cap = 0;
    struct dirent *entry;
    while ((entry = readdir(dir)) != NULL) {
        const char *name = entry->d_name;
        if (!has_mp3_extension(name))
            continue;
        size_t name_len = strlen(name);
        size_t need = folder_len + 1 + name_len + 1;
        if (need > path_cap) {
            char *grown = realloc(path, need);
            if (grown == NULL) {
                failures++;
                break;
            }
            path = grown;
            path_cap = need;
        }
        memcpy(path, folder, folder_len);
        path[folder_len] = '/';
        memcpy(path + folder_len + 1, name, name_len + 1);

        failures += export_file(path);
    }
    free(path);
    closedir(dir);
    return failures;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s FOLDER...\n", argv[0]);
        return 2;
    }
    /* The program's heap settings (vela/storage/heap.h): without them glibc
     * hands the memory of every tag with a cover back to the system and
     * faults it in again for the next, which took the floor from 0.60 s to
     * 1.05 s on 10,000 files, three page faults a file. */
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 4 << 20);
    int failures = 0;
    int first = 1;
    if (strcmp(argv[1], "--hints") == 0) {
        hints = 1;
        first = 2;
    }
    for (int i = first; i < argc; i++)
        failures += hints ? list_folder(argv[i]) : export_folder(argv[i]);
    if (hints)
        failures += export_list();
    return failures == 0 ? 0 : 1;
}
