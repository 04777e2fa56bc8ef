#pragma once

#include <QString>
#include <QStringList>

namespace quibrel {

// A file-name pattern such as "*.gb", or several joined by ";" ("*.gb;*.gbc"). `*` stands for any run of
// characters, `?` for one; letters match regardless of case, so "*.gb" takes PUZZLE.GB too. "*.*" and the
// empty pattern take every name, as users of drive-letter systems expect.
class FileNamePattern {
public:
    explicit FileNamePattern(const QString &pattern = QStringLiteral("*"));
    bool matches(QStringView name) const;

private:
    QStringList m_alternatives; // case-folded
};

// The order of the lists: by name regardless of case, ties broken by the exact text so that the order is
// total. A plain comparison of folded characters, not a locale collator: it is cheap enough for folders of
// thousands of games.
bool fileNameLess(const QString &a, const QString &b);
void sortFileNames(QStringList *names);
// Where `name` stands in `names`, which are sorted with fileNameLess; -1 when it is not there. A binary
// search, which finds a name among its case variants only because the order is total.
qsizetype indexOfFileName(const QStringList &names, const QString &name);

// A name as the lists show it: control characters (a newline in a name) and bytes that are not UTF-8 are
// drawn as U+FFFD, so that each name takes one line. Only for drawing: the lists hand back the real name.
QString displayFileName(const QString &name);

} // namespace quibrel
