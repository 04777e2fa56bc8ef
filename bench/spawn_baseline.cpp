// The PLAY baseline: the least a program does to start the stub emulator, a bare posix_spawn.
//
//   bench_spawn_baseline STUB STAMP RUNS WARMUPS
//   -> "sample play baseline <ms>" per run: from just before posix_spawn to the stub's own first clock
//   reading

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
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

// Milliseconds from spawning `stub` to the stamp it wrote; negative on failure.
double spawnOnce(char *stub, const char *stamp)
{
    ::unlink(stamp);
    char game[] = "game.gb";
    char volume[] = "-volume";
    char ten[] = "10";
    char *argv[] = {stub, game, volume, ten, nullptr};
    const double started = monotonicMs();
    pid_t child;
    if (posix_spawn(&child, stub, nullptr, nullptr, argv, environ) != 0)
        return -1;
    int status;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
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
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s STUB STAMP RUNS WARMUPS\n", argv[0]);
        return 2;
    }
    setenv("QUIBREL_BENCH_STAMP", argv[2], 1);
    const int runs = std::atoi(argv[3]);
    const int warmups = std::atoi(argv[4]);
    for (int run = -warmups; run < runs; ++run) {
        const double ms = spawnOnce(argv[1], argv[2]);
        if (ms < 0) {
            std::fprintf(stderr, "bench_spawn_baseline: the stub %s did not stamp %s\n", argv[1], argv[2]);
            return 1;
        }
        if (run >= 0)
            std::printf("sample play baseline %.3f\n", ms);
        usleep(20000);
    }
    return 0;
}
