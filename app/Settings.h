#pragma once

#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// The values kept in tavro.ini, a file of exactly 20 lines whose meaning is fixed by line
// number.
struct Settings {
    QString fontName = QStringLiteral("Fixedsys");
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int fontSize = 8;
    QString openFilter =
        QStringLiteral("All files (*.*)|*.*|Text documents|*.txt|HTML files|*.htm*");
    QString saveFilter =
        QStringLiteral("Text documents|*.txt|HTML files|*.htm*|All files (*.*)|*.*");
    std::optional<QPoint> position; // none: centred on the screen
    bool showTheOpenFiles = false;
    bool alwaysMaximize = false;
    bool showToolbar = true;
    QColor highlightColor = QColor(255, 0, 0);
    int newWindowWidth = 640;
    int newWindowHeight = 460;
    bool openNew = true;
    QString toolbarBits = QStringLiteral("11101000101101110101110011111000001");
    bool defaultWordWrap = true;
    bool dontMoveCursor = false;
    QString browsFilt = QStringLiteral(".DOC,.EXE,.JPG,.GIF,.MP3,.BMP,.COM,.ZIP,.PDF,.RAR");
    QSize size = QSize(800, 600);
};

constexpr int SettingsLineCount = 20;
// The font sizes that can be chosen.
constexpr int MinimumFontSize = 6;
constexpr int MaximumFontSize = 32;

// The settings a file's lines give: the defaults unless there are exactly 20 lines. A
// number that does not parse keeps its default.
Settings ReadSettings(const QStringList& lines);
QStringList SettingsLines(const Settings& settings);

// The six highlight colours by name, in the order the Preferences dialog offers them.
const QStringList& HighlightColorNames();
// nullopt for a name that is not one of the six (case matters).
std::optional<QColor> HighlightColorByName(const QString& name);
// The name of one of the six colours; "Red" for any other.
QString HighlightColorName(const QColor& color);
