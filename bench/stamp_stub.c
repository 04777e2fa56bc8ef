/* Stands in for the emulator in the PLAY benchmark. The first thing it does is read CLOCK_MONOTONIC; it
   then writes that time, in milliseconds, to the file named by QUIBREL_BENCH_STAMP (written beside and
   renamed, so that a reader never sees half of it) and ends. */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

int main(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const char *stamp = getenv("QUIBREL_BENCH_STAMP");
    if (!stamp)
        return 1;
    char part[4096];
    if (snprintf(part, sizeof part, "%s.part", stamp) >= (int)sizeof part)
        return 1;
    FILE *file = fopen(part, "w");
    if (!file)
        return 1;
    fprintf(file, "%.6f\n", (double)now.tv_sec * 1e3 + (double)now.tv_nsec / 1e6);
    if (fclose(file) != 0)
        return 1;
    return rename(part, stamp) == 0 ? 0 : 1;
}
