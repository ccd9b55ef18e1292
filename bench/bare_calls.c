// SPDX-License-Identifier: GPL-3.0-or-later
/* bare_calls: the system calls a one-job run makes for its records, and nothing else.
 *
 *   bare_calls PACK PROJECT.ql TEMPLATE
 *
 * PACK holds a run's files in record order, each as its relative name, a NUL, its size (8 bytes,
 * host order) and its bytes (bench/bare_calls.sh makes it from a run's manifest). The program
 * creates the project's output folder, then for every file: stat(TEMPLATE), openat() on the
 * subfolder's handle with O_CREAT|O_EXCL|O_NOFOLLOW, one write(), close(), opening or making each
 * subfolder the first time it is named. That is the run's own sequence without reading the data,
 * naming or rendering, so its time beside the floor's is what a run that looks at the template
 * before every record costs before any work of its own. BARE_CALLS_STAT=0 leaves the stat out; BARE_CALLS_TIME=1
 * prints the mean time of the stat and of the rest of a file's calls (clock reads between them). */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static void die(const char* what, const char* path)
{
    fprintf(stderr, "bare_calls: %s %s: %s\n", what, path, strerror(errno));
    exit(1);
}

enum { kMaxFolders = 4096 };

static double seconds(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: bare_calls PACK PROJECT.ql TEMPLATE\n");
        return 64;
    }
    const char* templ = argv[3];
    const char* statEnv = getenv("BARE_CALLS_STAT");
    const int withStat = !statEnv || strcmp(statEnv, "0") != 0;
    const char* timeEnv = getenv("BARE_CALLS_TIME");
    const int timed = timeEnv && strcmp(timeEnv, "1") == 0;
    double statTime = 0, fileTime = 0;
    long files = 0;

    /* The output folder is the project's, as the harness wrote it. */
    FILE* project = fopen(argv[2], "r");
    if (!project)
        die("open", argv[2]);
    static char line[8192], output[sizeof line];
    while (fgets(line, sizeof line, project))
        if (!strncmp(line, "outputdir=", 10)) {
            line[strcspn(line, "\r\n")] = 0;
            snprintf(output, sizeof output, "%s", line + 10);
        }
    fclose(project);
    if (!*output) {
        fprintf(stderr, "bare_calls: %s names no output folder\n", argv[2]);
        return 1;
    }

    const int packFd = open(argv[1], O_RDONLY | O_CLOEXEC);
    struct stat packStat;
    if (packFd < 0 || fstat(packFd, &packStat) < 0)
        die("open", argv[1]);
    /* Mapped, not read: the run's input costs no copy here. */
    char* pack =
        packStat.st_size ? mmap(NULL, (size_t)packStat.st_size, PROT_READ, MAP_SHARED | MAP_POPULATE, packFd, 0) : NULL;
    if (pack == MAP_FAILED)
        die("map", argv[1]);
    const char* end = pack + packStat.st_size;

    if (mkdir(output, 0777) < 0)
        die("make", output);
    const int root = open(output, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (root < 0)
        die("open", output);

    static char folderNames[kMaxFolders][256];
    static int folderFds[kMaxFolders];
    int folders = 0;
    unsigned long inodes = 0;
    for (const char* p = pack; p < end;) {
        const char* name = p;
        const char* nul = memchr(p, 0, (size_t)(end - p));
        size_t size = 0;
        if (nul && (size_t)(end - nul - 1) >= sizeof size)
            memcpy(&size, nul + 1, sizeof size);
        if (!nul || (size_t)(end - nul - 1) < sizeof size || size > (size_t)(end - nul - 1) - sizeof size) {
            fprintf(stderr, "bare_calls: %s is cut short\n", argv[1]);
            return 1;
        }
        /* Names stay below the output folder, as a run's do. */
        if (name[0] == '/' || !strncmp(name, "../", 3) || strstr(name, "/../") || !strcmp(name, "..")) {
            fprintf(stderr, "bare_calls: %s would leave the output folder\n", name);
            return 1;
        }
        const char* data = nul + 1 + sizeof size;
        p = data + size;

        const double start = timed ? seconds() : 0;
        if (withStat) {
            struct stat st;
            if (stat(templ, &st) < 0)
                die("stat", templ);
            inodes += (unsigned long)st.st_ino;
        }
        const double statted = timed ? seconds() : 0;
        int dir = root;
        const char* base = name;
        const char* slash = strrchr(name, '/');
        if (slash) {
            const size_t length = (size_t)(slash - name);
            if (length >= sizeof folderNames[0]) {
                fprintf(stderr, "bare_calls: folder name too long in %s\n", name);
                return 1;
            }
            int k = 0;
            while (k < folders && (strlen(folderNames[k]) != length || memcmp(folderNames[k], name, length)))
                ++k;
            if (k == folders) {
                if (folders == kMaxFolders) {
                    fprintf(stderr, "bare_calls: more than %d folders\n", kMaxFolders);
                    return 1;
                }
                memcpy(folderNames[k], name, length);
                folderNames[k][length] = 0;
                int fd = openat(root, folderNames[k], O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (fd < 0) {
                    /* Each level of the folder, outermost first. */
                    for (char* cut = folderNames[k];; ++cut) {
                        if (*cut != '/' && *cut != 0)
                            continue;
                        const char kept = *cut;
                        *cut = 0;
                        if (mkdirat(root, folderNames[k], 0777) < 0 && errno != EEXIST)
                            die("make", folderNames[k]);
                        *cut = kept;
                        if (!kept)
                            break;
                    }
                    fd = openat(root, folderNames[k], O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                }
                if (fd < 0)
                    die("open", folderNames[k]);
                folderFds[folders++] = fd;
            }
            dir = folderFds[k];
            base = slash + 1;
        }
        const int fd = openat(dir, base, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            die("create", name);
        if (write(fd, data, size) != (ssize_t)size)
            die("write", name);
        if (close(fd) < 0)
            die("close", name);
        if (timed) {
            const double done = seconds();
            statTime += statted - start;
            fileTime += done - statted;
        }
        ++files;
    }
    if (timed && files)
        fprintf(stderr, "bare_calls: %ld files; per file %.2f us stat, %.2f us the rest\n", files,
                statTime * 1e6 / (double)files, fileTime * 1e6 / (double)files);
    /* The sum keeps the stat from being dropped as unused. */
    return inodes == 1 ? 2 : 0;
}
