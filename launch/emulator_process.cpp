#include "emulator_process.h"

#include "files/file_system.h"

#include <QByteArrayList>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace quibrel {

namespace {

// The middle process: it runs on a stack of its own in the launcher's memory, starts the emulator in a new
// session and ends at once, so that the emulator is adopted by init. The launcher waits only for it.
struct Middle {
    char *const *argv;
    int error;
};

// Not instrumented by the sanitizers: it runs on a stack they do not know, in a process about to end.
__attribute__((no_sanitize("address", "undefined"))) int startEmulator(void *data)
{
    auto middle = static_cast<Middle *>(data);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
    pid_t emulator;
    middle->error = ::posix_spawn(&emulator, middle->argv[0], nullptr, &attributes, middle->argv, environ);
    ::_exit(0);
}

// Whether the file at `path` begins with the signature of a DOS or Windows program. Only a regular file is
// read, and never waited for.
bool isDosProgram(const char *path)
{
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status;
    char signature[2];
    const bool dos = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                     ::pread(fd, signature, 2, 0) == 2 && signature[0] == 'M' && signature[1] == 'Z';
    ::close(fd);
    return dos;
}

// Why the emulator did not start, in words its user can act on.
QString failureReason(int error, const char *program)
{
    if (error == ENOEXEC && isDosProgram(program))
        return QStringLiteral("it is a DOS or Windows program, which this system cannot start by itself. "
                              "A Wine or DOSBox set-up that registers such programs with the kernel "
                              "(binfmt_misc) would let it start");
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

bool startDetached(const EmulatorCommand &command, QString *error)
{
    QByteArrayList encoded;
    encoded << encodeFileName(command.program);
    for (const QString &argument : command.arguments)
        encoded << encodeFileName(argument);
    std::vector<char *> argv;
    for (QByteArray &argument : encoded)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    Middle middle{argv.data(), 0};
    std::vector<char> stack(256 * 1024);
    // No signal handler may run in the middle process, which shares the launcher's memory.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    const pid_t pid =
        ::clone(startEmulator, stack.data() + stack.size(), CLONE_VM | CLONE_VFORK | SIGCHLD, &middle);
    const int cloneError = errno;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (pid < 0) {
        *error = QString::fromLocal8Bit(std::strerror(cloneError));
        return false;
    }
    int status;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (middle.error != 0) {
        *error = failureReason(middle.error, argv[0]);
        return false;
    }
    return true;
}

} // namespace quibrel
