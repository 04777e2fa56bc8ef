#pragma once

// Records what the sound server really plays into the null sink, from the sink's monitor, and tells how long
// the sound in it was heard.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdlib>
#include <sndfile.h>
#include <vector>

class SinkRecorder {
public:
    static constexpr int rate = 22050;

    ~SinkRecorder()
    {
        if (m_recorder.state() != QProcess::NotRunning) {
            m_recorder.kill();
            m_recorder.waitForFinished();
        }
    }

    // Starts recording and returns once the server delivers to the recorder.
    bool start()
    {
        if (!m_folder.isValid())
            return false;
        // A low latency: otherwise the recorder holds up to two seconds that it never writes when ended.
        m_recorder.start(QStringLiteral("parec"),
                         {QStringLiteral("--device=null.monitor"), QStringLiteral("--latency-msec=20"),
                          QStringLiteral("--file-format=wav"), QStringLiteral("--format=s16le"),
                          QStringLiteral("--rate=%1").arg(rate), QStringLiteral("--channels=1"), path()});
        if (!m_recorder.waitForStarted())
            return false;
        // The header is written when the stream is up.
        QDeadlineTimer deadline(10000);
        while (QFile(path()).size() <= 0 && !deadline.hasExpired())
            QThread::msleep(10);
        QThread::msleep(100);
        return QFile(path()).size() > 0;
    }

    // Ends the recording and returns its samples.
    std::vector<short> stop()
    {
        ::kill(pid_t(m_recorder.processId()), SIGINT);
        if (!m_recorder.waitForFinished(10000))
            return {};
        SF_INFO info = {};
        SNDFILE *file = sf_open(QFile::encodeName(path()).constData(), SFM_READ, &info);
        if (!file)
            return {};
        std::vector<short> samples(size_t(info.frames) * size_t(info.channels));
        samples.resize(size_t(sf_read_short(file, samples.data(), sf_count_t(samples.size()))));
        sf_close(file);
        return samples;
    }

    // From the first to the last sample louder than `threshold`, in seconds.
    static double heardSeconds(const std::vector<short> &samples, int threshold = 1000)
    {
        size_t first = samples.size();
        size_t last = 0;
        for (size_t i = 0; i < samples.size(); ++i) {
            if (std::abs(samples[i]) > threshold) {
                first = std::min(first, i);
                last = i;
            }
        }
        return first < samples.size() ? double(last - first + 1) / rate : 0;
    }

private:
    QString path() const { return m_folder.filePath(QStringLiteral("heard.wav")); }

    QTemporaryDir m_folder;
    QProcess m_recorder;
};
