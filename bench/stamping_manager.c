// A stand-in manager application for the launcher benchmark: as soon as it runs it writes the
// monotonic clock's time, then its arguments one a line, to its own path plus ".stamp".
#include <stdio.h>
#include <string.h>
#include <time.h>

int main(int argc, char** argv) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    char path[4096];
    char partial[4096 + 8];
    if (snprintf(path, sizeof path, "%s.stamp", argv[0]) >= (int)sizeof path)
        return 1;
    snprintf(partial, sizeof partial, "%s.partial", path);
    FILE* file = fopen(partial, "w");
    if (file == NULL)
        return 1;
    fprintf(file, "%lld.%09ld\n", (long long)now.tv_sec, now.tv_nsec);
    for (int i = 1; i < argc; ++i)
        fprintf(file, "%s\n", argv[i]);
    // Renamed whole, so the benchmark never reads half a stamp.
    if (fclose(file) != 0 || rename(partial, path) != 0)
        return 1;
    return 0;
}
