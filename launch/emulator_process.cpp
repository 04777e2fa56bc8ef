#include "emulator_process.h"

#include "file_system.h"

#include <QByteArrayList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace quibrel {

namespace {

ssize_t writeAll(int fd, const void *data, size_t size)
{
    ssize_t written;
    do {
        written = ::write(fd, data, size);
    } while (written < 0 && errno == EINTR);
    return written;
}

} // namespace

bool startDetached(const EmulatorCommand &command, QString *error)
{
    // Everything the children need is prepared here: after fork() only async-signal-safe calls are made.
    QByteArrayList encoded;
    encoded << encodeFileName(command.program);
    for (const QString &argument : command.arguments)
        encoded << encodeFileName(argument);
    std::vector<char *> argv;
    for (QByteArray &argument : encoded)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }

    // Double fork: the emulator is adopted by init, so the launcher never has to reap it.
    const pid_t middle = ::fork();
    if (middle < 0) {
        const int forkError = errno;
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        *error = QString::fromLocal8Bit(std::strerror(forkError));
        return false;
    }
    if (middle == 0) {
        ::close(errorPipe[0]);
        ::setsid();
        const pid_t emulator = ::fork();
        if (emulator == 0) {
            ::execve(argv[0], argv.data(), environ);
            const int execError = errno;
            writeAll(errorPipe[1], &execError, sizeof execError);
            ::_exit(127);
        }
        if (emulator < 0) {
            const int forkError = errno;
            writeAll(errorPipe[1], &forkError, sizeof forkError);
        }
        ::_exit(0);
    }

    ::close(errorPipe[1]);
    int status;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes on a successful exec; otherwise it carries the errno of the failure.
    int startError = 0;
    ssize_t got;
    do {
        got = ::read(errorPipe[0], &startError, sizeof startError);
    } while (got < 0 && errno == EINTR);
    ::close(errorPipe[0]);
    if (got == sizeof startError) {
        *error = QString::fromLocal8Bit(std::strerror(startError));
        return false;
    }
    return true;
}

} // namespace quibrel
