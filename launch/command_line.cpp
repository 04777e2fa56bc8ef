#include "command_line.h"

#include "option_table.h"

#include <utility>

namespace quibrel {

namespace {

// What one group gives: its chosen member's words, then the text that completes the member, if any.
struct Piece {
    QLatin1String words;
    const QString *text;
};

// Calls `add` with each group's piece, in the emulator's order. A member without words gives nothing, and so
// does a custom member whose text is empty; the volume always gives its words and text.
template <typename Add> void forEachPiece(const LaunchSettings &settings, Add add)
{
    for (const OptionGroup &group : optionGroups()) {
        const Piece piece{QLatin1String(group.words.at(group.chosen(settings))), group.completion(settings)};
        if (piece.words.isEmpty() || (group.member && piece.text && piece.text->isEmpty()))
            continue;
        add(piece);
    }
}

// Splits the option part of a command line as a C runtime does: blanks and tabs separate words (other white
// space, such as a no-break space, is part of a word), double quotes group them, three quotes in a row are
// one literal quote. A quote left open in one text runs on over the words after it, as on the command line.
class ArgumentWords {
public:
    void addWords(QLatin1String words)
    {
        add(u' ');
        if (!m_quoted && m_quotes == 0 && m_word.isEmpty())
            m_words += QString(words).split(u' ');
        else
            add(QString(words));
    }
    void addText(const QString &text)
    {
        add(u' ');
        add(text);
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

} // namespace

QString composeCommandLine(const LaunchSettings &settings, const QString &workingDirectory, QChar separator)
{
    QString line =
        emulatorPath(workingDirectory, separator) + QLatin1Char(' ') + gamePath(settings, separator);
    forEachPiece(settings, [&line](const Piece &piece) {
        line += QLatin1Char(' ') + piece.words;
        if (piece.text)
            line += QLatin1Char(' ') + *piece.text;
    });
    return line;
}

EmulatorCommand emulatorCommand(const LaunchSettings &settings, const QString &workingDirectory,
                                QChar separator)
{
    ArgumentWords words;
    forEachPiece(settings, [&words](const Piece &piece) {
        words.addWords(piece.words);
        if (piece.text)
            words.addText(*piece.text);
    });
    return {emulatorPath(workingDirectory, separator),
            QStringList{gamePath(settings, separator)} + words.take()};
}

} // namespace quibrel
