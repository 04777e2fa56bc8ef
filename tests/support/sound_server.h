#pragma once

// Asks the sound server what it is playing, with pactl.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTest>

// Runs pactl against the default server, or against `server` when one is given.
inline bool pactl(const QStringList &arguments, QByteArray *output = nullptr, const QString &server = {})
{
    QProcess process;
    if (!server.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PULSE_SERVER"), server);
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral("pactl"), arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return false;
    if (output)
        *output = process.readAllStandardOutput();
    return true;
}

inline bool soundServerAnswers(const QString &server = {})
{
    return pactl({QStringLiteral("info")}, nullptr, server);
}

// The playback streams that the sound server holds for the process `pid`; -1 when it cannot be asked.
inline int streamsOfProcess(qint64 pid)
{
    QByteArray output;
    if (!pactl({QStringLiteral("--format=json"), QStringLiteral("list"), QStringLiteral("sink-inputs")},
               &output))
        return -1;
    int streams = 0;
    for (const QJsonValue &input : QJsonDocument::fromJson(output).array()) {
        const QJsonObject properties = input[QLatin1String("properties")].toObject();
        if (properties[QLatin1String("application.process.id")].toString() == QString::number(pid))
            ++streams;
    }
    return streams;
}

// Without a sound server a sound test cannot show anything, and is skipped. scripts/test always starts one
// and points PULSE_SERVER at it: there, a server that does not answer fails the test instead of skipping it.
#define REQUIRE_SOUND_SERVER(answers)                                                                        \
    do {                                                                                                     \
        if (!(answers)) {                                                                                    \
            if (qEnvironmentVariableIsSet("PULSE_SERVER"))                                                   \
                QFAIL("PULSE_SERVER is set, but no sound server answers there");                             \
            QSKIP("No sound server: start one (scripts/virtual-session start_sound) or run scripts/test");   \
        }                                                                                                    \
    } while (false)
