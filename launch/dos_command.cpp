#include "dos_command.h"

#include <QRegularExpression>

namespace quibrel {

namespace {

// The longest command tail DOS keeps: the blank before it and 125 bytes.
constexpr int longestTail = 126;

// Inside a DOSBox command a "%" starts a batch variable; "%%" is one "%".
QString batchText(QString text)
{
    return text.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

// The command that mounts `folder` as `drive`; empty, with the reason in `refusal`, where it cannot be.
QString mountCommand(QChar drive, const QString &folder, QString *refusal)
{
    if (!dosBoxCanMount(folder)) {
        *refusal =
            QStringLiteral("DOSBox cannot mount the folder %1: its name holds a double quote").arg(folder);
        return {};
    }
    return QStringLiteral("mount %1 \"%2\"").arg(drive, batchText(folder));
}

// The first of "<", ">" and "|" outside double quotes in `tail`, which DOS would take as a redirection or a
// pipe; null where there is none.
QChar redirection(const QString &tail)
{
    bool quoted = false;
    for (const QChar c : tail) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('|')))
            return c;
    }
    return {};
}

} // namespace

bool dosBoxCanMount(const QString &folder)
{
    return !folder.contains(QLatin1Char('"'));
}

bool isDosName(const QString &name)
{
    static const QRegularExpression dosName(QStringLiteral("^[A-Za-z0-9_-]{1,8}(\\.[A-Za-z0-9_-]{1,3})?$"));
    return dosName.match(name).hasMatch();
}

QString dosNameFor(const QString &name)
{
    static const QRegularExpression other(QStringLiteral("[^A-Z0-9_-]"));
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    QString base = (dot > 0 ? name.left(dot) : name).toUpper().remove(other).left(8);
    const QString extension = dot > 0 ? name.mid(dot + 1).toUpper().remove(other).left(3) : QString();
    if (base.isEmpty())
        base = QStringLiteral("GAME");
    return extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
}

QStringList dosboxArguments(const QString &workingFolder, const QString &program, const QString &gameFolder,
                            const QString &game, const QString &options, QString *refusal)
{
    const QString mountC = mountCommand(QLatin1Char('c'), workingFolder, refusal);
    const QString mountD = mountC.isEmpty() ? QString() : mountCommand(QLatin1Char('d'), gameFolder, refusal);
    if (mountD.isEmpty())
        return {};
    const QString tail = QStringLiteral("D:\\") + game + options;
    if (const QChar c = redirection(tail); !c.isNull()) {
        *refusal = QStringLiteral("DOS would take the \"%1\" in its options as a redirection; in "
                                  "double quotes it goes through")
                       .arg(c);
        return {};
    }
    const int length = 1 + int(tail.toUtf8().size());
    if (length > longestTail) {
        *refusal =
            QStringLiteral("its command tail for DOS would be %1 bytes long, and DOS takes at most %2: "
                           "shorten the custom texts")
                .arg(length)
                .arg(longestTail);
        return {};
    }
    const QString c = QStringLiteral("-c");
    return {QStringLiteral("-noautoexec"),
            c,
            QStringLiteral("@echo off"),
            c,
            mountC,
            c,
            mountD,
            c,
            QStringLiteral("c:"),
            c,
            program + QLatin1Char(' ') + batchText(tail),
            c,
            QStringLiteral("exit")};
}

} // namespace quibrel
