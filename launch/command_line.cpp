#include "command_line.h"

#include <utility>

namespace quibrel {

namespace {

// A custom group adds its literal and text only while its custom button is set and the text is not empty.
QString customPiece(bool customSet, const char *literal, const QString &text)
{
    if (!customSet || text.isEmpty())
        return {};
    return QLatin1String(literal) + text;
}

const char *stereoPiece(Stereo stereo)
{
    switch (stereo) {
    case Stereo::optStereoMono: return " -stereo 0";
    case Stereo::optStereoNormal: return "";
    case Stereo::optStereoReversed: return " -stereo 2";
    }
    return "";
}

const char *verbosePiece(Verbose verbose)
{
    switch (verbose) {
    case Verbose::optVerbose0: return " -verbose 0";
    case Verbose::optVerbose1: return "";
    case Verbose::optVerbose2: return " -verbose 2";
    case Verbose::optVerbose4: return " -verbose 4";
    case Verbose::optVerbose8: return " -verbose 8";
    }
    return "";
}

const char *videoPiece(Video video)
{
    switch (video) {
    case Video::optVideo0: return "";
    case Video::optVideo1: return " -video 1";
    case Video::optVideo2: return " -video 2";
    case Video::optVideo3: return " -video 3";
    case Video::optVideo4: return " -video 4";
    case Video::optVideo5: return " -video 5";
    }
    return "";
}

} // namespace

QString optionPieces(const LaunchSettings &s)
{
    QString pieces;
    pieces += customPiece(s.frmVPeriod == VPeriod::optVPeriodCustom, " -vperiod ", s.txtVPeriodCustom);
    pieces += customPiece(s.frmUPeriod == UPeriod::optUPeriodCustom, " -uperiod ", s.txtUPeriodCustom);
    if (s.frmScreenRefresh == ScreenRefresh::optNoDelay)
        pieces += QLatin1String(" -nodelay");
    if (s.frmSound == Sound::optNoSound)
        pieces += QLatin1String(" -sound 0");
    pieces += QLatin1String(stereoPiece(s.frmStereo));
    pieces += QLatin1String(" -volume ") + s.lblVolume;
    if (s.frmJoystick == Joystick::optJoystickAutodetected)
        pieces += QLatin1String(" -joystick 1");
    pieces += customPiece(s.frmIfreq == Ifreq::optIfreqCustom, " -ifreq ", s.txtIfreqCustom);
    pieces += QLatin1String(verbosePiece(s.frmVerbose));
    pieces += customPiece(s.frmCheat == Cheat::optCheat, " -cheat ", s.txtCheat);
    pieces += customPiece(s.frmBg == Bg::optBgCustom, " -background ", s.txtBgCustom);
    pieces += QLatin1String(videoPiece(s.frmVideo));
    pieces += customPiece(s.frmKeys == Keys::optKeysCustom, " -keys ", s.txtKeysCustom);
    return pieces;
}

namespace {
// As a C runtime splits its command line: blanks and tabs separate words (other white space, such as a
// no-break space, is part of a word), double quotes group them, three quotes in a row are one literal quote.
QStringList splitWords(const QString &text)
{
    QStringList words;
    QString word;
    bool quoted = false;
    int quotes = 0;
    for (const QChar c : text) {
        if (c == u'"') {
            if (++quotes == 3) {
                quotes = 0;
                word += c;
            }
            continue;
        }
        if (quotes == 1)
            quoted = !quoted;
        quotes = 0;
        if (!quoted && (c == u' ' || c == u'\t')) {
            if (!word.isEmpty())
                words << std::exchange(word, QString());
        } else {
            word += c;
        }
    }
    if (!word.isEmpty())
        words << word;
    return words;
}

QString emulatorPath(const QString &workingDirectory, QChar separator)
{
    return workingDirectory + separator + emulatorFileName;
}

QString gamePath(const LaunchSettings &s, QChar separator)
{
    return s.FileBoxPath + separator + s.lblGameSelected;
}
} // namespace

QString composeCommandLine(const LaunchSettings &settings, const QString &workingDirectory, QChar separator)
{
    return emulatorPath(workingDirectory, separator) + QLatin1Char(' ') + gamePath(settings, separator)
           + optionPieces(settings);
}

EmulatorCommand emulatorCommand(const LaunchSettings &settings, const QString &workingDirectory,
                                QChar separator)
{
    EmulatorCommand command;
    command.program = emulatorPath(workingDirectory, separator);
    command.arguments << gamePath(settings, separator);
    command.arguments += splitWords(optionPieces(settings));
    return command;
}

} // namespace quibrel
