// The game browser and PLAY, measured inside the real window: the program's own window is built, loaded
// and shown maximized on the X server (with its window manager) exactly as main() does, then driven.
//
//   bench_window games SCRATCH RUNS WARMUPS        a folder of 100,000 files, 20,000 of them games
//   bench_window directories SCRATCH RUNS WARMUPS  a folder of 20,000 subfolders
//   bench_window play SCRATCH RUNS WARMUPS STUB    PLAY clicked through the X server (XTEST)
//
// Each run prints "sample FIGURE SIDE VALUE" lines (see bench/README.md); warm-up runs print nothing.

#include "measure.h"

#include "ui/directory_list.h"
#include "ui/file_list.h"
#include "ui/quibrel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace quibrel::bench {

namespace {

constexpr int gameFolderFiles = 100000;
constexpr int gameFolderGames = 20000;
constexpr int subfolderCount = 20000;

// Words to build names from, in mixed case, so that sorting has real work to do.
const char *const words[] = {"Alpha", "bravo",  "CHARLIE", "Delta", "echo", "Foxtrot",  "golf",  "HOTEL",
                             "India", "juliet", "Kilo",    "LIMA",  "mike", "November", "oscar", "Papa"};
constexpr int wordCount = int(sizeof words / sizeof *words);

// A name made from `number`, scrambled so that neither creation order nor name order is the number's order.
QByteArray scrambledName(int number)
{
    const unsigned int mixed = unsigned(number) * 2654435761u;
    return QByteArray(words[mixed % wordCount]) + ' ' + words[(mixed >> 8) % wordCount] + ' ' +
           QByteArray::number(number);
}

bool makeFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

// The folder of `gameFolderFiles` files of which `gameFolderGames` match *.gb in either case; the others
// have extensions that look alike but do not match.
bool makeGameFolder(const QString &path)
{
    if (QFile::exists(path + QStringLiteral("/.complete")))
        return true;
    if (!QDir().mkpath(path))
        return false;
    const char *const others[] = {".gbc", ".sav", ".gba", ".txt"};
    const QByteArray folder = QFile::encodeName(path) + '/';
    for (int number = 0; number < gameFolderFiles; ++number) {
        QByteArray extension;
        if (number % 5 == 0)
            extension = number % 10 == 0 ? ".gb" : ".GB";
        else
            extension = others[number % 4];
        if (!makeFile(folder + scrambledName(number) + extension))
            return false;
    }
    return makeFile(folder + ".complete");
}

bool makeSubfolders(const QString &path)
{
    if (QFile::exists(path + QStringLiteral("/.complete")))
        return true;
    if (!QDir().mkpath(path))
        return false;
    const QByteArray folder = QFile::encodeName(path) + '/';
    for (int number = 0; number < subfolderCount; ++number) {
        const QByteArray name = folder + scrambledName(number);
        if (::mkdir(name.constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return makeFile(folder + ".complete");
}

// Beats every millisecond on the GUI thread; the longest gap between two beats is the longest time the event
// loop was held up. It also keeps waitUntil() waking.
class EventLoopWatch : public QObject {
public:
    EventLoopWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, &EventLoopWatch::beat);
        m_timer.start();
    }

    // From `origin` on, gaps count.
    void begin(double origin)
    {
        m_last = origin;
        m_longest = 0;
    }

    // The longest gap since begin(), the one still open included.
    double longest() const { return std::max(m_longest, monotonicMs() - m_last); }

private:
    void beat()
    {
        const double now = monotonicMs();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    QTimer m_timer;
    double m_last = 0;
    double m_longest = 0;
};

// Tells when a widget has been painted after arm(): the time is taken on the event-loop turn after the paint
// event, that is after Qt has flushed the window's backing store to the X server.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget *widget) { widget->installEventFilter(this); }

    void arm()
    {
        m_armed = true;
        m_paintedAt = -1;
    }
    bool painted() const { return m_paintedAt >= 0; }
    double paintedAt() const { return m_paintedAt; }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_armed) {
            m_armed = false;
            QMetaObject::invokeMethod(
                this, [this] { m_paintedAt = monotonicMs(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_armed = false;
    double m_paintedAt = -1;
};

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

void settle(int ms)
{
    const QDeadlineTimer deadline(ms);
    waitUntil([&] { return deadline.hasExpired(); }, ms + 1000);
}

// Presses and releases the first mouse button through the X server, as a person's click arrives.
class XClicker {
public:
    XClicker()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
    }
    ~XClicker() { xcb_disconnect(m_connection); }

    bool isValid() const { return !xcb_connection_has_error(m_connection); }

    void moveTo(const QPoint &global) { fake(XCB_MOTION_NOTIFY, 0, global); }
    void press() { fake(XCB_BUTTON_PRESS, 1); }
    void release() { fake(XCB_BUTTON_RELEASE, 1); }

private:
    void fake(uint8_t type, uint8_t detail, const QPoint &at = QPoint())
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        xcb_test_fake_input(m_connection, type, detail, XCB_CURRENT_TIME,
                            type == XCB_MOTION_NOTIFY ? root : 0, int16_t(at.x()), int16_t(at.y()), 0);
        xcb_flush(m_connection);
    }

    xcb_connection_t *m_connection;
};

class WindowBench {
public:
    explicit WindowBench(const QString &scratch)
        : m_scratch(scratch)
    {
    }

    bool setUp(const QString &stub);
    bool measureGames(int runs, int warmups);
    bool measureDirectories(int runs, int warmups);
    // `figure` "play" reads the time the stub stamped; "play_wine" (a Windows stub, through Wine, whose clock
    // is not the system's) takes the time the stamp is seen here.
    bool measurePlay(const QString &figure, int runs, int warmups);

private:
    bool showEmptyFolder();
    bool storeDirectoryPath(const QString &path, QAbstractItemView *lastList, double *ms, double *stall);

    QString m_scratch;
    std::unique_ptr<Quibrel> m_window;
    DirectoryList *m_directories = nullptr;
    FileList *m_files = nullptr;
    EventLoopWatch m_watch;
};

bool WindowBench::setUp(const QString &stub)
{
    // The program is started from the folder of the emulator; that folder holds one game.
    const QString home = m_scratch + QStringLiteral("/home");
    QDir().mkpath(home);
    makeFile(QFile::encodeName(home + QStringLiteral("/Tetris.gb")));
    if (!stub.isEmpty()) {
        QFile::remove(home + QStringLiteral("/Zemu.exe"));
        if (!QFile::copy(stub, home + QStringLiteral("/Zemu.exe")))
            return false;
    }
    QDir().mkpath(m_scratch + QStringLiteral("/empty"));
    if (!QDir::setCurrent(home))
        return false;

    m_window = std::make_unique<Quibrel>();
    m_window->Form_Load();
    m_window->showMaximized();
    m_directories = qobject_cast<DirectoryList *>(m_window->control(QStringLiteral("DirBox")));
    m_files = qobject_cast<FileList *>(m_window->control(QStringLiteral("FileBox")));
    if (!m_directories || !m_files)
        return false;
    const int screenWidth = m_window->screen()->geometry().width();
    const bool shown = waitUntil(
        [&] {
            return m_window->isVisible() && m_window->width() == screenWidth && !m_files->isListing() &&
                   !m_directories->isListing();
        },
        20000);
    settle(300);
    return shown;
}

bool WindowBench::showEmptyFolder()
{
    QString reason;
    if (!m_directories->setPath(m_scratch + QStringLiteral("/empty"), &reason))
        return false;
    const bool listed =
        waitUntil([&] { return !m_files->isListing() && !m_directories->isListing(); }, 20000);
    settle(100);
    return listed;
}

// Stores `path` as the directory list's path and waits until `lastList` has its names and has been drawn.
bool WindowBench::storeDirectoryPath(const QString &path, QAbstractItemView *lastList, double *ms,
                                     double *stall)
{
    if (!showEmptyFolder())
        return false;
    PaintWatch paint(lastList->viewport());
    const auto armPaint = [&paint] { paint.arm(); };
    const QMetaObject::Connection armed =
        lastList == m_files ? QObject::connect(m_files, &FileList::listed, armPaint)
                            : QObject::connect(m_directories, &DirectoryList::listed, armPaint);
    bool stored = false;
    double started = 0;
    // Stored from inside an event-loop turn, as a click would, so that its own time counts as a stall.
    QTimer::singleShot(0, [&] {
        started = monotonicMs();
        m_watch.begin(started);
        stored = m_directories->setPath(path);
    });
    const bool done = waitUntil([&] { return stored && paint.painted(); }, 60000);
    QObject::disconnect(armed);
    *ms = paint.paintedAt() - started;
    *stall = m_watch.longest();
    return done;
}

bool WindowBench::measureGames(int runs, int warmups)
{
    const QString folder = m_scratch + QStringLiteral("/games");
    if (!makeGameFolder(folder)) {
        std::fprintf(stderr, "bench_window: cannot make the game folder %s\n", qPrintable(folder));
        return false;
    }
    const QByteArray baseline =
        "find '" + QFile::encodeName(folder) + "' -maxdepth 1 -iname '*.gb' | sort -f >/dev/null";
    for (int run = -warmups; run < runs; ++run) {
        double ms;
        double stall;
        if (!storeDirectoryPath(folder, m_files, &ms, &stall) ||
            m_files->fileNames().size() != gameFolderGames) {
            std::fprintf(stderr, "bench_window: the file list did not show the %d games\n", gameFolderGames);
            return false;
        }
        const double baselineMs = timeShellCommand(baseline);
        if (baselineMs < 0) {
            std::fprintf(stderr, "bench_window: the baseline failed: %s\n", baseline.constData());
            return false;
        }
        if (run < 0)
            continue;
        printSample("games", "ours", ms);
        printSample("games", "baseline", baselineMs);
        printSample("games_stall", "ours", stall);
    }
    return true;
}

bool WindowBench::measureDirectories(int runs, int warmups)
{
    const QString folder = m_scratch + QStringLiteral("/folders");
    if (!makeSubfolders(folder)) {
        std::fprintf(stderr, "bench_window: cannot make the folder %s\n", qPrintable(folder));
        return false;
    }
    const QByteArray baseline =
        "find '" + QFile::encodeName(folder) + "' -maxdepth 1 -type d | sort >/dev/null";
    for (int run = -warmups; run < runs; ++run) {
        double ms;
        double stall;
        // The ancestors of the folder and its subfolders.
        const int expectedRows = int(QDir::cleanPath(folder).count(u'/')) + 1 + subfolderCount;
        if (!storeDirectoryPath(folder, m_directories, &ms, &stall) ||
            m_directories->model()->rowCount() != expectedRows) {
            std::fprintf(stderr, "bench_window: the directory list did not show the %d subfolders\n",
                         subfolderCount);
            return false;
        }
        const double baselineMs = timeShellCommand(baseline);
        if (baselineMs < 0) {
            std::fprintf(stderr, "bench_window: the baseline failed: %s\n", baseline.constData());
            return false;
        }
        if (run < 0)
            continue;
        printSample("directories", "ours", ms);
        printSample("directories", "baseline", baselineMs);
        printSample("directories_stall", "ours", stall);
    }
    return true;
}

bool WindowBench::measurePlay(const QString &figure, int runs, int warmups)
{
    // The game is chosen as the user does: marked and double-clicked in the file list.
    m_files->setCurrentIndex(m_files->model()->index(0, 0));
    emit m_files->doubleClicked();
    auto play = qobject_cast<QPushButton *>(m_window->control(QStringLiteral("cmdPlay")));
    XClicker clicker;
    if (!play || !clicker.isValid())
        return false;
    const QString stamp = m_scratch + QStringLiteral("/play.stamp");
    qputenv("QUIBREL_BENCH_STAMP", QFile::encodeName(stamp));
    clicker.moveTo(play->mapToGlobal(play->rect().center()));
    settle(100);
    // How much of the time is the click's way through the X server and Qt to the button.
    double releasedAt = 0;
    QObject::connect(play, &QAbstractButton::released, [&releasedAt] { releasedAt = monotonicMs(); });
    for (int run = -warmups; run < runs; ++run) {
        QFile::remove(stamp);
        clicker.press();
        if (!waitUntil([&] { return play->isDown(); }, 5000)) {
            std::fprintf(stderr, "bench_window: the press did not reach the PLAY button\n");
            return false;
        }
        const double clicked = monotonicMs();
        clicker.release();
        if (!waitUntil([&] { return QFile::exists(stamp); }, 30000)) {
            std::fprintf(stderr, "bench_window: PLAY did not start the stub emulator\n");
            return false;
        }
        double started = monotonicMs();
        QFile file(stamp);
        file.open(QIODevice::ReadOnly);
        if (figure == QLatin1String("play"))
            started = file.readAll().trimmed().toDouble();
        settle(50);
        if (run < 0)
            continue;
        printSample(qPrintable(figure), "ours", started - clicked);
        if (figure == QLatin1String("play"))
            printSample("play_delivery", "ours", releasedAt - clicked);
    }
    return true;
}

} // namespace

} // namespace quibrel::bench

int main(int argc, char *argv[])
{
    using namespace quibrel::bench;
    setWatchdog(300);
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString figure = arguments.value(1);
    const bool known = figure == QLatin1String("games") || figure == QLatin1String("directories") ||
                       figure.startsWith(QLatin1String("play"));
    if (!known || arguments.size() < 5 ||
        figure.startsWith(QLatin1String("play")) != (arguments.size() == 6)) {
        std::fprintf(stderr, "usage: bench_window games|directories SCRATCH RUNS WARMUPS\n"
                             "       bench_window play|play_wine SCRATCH RUNS WARMUPS STUB\n");
        return 2;
    }
    const int runs = arguments.at(3).toInt();
    const int warmups = arguments.at(4).toInt();
    WindowBench bench(QDir(arguments.at(2)).absolutePath());
    if (!bench.setUp(arguments.value(5))) {
        std::fprintf(stderr, "bench_window: the window did not come up maximized\n");
        return 1;
    }
    bool measured;
    if (figure == QLatin1String("games"))
        measured = bench.measureGames(runs, warmups);
    else if (figure == QLatin1String("directories"))
        measured = bench.measureDirectories(runs, warmups);
    else
        measured = bench.measurePlay(figure, runs, warmups);
    return measured ? 0 : 1;
}
