#pragma once

// Installs the recording stub as Zemu.exe in a directory and reads back what it received.

#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QString>
#include <QThread>

class StubEmulator {
public:
    // Copies the stub into `directory` as `fileName`; records go to `directory`/args.rec.
    explicit StubEmulator(const QString &directory, const QString &fileName = QStringLiteral("Zemu.exe"))
        : m_directory(directory)
        , m_fileName(fileName)
    {
        QFile::remove(programPath());
        QFile::copy(QStringLiteral(QUIBREL_STUB_EMULATOR), programPath());
        QFile::setPermissions(programPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("QUIBREL_STUB_RECORD", QFile::encodeName(recordPath()));
    }

    QString programPath() const { return m_directory + QLatin1Char('/') + m_fileName; }
    QString recordPath() const { return m_directory + QStringLiteral("/args.rec"); }

    void clearRecord() const { QFile::remove(recordPath()); }

    // The argument vector of the last run, program first; empty when it did not run within the timeout.
    QByteArrayList waitForRecord(int timeoutMs = 10000) const
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!QFile::exists(recordPath()) && !deadline.hasExpired())
            QThread::msleep(5);
        QFile file(recordPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QByteArray data = file.readAll();
        if (data.endsWith('\0'))
            data.chop(1);
        return data.split('\0');
    }

    // Waits `ms` and tells whether the stub ran in that time.
    bool ranWithin(int ms) const
    {
        QThread::msleep(ms);
        return QFile::exists(recordPath());
    }

private:
    QString m_directory;
    QString m_fileName;
};
