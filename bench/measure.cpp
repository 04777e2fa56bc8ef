#include "measure.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace quibrel::bench {

namespace {

long statusField(const char *field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0)
            return std::strtol(line.c_str() + length, nullptr, 10);
    }
    return -1;
}

void watchdogExpired(int)
{
    const char message[] = "bench: gave up, the measurement did not finish in time\n";
    [[maybe_unused]] ssize_t ignored = ::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(3);
}

} // namespace

double monotonicMs()
{
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void printSample(const char *figure, const char *side, double value)
{
    std::printf("sample %s %s %.3f\n", figure, side, value);
    std::fflush(stdout);
}

double timeShellCommand(const QByteArray &command)
{
    const char *argv[] = {"/bin/sh", "-c", command.constData(), nullptr};
    const double started = monotonicMs();
    pid_t child;
    if (::posix_spawn(&child, argv[0], nullptr, nullptr, const_cast<char **>(argv), environ) != 0)
        return -1;
    int status;
    while (::waitpid(child, &status, 0) < 0) {
    }
    const double ended = monotonicMs();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ended - started : -1;
}

void setWatchdog(unsigned int seconds)
{
    std::signal(SIGALRM, watchdogExpired);
    ::alarm(seconds);
}

long peakRssKib()
{
    return statusField("VmHWM:");
}

long currentRssKib()
{
    return statusField("VmRSS:");
}

} // namespace quibrel::bench
