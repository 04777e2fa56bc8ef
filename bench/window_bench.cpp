// The game folder and PLAY in the real window, built and shown maximized from SCRATCH/home as main() does.
// Each run is followed by its baseline; a first run is a warm-up. Prints "sample FIGURE SIDE VALUE" lines.
//   bench_window games SCRATCH RUNS     100,000 files, 20,000 of them games, against `find | sort -f`
//   bench_window play SCRATCH RUNS FIGURE stub|seen COMMAND...
//     PLAY clicked through the X server, against COMMAND started by hand. Both end at the stamp file
//     $QUIBREL_BENCH_STAMP: "stub" at the CLOCK_MONOTONIC time the stub wrote in it, "seen" when it is
//     seen here (a stub whose clock is not ours).

#include "ui/directory_list.h"
#include "ui/file_list.h"
#include "ui/quibrel.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace quibrel {

namespace {

constexpr int gameFolderGames = 20000;
const auto never = [] { return false; };

double monotonicMs()
{
    timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Starts `argv` (the program looked up on PATH): its pid, or -1.
pid_t spawn(const char *const argv[])
{
    pid_t child;
    return ::posix_spawnp(&child, argv[0], nullptr, nullptr, const_cast<char **>(argv), environ) ? -1 : child;
}

bool succeeded(pid_t child)
{
    int status = -1;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && !WEXITSTATUS(status);
}

// Turns the event loop until `condition` holds (waitUntil(never, ms) lets it run for `ms`).
bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// 100,000 empty files with mixed-case names in no order; every fifth ends in .gb or .GB, the others
// in extensions that look alike.
bool makeGameFolder(const QString &path)
{
    const char *const words[] = {"Alpha", "bravo",  "CHARLIE", "Delta", "echo", "Foxtrot",  "golf",  "HOTEL",
                                 "India", "juliet", "Kilo",    "LIMA",  "mike", "November", "oscar", "Papa"};
    const char *const extensions[] = {".gb", ".gbc", ".sav", ".gba", ".txt",
                                      ".GB", ".gbc", ".sav", ".gba", ".txt"};
    for (int number = 0; number < 100000; ++number) {
        const unsigned int mixed = unsigned(number) * 2654435761u;
        const QString name = path + '/' + words[mixed % 16] + ' ' + words[(mixed >> 8) % 16] + ' ' +
                             QString::number(number) + extensions[number % 10];
        if (!QFile(name).open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

class Bench : public QObject {
public:
    Bench()
    {
        // A 1 ms beat on the GUI thread: the longest gap between two beats is the longest time the event
        // loop was held up. It also keeps waitUntil() waking.
        connect(&m_beat, &QTimer::timeout, this, [this] {
            const double now = monotonicMs();
            m_longestGap = std::max(m_longestGap, now - m_lastBeat);
            m_lastBeat = now;
        });
        m_beat.setTimerType(Qt::PreciseTimer);
        m_beat.start(1);
        m_window.Form_Load();
        m_window.showMaximized();
    }

    bool isUp()
    {
        const int width = m_window.screen()->geometry().width();
        const bool up = m_files && m_directories &&
                        waitUntil([&] { return m_window.width() == width && !m_files->isListing(); }, 20000);
        waitUntil(never, 300);
        return up;
    }

    bool measureGames(const QString &scratch, int runs)
    {
        const QString folder = scratch + QStringLiteral("/games"), empty = scratch + QStringLiteral("/empty");
        if (!QDir().mkpath(folder) || !makeGameFolder(folder) || !QDir().mkpath(empty))
            return false;
        const QByteArray find =
            "find '" + QFile::encodeName(folder) + "' -maxdepth 1 -iname '*.gb' | sort -f >/dev/null";
        const char *const baseline[] = {"/bin/sh", "-c", find.constData(), nullptr};
        m_files->viewport()->installEventFilter(this);
        connect(m_files, &FolderList::listed, this, [this] { m_paintWatched = true; });
        for (int run = -1; run < runs; ++run) {
            if (!m_directories->setPath(empty) ||
                !waitUntil([&] { return !m_files->isListing() && !m_directories->isListing(); }, 20000))
                return false;
            waitUntil(never, 100);
            m_paintWatched = false;
            m_paintedAt = -1;
            double started = 0;
            // Stored inside an event-loop turn, as a click would be: its own time counts as a stall.
            QTimer::singleShot(0, this, [&] {
                started = m_lastBeat = monotonicMs();
                m_longestGap = 0;
                m_directories->setPath(folder);
            });
            const bool listed = waitUntil([&] { return m_paintedAt >= 0; }, 60000);
            const double stall = std::max(m_longestGap, monotonicMs() - m_lastBeat);
            if (!listed || m_files->fileNames().size() != gameFolderGames)
                return false;
            const double baselineStarted = monotonicMs();
            if (!succeeded(spawn(baseline)))
                return false;
            if (run >= 0)
                std::printf(
                    "sample games ours %.3f\nsample games baseline %.3f\nsample games_stall ours %.3f\n",
                    m_paintedAt - started, monotonicMs() - baselineStarted, stall);
        }
        return true;
    }

    bool measurePlay(const char *figure, bool stubClock, const char *const command[], int runs)
    {
        // The game is chosen as the user does: marked and double-clicked in the file list.
        m_files->setCurrentIndex(m_files->model()->index(0, 0));
        emit m_files->doubleClicked();
        auto play = qobject_cast<QPushButton *>(m_window.control(QStringLiteral("cmdPlay")));
        const QString stamp = qEnvironmentVariable("QUIBREL_BENCH_STAMP");
        // The click comes through the X server, on a connection of its own, as a person's does.
        xcb_connection_t *x = xcb_connect(nullptr, nullptr);
        if (!play || stamp.isEmpty() || xcb_connection_has_error(x))
            return false;
        const auto fake = [x](uint8_t type, uint8_t detail, QPoint at = {}) {
            xcb_test_fake_input(x, type, detail, XCB_CURRENT_TIME,
                                at.isNull() ? 0 : xcb_setup_roots_iterator(xcb_get_setup(x)).data->root,
                                int16_t(at.x()), int16_t(at.y()), 0);
            xcb_flush(x);
        };
        fake(XCB_MOTION_NOTIFY, 0, play->mapToGlobal(play->rect().center()));
        waitUntil(never, 100);
        // Milliseconds from `started` to the start the stamp tells of; negative when none came.
        const auto stamped = [&](double started) {
            if (!waitUntil([&] { return QFile::exists(stamp); }, 30000))
                return -1.0;
            double at = monotonicMs();
            QFile file(stamp);
            if (stubClock && file.open(QIODevice::ReadOnly))
                at = file.readAll().trimmed().toDouble();
            QFile::remove(stamp);
            return at - started;
        };
        QFile::remove(stamp);
        for (int run = -1; run < runs; ++run) {
            fake(XCB_BUTTON_PRESS, 1);
            if (!waitUntil([&] { return play->isDown(); }, 5000))
                return false;
            const double clicked = monotonicMs();
            fake(XCB_BUTTON_RELEASE, 1);
            const double ours = stamped(clicked);
            waitUntil(never, 500); // until the emulator PLAY started has ended: DOSBox takes a while to close
            const double started = monotonicMs();
            const pid_t child = spawn(command);
            const double baseline = child > 0 ? stamped(started) : -1;
            succeeded(child);
            waitUntil(never, 50);
            if (ours < 0 || baseline < 0)
                return false;
            if (run >= 0)
                std::printf("sample %s ours %.3f\nsample %s baseline %.3f\n", figure, ours, figure, baseline);
        }
        xcb_disconnect(x);
        return true;
    }

protected:
    // The time is taken on the event-loop turn after the file list's first paint once its names are in,
    // that is after Qt has flushed it to the X server.
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_paintWatched) {
            m_paintWatched = false;
            QTimer::singleShot(0, this, [this] { m_paintedAt = monotonicMs(); });
        }
        return false;
    }

private:
    QTimer m_beat;
    double m_lastBeat = 0, m_longestGap = 0;
    Quibrel m_window;
    DirectoryList *m_directories = qobject_cast<DirectoryList *>(m_window.control(QStringLiteral("DirBox")));
    FileList *m_files = qobject_cast<FileList *>(m_window.control(QStringLiteral("FileBox")));
    bool m_paintWatched = false;
    double m_paintedAt = -1;
};

} // namespace

} // namespace quibrel

int main(int argc, char *argv[])
{
    // A benchmark must never hang the script (a message box opened by mistake would wait forever).
    ::alarm(300);
    QApplication app(argc, argv);
    const bool games = argc == 4 && std::strcmp(argv[1], "games") == 0;
    const bool play = argc >= 7 && std::strcmp(argv[1], "play") == 0;
    const QString scratch = QDir(QFile::decodeName(argc > 2 ? argv[2] : "")).absolutePath();
    if ((!games && !play) || !QDir::setCurrent(scratch + QStringLiteral("/home"))) {
        std::fprintf(stderr, "usage: bench_window games SCRATCH RUNS\n"
                             "       bench_window play SCRATCH RUNS FIGURE stub|seen COMMAND...\n");
        return 2;
    }
    quibrel::Bench bench;
    const int runs = std::atoi(argv[3]);
    const bool measured =
        bench.isUp() &&
        (games ? bench.measureGames(scratch, runs)
               : bench.measurePlay(argv[4], std::strcmp(argv[5], "stub") == 0, argv + 6, runs));
    if (!measured)
        std::fprintf(stderr, "bench_window: %s could not be measured\n", argv[1]);
    return measured ? 0 : 1;
}
