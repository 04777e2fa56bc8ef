#include "file_names.h"

#include <algorithm>

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

qsizetype indexOfFileName(const QStringList &names, const QString &name)
{
    const auto found = std::lower_bound(names.cbegin(), names.cend(), name, fileNameLess);
    return found != names.cend() && *found == name ? found - names.cbegin() : -1;
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

} // namespace quibrel
