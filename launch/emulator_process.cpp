#include "emulator_process.h"

#include "dos_command.h"
#include "dos_game.h"
#include "files/file_system.h"
#include "program_kind.h"

#include <QByteArrayList>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace quibrel {

namespace {

// Collects the started process when it ends, so that none is left behind as a zombie; the launcher does not
// wait for it. Where the kernel cannot tell (no pidfd), the ones that ended are collected at the next start.
void collectWhenEnded(pid_t pid)
{
    static std::vector<pid_t> unwatched;
    for (auto it = unwatched.begin(); it != unwatched.end();)
        it = ::waitpid(*it, nullptr, WNOHANG) == 0 ? it + 1 : unwatched.erase(it);

    const int fd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0 || !QCoreApplication::instance()) {
        if (fd >= 0)
            ::close(fd);
        unwatched.push_back(pid);
        return;
    }
    auto ended = new QSocketNotifier(fd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(ended, &QSocketNotifier::activated, ended, [ended, fd, pid] {
        ::waitpid(pid, nullptr, 0);
        ended->setEnabled(false); // before the descriptor goes, so that no poll sees it closed
        ::close(fd);
        ended->deleteLater();
    });
}

// Starts `argv` from the file `program` in a session of its own, with `environment`; the operating system's
// error, or 0.
int spawnDetached(const QString &program, const QStringList &argv, char *const *environment = environ)
{
    const QByteArray file = encodeFileName(program);
    QByteArrayList encoded;
    for (const QString &argument : argv)
        encoded << encodeFileName(argument);
    std::vector<char *> pointers;
    for (QByteArray &argument : encoded)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid;
    const int error =
        ::posix_spawn(&pid, file.constData(), nullptr, &attributes, pointers.data(), environment);
    posix_spawnattr_destroy(&attributes);
    if (error == 0)
        collectWhenEnded(pid);
    return error;
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

// The Wine that can start a Windows program of `kind`; empty, with the reason why in words its user can act
// on, when there is none.
QString wineFor(ProgramKind kind, QString *reason)
{
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
    // Only Debian's layout tells beforehand which loader is missing; any other Wine is left to say itself.
    const QString loaders = wineLoaders(wine);
    const bool debianLayout = QFileInfo::exists(loaders + "wine") || QFileInfo::exists(loaders + "wine64");
    if (debianLayout && !QFileInfo(loaders + (is64 ? "wine64" : "wine")).isExecutable()) {
        *reason =
            QStringLiteral("it is %1, which the Wine installed here cannot start. Install the package %2")
                .arg(programKindName(kind), package);
        return {};
    }
    return wine;
}

// DOSBox draws on an X display; SDL may be pointed at another driver. An empty SDL_VIDEODRIVER makes it fail.
bool hasDisplayForDosBox()
{
    const QString driver = qEnvironmentVariable("SDL_VIDEODRIVER");
    return !qEnvironmentVariableIsEmpty("DISPLAY") || (!driver.isEmpty() && driver != QLatin1String("x11"));
}

// The environment without an empty SDL_VIDEODRIVER.
std::vector<char *> environmentForDosBox()
{
    std::vector<char *> environment;
    for (char **variable = environ; *variable; ++variable) {
        if (std::strcmp(*variable, "SDL_VIDEODRIVER=") != 0)
            environment.push_back(*variable);
    }
    environment.push_back(nullptr);
    return environment;
}

// Runs the DOS program of `command` in DOSBox: its folder as C:, the game where DOS finds it as D:.
bool startInDosBox(const EmulatorCommand &command, QString *error)
{
    const QString dosbox = QStandardPaths::findExecutable(QStringLiteral("dosbox"));
    if (dosbox.isEmpty()) {
        *error = QStringLiteral("it is a DOS program, which runs in DOSBox, and DOSBox is not installed. "
                                "Install the package dosbox");
        return false;
    }
    if (!hasDisplayForDosBox()) {
        *error = QStringLiteral("it is a DOS program, which runs in DOSBox, and DOSBox needs an X display, "
                                "which this session does not have (DISPLAY is not set)");
        return false;
    }
    const DosGame game = dosGame(command.arguments.value(0), error);
    if (game.folder.isEmpty())
        return false;
    const QFileInfo program(command.program);
    const QStringList arguments = dosboxArguments(program.absolutePath(), program.fileName().toUpper(),
                                                  game.folder, game.name, command.options, error);
    if (arguments.isEmpty())
        return false;
    const int failure = spawnDetached(dosbox, QStringList{QStringLiteral("dosbox")} + arguments,
                                      environmentForDosBox().data());
    if (failure != 0)
        *error = QStringLiteral("DOSBox cannot be started: %1").arg(errorText(failure));
    return failure == 0;
}

} // namespace

bool startDetached(const EmulatorCommand &command, QString *error)
{
    const QStringList argv = QStringList{command.program} + command.arguments;
    int failure = 0;
    switch (const ProgramKind kind = programKind(command.program)) {
    case ProgramKind::Other:
        failure = spawnDetached(command.program, argv);
        break;
    case ProgramKind::Dos:
        return startInDosBox(command, error);
    default: {
        const QString wine = wineFor(kind, error);
        if (wine.isEmpty())
            return false;
        failure = spawnDetached(wine, QStringList{QStringLiteral("wine")} + argv);
    }
    }
    if (failure != 0)
        *error = errorText(failure);
    return failure == 0;
}

} // namespace quibrel
