#include "prefs/Filters.h"

namespace
{

bool holdsAnyOf(const QString& text, const QString& characters)
{
    for (const QChar character : characters) {
        if (text.contains(character))
            return true;
    }
    return false;
}

} // namespace

QString FilterEntry(const QString& description, const QString& pattern)
{
    return description + QStringLiteral(" [") + pattern + u']';
}

QStringList FilterEntries(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries << FilterEntry(parts[i], parts[i + 1]);
    return entries;
}

QString FilterString(const QStringList& entries)
{
    QStringList parts;
    for (const QString& entry : entries) {
        // With no "[" at all the description is empty and the pattern is the entry less its
        // last character.
        const qsizetype bracket = entry.indexOf(u'[');
        parts << entry.left(qMax<qsizetype>(0, bracket - 1))
              << entry.mid(bracket + 1, qMax<qsizetype>(0, entry.size() - bracket - 2));
    }
    return parts.join(u'|');
}

bool IsValidFilter(const QString& description, const QString& pattern)
{
    const QString forbidden = QStringLiteral("|[]");
    return !description.isEmpty() && !holdsAnyOf(description, forbidden) &&
           pattern.contains(u'.') && !holdsAnyOf(pattern, forbidden);
}

QString CompletedPattern(const QString& pattern)
{
    return pattern.startsWith(u'.') ? u'*' + pattern : pattern;
}
