// The PLAY baseline: the least a program does to start the stub emulator, a bare posix_spawn.
//
//   bench_spawn_baseline STUB STAMP RUNS WARMUPS
//   -> "sample play baseline <ms>" per run: from just before posix_spawn to the stub's own first clock
//   reading
//   bench_spawn_baseline --through wine STUB STAMP RUNS WARMUPS
//   -> "sample play_wine baseline <ms>" per run: `wine STUB ...` started from PATH, to the moment the stamp
//   is seen here (looked for every millisecond, as the window's side does: a Windows stub's clock is not
//   ours)

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace quibrel::bench {

namespace {

double monotonicMs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Milliseconds from spawning `stub` (through `through` when not null) to the stamp it wrote; negative on
// failure.
double spawnOnce(char *through, char *stub, const char *stamp)
{
    ::unlink(stamp);
    char game[] = "game.gb";
    char volume[] = "-volume";
    char ten[] = "10";
    char *direct[] = {stub, game, volume, ten, nullptr};
    char *wrapped[] = {through, stub, game, volume, ten, nullptr};
    const double started = monotonicMs();
    pid_t child;
    if (posix_spawnp(&child, through ? through : stub, nullptr, nullptr, through ? wrapped : direct,
                     environ) != 0)
        return -1;
    double seen = -1;
    while (through && seen < 0 && monotonicMs() - started < 30000) {
        if (::access(stamp, F_OK) == 0)
            seen = monotonicMs();
        else
            usleep(1000);
    }
    int status;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (through)
        return seen < 0 ? -1 : seen - started;
    FILE *file = std::fopen(stamp, "r");
    double stamped = -1;
    if (!file || std::fscanf(file, "%lf", &stamped) != 1)
        stamped = -1;
    if (file)
        std::fclose(file);
    return stamped < 0 ? -1 : stamped - started;
}

} // namespace

} // namespace quibrel::bench

int main(int argc, char **argv)
{
    using namespace quibrel::bench;
    char *through = nullptr;
    if (argc == 7 && std::string(argv[1]) == "--through") {
        through = argv[2];
        argv += 2;
        argc -= 2;
    }
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_spawn_baseline [--through PROGRAM] STUB STAMP RUNS WARMUPS\n");
        return 2;
    }
    setenv("QUIBREL_BENCH_STAMP", argv[2], 1);
    const int runs = std::atoi(argv[3]);
    const int warmups = std::atoi(argv[4]);
    for (int run = -warmups; run < runs; ++run) {
        const double ms = spawnOnce(through, argv[1], argv[2]);
        if (ms < 0) {
            std::fprintf(stderr, "bench_spawn_baseline: the stub %s did not stamp %s\n", argv[1], argv[2]);
            return 1;
        }
        if (run >= 0)
            std::printf("sample %s baseline %.3f\n", through ? "play_wine" : "play", ms);
        usleep(through ? 50000 : 20000);
    }
    return 0;
}
