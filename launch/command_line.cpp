#include "command_line.h"

#include "option_table.h"

#include <utility>

namespace quibrel {

namespace {

// Calls `add` with each group's words and the text that completes them (or null), in the emulator's order. A
// member without words gives nothing, and so does a custom member whose text is empty; the volume always
// goes.
template <typename Add> void forEachPiece(const LaunchSettings &settings, Add add)
{
    for (const OptionGroup &group : optionGroups()) {
        const QLatin1String words(group.words.at(group.chosen(settings)));
        const QString *text = group.completion(settings);
        if (!words.isEmpty() && !(group.member && text && text->isEmpty()))
            add(words, text);
    }
}

// Splits the option part of a command line as a C runtime does: blanks and tabs separate words (other white
// space, such as a no-break space, is part of a word), double quotes group them, three quotes in a row are
// one literal quote. A quote left open in one text runs on over the words after it, as on the command line.
class ArgumentWords {
public:
    void add(QLatin1String words, const QString *text)
    {
        add(u' ');
        if (!m_quoted && m_quotes == 0 && m_word.isEmpty())
            m_words += QString(words).split(u' ');
        else
            add(QString(words));
        if (text)
            add(u' ' + *text);
    }
    QStringList take()
    {
        if (!m_word.isEmpty())
            m_words << std::exchange(m_word, QString());
        return std::exchange(m_words, QStringList());
    }

private:
    void add(const QString &text)
    {
        for (const QChar c : text)
            add(c);
    }
    void add(QChar c)
    {
        if (c == u'"') {
            if (++m_quotes == 3) {
                m_quotes = 0;
                m_word += c;
            }
            return;
        }
        if (m_quotes == 1)
            m_quoted = !m_quoted;
        m_quotes = 0;
        if (!m_quoted && (c == u' ' || c == u'\t')) {
            if (!m_word.isEmpty())
                m_words << std::exchange(m_word, QString());
        } else {
            m_word += c;
        }
    }

    QStringList m_words;
    QString m_word;
    bool m_quoted = false;
    int m_quotes = 0;
};

QString emulatorPath(const QString &workingDirectory, QChar separator)
{
    return workingDirectory + separator + emulatorFileName;
}

QString gamePath(const LaunchSettings &s, QChar separator)
{
    return s.FileBoxPath + separator + s.lblGameSelected;
}

// The option pieces, each with its leading blank.
QString composeOptions(const LaunchSettings &settings)
{
    QString options;
    forEachPiece(settings, [&options](QLatin1String words, const QString *text) {
        options += QLatin1Char(' ') + words + (text ? QLatin1Char(' ') + *text : QString());
    });
    return options;
}

} // namespace

QString composeCommandLine(const LaunchSettings &settings, const QString &workingDirectory, QChar separator)
{
    return emulatorPath(workingDirectory, separator) + QLatin1Char(' ') + gamePath(settings, separator) +
           composeOptions(settings);
}

EmulatorCommand emulatorCommand(const LaunchSettings &settings, const QString &workingDirectory,
                                QChar separator)
{
    ArgumentWords words;
    forEachPiece(settings, [&words](QLatin1String each, const QString *text) { words.add(each, text); });
    return {emulatorPath(workingDirectory, separator),
            QStringList{gamePath(settings, separator)} + words.take(), composeOptions(settings)};
}

} // namespace quibrel
