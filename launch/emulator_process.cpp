#include "emulator_process.h"

#include "files/file_system.h"
#include "program_kind.h"

#include <QByteArrayList>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sched.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace quibrel {

namespace {

// The middle process: it runs on a stack of its own in the launcher's memory, starts the emulator in a new
// session and ends at once, so that the emulator is adopted by init. The launcher waits only for it.
struct Middle {
    const char *file;
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
    middle->error = ::posix_spawn(&emulator, middle->file, nullptr, &attributes, middle->argv, environ);
    ::_exit(0);
}

// Where Wine's loaders are: Debian's /usr/bin/wine runs /usr/lib/wine/wine (32-bit) where it is there, else
// /usr/lib/wine/wine64. Taken as lib/wine/ beside the bin/ of the `wine` on PATH, links followed, so that a
// Wine kept elsewhere is judged by its own loaders.
QString wineLoaders(const QString &wine)
{
    return QFileInfo(QFileInfo(wine).canonicalFilePath()).dir().filePath(QStringLiteral("../lib/wine/"));
}

QString programKindName(ProgramKind kind)
{
    switch (kind) {
    case ProgramKind::Windows64:
        return QStringLiteral("a 64-bit Windows program");
    case ProgramKind::Windows32:
        return QStringLiteral("a 32-bit Windows program");
    default:
        return QStringLiteral("a 16-bit Windows program");
    }
}

// The Wine that can start a program of `kind`; empty, with the reason why in words its user can act on,
// when there is none.
QString wineFor(ProgramKind kind, QString *reason)
{
    if (kind == ProgramKind::Dos) {
        *reason = QStringLiteral("it is a DOS program, which cannot be given its arguments whole on this "
                                 "system. Run the emulator inside DOSBox by hand");
        return {};
    }
    if (kind == ProgramKind::WindowsOtherMachine) {
        *reason = QStringLiteral("it is a Windows program for another kind of processor, which this system "
                                 "cannot start");
        return {};
    }
    const bool is64 = kind == ProgramKind::Windows64;
    const QString package =
        is64 ? QStringLiteral("wine64")
             : QStringLiteral("wine32, which needs the i386 architecture (dpkg --add-architecture i386, "
                              "then apt-get update)");
    const QString wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (wine.isEmpty()) {
        *reason = QStringLiteral("it is %1 and Wine is not installed. Install the packages wine and %2")
                      .arg(programKindName(kind), package);
        return {};
    }
    if (!QFileInfo(wineLoaders(wine) + (is64 ? "wine64" : "wine")).isExecutable()) {
        *reason =
            QStringLiteral("it is %1, which the Wine installed here cannot start. Install the package %2")
                .arg(programKindName(kind), package);
        return {};
    }
    return wine;
}

// Starts `argv` from the file `program` through the middle process; the operating system's error, or 0.
int spawnDetached(const QString &program, const QStringList &argv)
{
    const QByteArray file = encodeFileName(program);
    QByteArrayList encoded;
    for (const QString &argument : argv)
        encoded << encodeFileName(argument);
    std::vector<char *> pointers;
    for (QByteArray &argument : encoded)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    Middle middle{file.constData(), pointers.data(), 0};
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
    if (pid < 0)
        return cloneError;
    int status;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return middle.error;
}

} // namespace

bool startDetached(const EmulatorCommand &command, QString *error)
{
    const QStringList argv = QStringList{command.program} + command.arguments;
    int failure = spawnDetached(command.program, argv);
    // Not a program this system starts by itself: a Windows program goes through Wine, when Wine can run it.
    if (failure == ENOEXEC) {
        const ProgramKind kind = programKind(command.program);
        if (kind != ProgramKind::Other) {
            const QString wine = wineFor(kind, error);
            if (wine.isEmpty())
                return false;
            failure = spawnDetached(wine, QStringList{QStringLiteral("wine")} + argv);
        }
    }
    if (failure != 0) {
        *error = QString::fromLocal8Bit(std::strerror(failure));
        return false;
    }
    return true;
}

} // namespace quibrel
