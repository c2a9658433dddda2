#include "app/Settings.h"

#include <utility>

namespace
{

const std::pair<const char*, QRgb> HighlightColors[] = {
    {"Red", qRgb(255, 0, 0)},    {"Purple", qRgb(128, 0, 128)},  {"Blue", qRgb(0, 0, 255)},
    {"Maroon", qRgb(128, 0, 0)}, {"Fuchsia", qRgb(255, 0, 255)}, {"Navy", qRgb(0, 0, 128)},
};

std::optional<int> toInt(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// "a<separator>b" as two integers; nullopt when either does not parse.
std::optional<std::pair<int, int>> toIntPair(const QString& line, QChar separator)
{
    const qsizetype at = line.indexOf(separator);
    if (at < 0)
        return std::nullopt;
    const auto first = toInt(line.left(at));
    const auto second = toInt(line.mid(at + 1));
    if (!first || !second)
        return std::nullopt;
    return std::make_pair(*first, *second);
}

QString flag(const char* key, bool on)
{
    return QString::fromLatin1(key) + (on ? QStringLiteral("=1") : QStringLiteral("=0"));
}

bool isFlagOn(const QString& line, const char* key)
{
    return line == QString::fromLatin1(key) + QStringLiteral("=1");
}

// A maximized window reported its position as -4.
int positionValue(int value)
{
    return value == -4 ? 100 : value;
}

} // namespace

Settings ReadSettings(const QStringList& lines)
{
    Settings s;
    if (lines.size() != SettingsLineCount)
        return s;
    s.fontName = lines[1];
    s.bold = lines[2].contains(u'B');
    s.italic = lines[2].contains(u'I');
    s.underline = lines[2].contains(u'U');
    s.fontSize = qBound(MinimumFontSize, toInt(lines[3]).value_or(s.fontSize), MaximumFontSize);
    s.openFilter = lines[5];
    s.saveFilter = lines[6];
    if (const auto position = toIntPair(lines[8], u','))
        s.position = QPoint(positionValue(position->first), positionValue(position->second));
    s.showTheOpenFiles = isFlagOn(lines[9], "ShowTheOpenFiles");
    s.alwaysMaximize = isFlagOn(lines[10], "AlwaysMaximize");
    s.showToolbar = isFlagOn(lines[11], "ShowToolbar");
    s.highlightColor = HighlightColorByName(lines[12]).value_or(QColor(255, 0, 0));
    if (const auto size = toIntPair(lines[13], u',')) {
        s.newWindowWidth = size->first;
        s.newWindowHeight = size->second;
    }
    s.openNew = isFlagOn(lines[14], "OpenNew");
    s.toolbarBits = lines[15];
    s.defaultWordWrap = isFlagOn(lines[16], "WordWrap");
    s.dontMoveCursor = isFlagOn(lines[17], "MoveCursor");
    s.browsFilt = lines[18].mid(lines[18].indexOf(u'=') + 1);
    if (const auto size = toIntPair(lines[19], u'x'))
        s.size = QSize(size->first, size->second);
    return s;
}

QStringList SettingsLines(const Settings& s)
{
    QString style;
    if (s.bold)
        style += u'B';
    if (s.italic)
        style += u'I';
    if (s.underline)
        style += u'U';
    const QPoint position = s.position.value_or(QPoint(100, 100));
    return {
        QStringLiteral("[FONT]"),
        s.fontName,
        style,
        QString::number(s.fontSize),
        QStringLiteral("[FILTERS]"),
        s.openFilter,
        s.saveFilter,
        QStringLiteral("[MISC]"),
        QStringLiteral("%1,%2").arg(position.x()).arg(position.y()),
        flag("ShowTheOpenFiles", s.showTheOpenFiles),
        flag("AlwaysMaximize", s.alwaysMaximize),
        flag("ShowToolbar", s.showToolbar),
        HighlightColorName(s.highlightColor),
        QStringLiteral("%1,%2").arg(s.newWindowWidth).arg(s.newWindowHeight),
        flag("OpenNew", s.openNew),
        s.toolbarBits,
        flag("WordWrap", s.defaultWordWrap),
        flag("MoveCursor", s.dontMoveCursor),
        QStringLiteral("BrowsFilt=") + s.browsFilt,
        QStringLiteral("%1x%2").arg(s.size.width()).arg(s.size.height()),
    };
}

const QStringList& HighlightColorNames()
{
    static const QStringList names = [] {
        QStringList list;
        for (const auto& [name, rgb] : HighlightColors)
            list << QString::fromLatin1(name);
        return list;
    }();
    return names;
}

std::optional<QColor> HighlightColorByName(const QString& name)
{
    for (const auto& [colorName, rgb] : HighlightColors) {
        if (name == QLatin1String(colorName))
            return QColor::fromRgb(rgb);
    }
    return std::nullopt;
}

QString HighlightColorName(const QColor& color)
{
    for (const auto& [name, rgb] : HighlightColors) {
        if (color.rgb() == rgb)
            return QString::fromLatin1(name);
    }
    return QStringLiteral("Red");
}
