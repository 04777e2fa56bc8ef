/* The stub emulator of the PLAY rows. Its first statement reads CLOCK_MONOTONIC; it writes that time in
   milliseconds to the file named by QUIBREL_BENCH_STAMP (beside it first, then renamed, so that a reader
   never sees half of it) and ends. */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

int main(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const char *stamp = getenv("QUIBREL_BENCH_STAMP");
    char part[4096];
    if (!stamp || snprintf(part, sizeof part, "%s.part", stamp) >= (int)sizeof part)
        return 1;
    FILE *file = fopen(part, "w");
    if (!file || fprintf(file, "%.6f\n", (double)now.tv_sec * 1e3 + (double)now.tv_nsec / 1e6) < 0)
        return 1;
    return fclose(file) == 0 && rename(part, stamp) == 0 ? 0 : 1;
}
