#include "directory_scan.h"

#include "files/file_system.h"

#include <QDir>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace quibrel {

namespace {

char16_t foldCase(char16_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? char16_t(c + ('a' - 'A')) : c;
    if (QChar::isSurrogate(c))
        return c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

QString foldCase(const QString &text)
{
    QString folded(text.size(), Qt::Uninitialized);
    std::transform(text.cbegin(), text.cend(), folded.begin(),
                   [](QChar c) { return QChar(foldCase(c.unicode())); });
    return folded;
}

// One `?` takes a whole character, so a surrogate pair counts as one.
qsizetype characterLength(QStringView text, qsizetype at)
{
    return (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) ? 2 : 1;
}

// Wildcard match with backtracking to the last `*`; `pattern` is already folded.
bool matchesWildcard(QStringView pattern, QStringView name)
{
    qsizetype p = 0;
    qsizetype n = 0;
    qsizetype afterStar = -1;
    qsizetype starTakesFrom = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            afterStar = ++p;
            starTakesFrom = n;
        } else if (p < pattern.size() && pattern[p] == u'?') {
            ++p;
            n += characterLength(name, n);
        } else if (p < pattern.size() && pattern[p].unicode() == foldCase(name[n].unicode())) {
            ++p;
            ++n;
        } else if (afterStar >= 0) {
            // Let the last star take one more character and try again from there.
            p = afterStar;
            starTakesFrom += characterLength(name, starTakesFrom);
            n = starTakesFrom;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool isLoneSurrogate(QStringView text, qsizetype at)
{
    const QChar c = text[at];
    if (c.isHighSurrogate())
        return at + 1 >= text.size() || !text[at + 1].isLowSurrogate();
    if (c.isLowSurrogate())
        return at == 0 || !text[at - 1].isHighSurrogate();
    return false;
}

bool needsReplacing(QStringView text, qsizetype at)
{
    const char16_t c = text[at].unicode();
    return c < 0x20 || c == 0x7F || isLoneSurrogate(text, at);
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

enum class Kind { Yes, No, Unknown };

// The entry's kind from the directory itself, sparing a stat for nearly every entry.
Kind kindFromDirectory(const dirent *entry, EntryKind wanted)
{
    switch (entry->d_type) {
    case DT_DIR:
        return wanted == EntryKind::Directories ? Kind::Yes : Kind::No;
    case DT_REG:
        return wanted == EntryKind::Files ? Kind::Yes : Kind::No;
    case DT_LNK:
    case DT_UNKNOWN:
        return Kind::Unknown;
    default:
        return Kind::No;
    }
}

// Follows symbolic links: a link to a directory or to a regular file counts as one.
bool hasKind(int directoryFd, const char *name, EntryKind wanted)
{
    struct stat status;
    if (::fstatat(directoryFd, name, &status, 0) != 0)
        return false;
    return wanted == EntryKind::Directories ? S_ISDIR(status.st_mode) : S_ISREG(status.st_mode);
}

} // namespace

FileNamePattern::FileNamePattern(const QString &pattern)
{
    for (const QString &alternative : pattern.split(u';', Qt::SkipEmptyParts))
        m_alternatives << foldCase(alternative);
    if (m_alternatives.isEmpty())
        m_alternatives << QStringLiteral("*");
}

bool FileNamePattern::matches(QStringView name) const
{
    for (const QString &alternative : m_alternatives) {
        if (alternative == u"*" || alternative == u"*.*" || matchesWildcard(alternative, name))
            return true;
    }
    return false;
}

bool fileNameLess(const QString &a, const QString &b)
{
    const int order = QString::compare(a, b, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : a < b;
}

void sortFileNames(QStringList *names)
{
    std::sort(names->begin(), names->end(), fileNameLess);
}

QString displayFileName(const QString &name)
{
    qsizetype i = 0;
    while (i < name.size() && !needsReplacing(name, i))
        ++i;
    if (i == name.size())
        return name;
    QString shown = name;
    for (; i < name.size(); ++i) {
        if (needsReplacing(name, i))
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown;
}

QString absoluteFilePath(const QString &path, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = errorText(ENOENT);
        return {};
    }
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    const QString workingDirectory = currentWorkingDirectory(error);
    if (workingDirectory.isEmpty())
        return {};
    return QDir::cleanPath(workingDirectory + u'/' + path);
}

DirectoryHandle openDirectory(const QString &path, QString *error)
{
    const QByteArray encoded = encodeFileName(path);
    if (encoded.isEmpty() || encoded.contains('\0')) {
        if (error)
            *error = errorText(encoded.isEmpty() ? ENOENT : EINVAL);
        return {};
    }
    DIR *directory = ::opendir(encoded.constData());
    if (!directory) {
        if (error)
            *error = errorText(errno);
        return {};
    }
    return DirectoryHandle(directory, ::closedir);
}

QStringList readDirectory(DIR *directory, EntryKind kind, const FileNamePattern &pattern,
                          const std::function<bool()> &cancelled)
{
    const int fd = ::dirfd(directory);
    QStringList names;
    unsigned int count = 0;
    while (const dirent *entry = ::readdir(directory)) {
        if ((++count & 0xFF) == 0 && cancelled && cancelled())
            return {};
        const char *raw = entry->d_name;
        if (raw[0] == '.')
            continue;
        const Kind known = kindFromDirectory(entry, kind);
        if (known == Kind::No)
            continue;
        QString name = decodeFileName(QByteArray::fromRawData(raw, qsizetype(std::strlen(raw))));
        // Matching first, so that only links whose names fit are looked at more closely.
        if (kind == EntryKind::Files && !pattern.matches(name))
            continue;
        if (known == Kind::Unknown && !hasKind(fd, raw, kind))
            continue;
        names.append(std::move(name));
    }
    if (cancelled && cancelled())
        return {};
    sortFileNames(&names);
    return names;
}

DirectoryScanner::DirectoryScanner(QObject *parent)
    : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("directory scan"));
    m_worker.moveToThread(&m_thread);
}

DirectoryScanner::~DirectoryScanner()
{
    cancel();
    m_thread.quit();
    m_thread.wait();
}

void DirectoryScanner::start(const DirectoryHandle &directory, EntryKind kind, const FileNamePattern &pattern)
{
    const quint64 request = ++m_latestRequest;
    m_busy = true;
    if (!m_thread.isRunning())
        m_thread.start();
    QMetaObject::invokeMethod(
        &m_worker,
        [this, request, directory, kind, pattern] {
            const auto overtaken = [this, request] { return m_latestRequest.load() != request; };
            const QStringList names = readDirectory(directory.get(), kind, pattern, overtaken);
            if (overtaken())
                return;
            QMetaObject::invokeMethod(
                this, [this, request, names] { deliver(request, names); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void DirectoryScanner::cancel()
{
    ++m_latestRequest;
    m_busy = false;
}

void DirectoryScanner::deliver(quint64 request, const QStringList &names)
{
    if (request != m_latestRequest.load())
        return;
    m_busy = false;
    emit finished(names);
}

DirectoryHandle openAbsoluteDirectory(const QString &path, QString *absolute, QString *error)
{
    *absolute = absoluteFilePath(path, error);
    return absolute->isEmpty() ? nullptr : openDirectory(*absolute, error);
}

} // namespace quibrel
