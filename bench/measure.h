#pragma once

// What the benchmark programs share: one clock, one way to report a sample, one way to time a shell
// command, and a scratch folder removed with everything in it.

#include <QByteArray>
#include <QString>

namespace quibrel::bench {

// Milliseconds on CLOCK_MONOTONIC, the clock the stub emulator stamps its start with.
double monotonicMs();

// One measurement, "sample FIGURE SIDE VALUE" on standard output, read by bench_report.
void printSample(const char *figure, const char *side, double value);

// Wall time in milliseconds from starting `command` with /bin/sh -c to its end; negative when it could not be
// started or did not succeed.
double timeShellCommand(const QByteArray &command);

// Ends the process with a message when it has not finished in `seconds`: a benchmark must never hang the
// script (a message box opened by mistake would wait forever).
void setWatchdog(unsigned int seconds);

// The peak and current resident memory of this process, in KiB.
long peakRssKib();
long currentRssKib();

} // namespace quibrel::bench
