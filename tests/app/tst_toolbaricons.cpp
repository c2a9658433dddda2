// Toolbar pictures: ours (resources/icons/<button>.svg) unless the desktop's icon theme has the
// button's standard name; every picture readable at 16 and 24 pixels and told apart from the
// others.

#include "support/MainWindowHarness.h"

#include "app/Unit1.h"
#include "tools/Unit10.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

namespace
{

const QString ThemeName = QStringLiteral("tavro-test-theme");

QImage picture(const QIcon& icon, int size)
{
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage ownPicture(const QString& button, int size)
{
    return picture(QIcon(QStringLiteral(":/icons/%1.svg").arg(button)), size);
}

int paintedPixels(const QImage& image)
{
    int painted = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            painted += qAlpha(image.pixel(x, y)) > 0;
    }
    return painted;
}

// The 34 toolbar buttons in their order on the toolbar.
QList<QAction*> toolbarButtons(const TForm1& form)
{
    QList<QAction*> buttons;
    for (const char* row : {"ToolBar1Row1", "ToolBar1Row2"}) {
        for (QAction* item : form.findChild<QToolBar*>(row)->actions()) {
            if (!item->isSeparator())
                buttons << item;
        }
    }
    return buttons;
}

// An icon theme that holds a plain coloured square under each of the given names.
void writeTheme(const QString& folder, const QHash<QString, QColor>& pictures)
{
    QDir(folder).mkpath(ThemeName + QStringLiteral("/24x24/actions"));
    QFile index(QDir(folder).filePath(ThemeName + QStringLiteral("/index.theme")));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=Test\nDirectories=24x24/actions\n\n"
                "[24x24/actions]\nSize=24\nType=Fixed\n");
    index.close();
    for (auto it = pictures.cbegin(); it != pictures.cend(); ++it) {
        QImage square(24, 24, QImage::Format_ARGB32);
        square.fill(it.value());
        QVERIFY(square.save(QDir(folder).filePath(
            QStringLiteral("%1/24x24/actions/%2.png").arg(ThemeName, it.key()))));
    }
}

} // namespace

class TestToolbarIcons : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void everyPictureLoads();
    void withoutThemeEveryButtonShowsItsOwnPicture();
    void noTwoButtonsLookAlike();
    void themePictureWhereTheThemeHasTheStandardName();

private:
    QTemporaryDir m_themes;
};

// Without a theme: no search path holds one, whatever the machine has installed.
void TestToolbarIcons::init()
{
    QIcon::setThemeSearchPaths({m_themes.path()});
    QIcon::setThemeName(ThemeName);
}

void TestToolbarIcons::cleanup()
{
    QDir(m_themes.filePath(ThemeName)).removeRecursively();
}

void TestToolbarIcons::everyPictureLoads()
{
    MainWindowHarness h;
    QStringList expected;
    for (const QAction* button : toolbarButtons(*h.form1))
        expected << button->objectName() + QStringLiteral(".svg");
    QCOMPARE(expected.size(), 34);

    QStringList files;
    for (QDirIterator it(QStringLiteral(":/icons")); it.hasNext();) {
        const QString file = it.next();
        QSvgRenderer renderer(file);
        QVERIFY2(renderer.isValid(), qPrintable(file));
        QCOMPARE(renderer.viewBox(), QRect(0, 0, 24, 24));
        files << QFileInfo(file).fileName();
    }
    // One picture per button, none left over.
    files.sort();
    expected.sort();
    QCOMPARE(files, expected);
}

void TestToolbarIcons::withoutThemeEveryButtonShowsItsOwnPicture()
{
    MainWindowHarness h;
    for (const QAction* button : toolbarButtons(*h.form1)) {
        const QString name = button->objectName();
        QVERIFY2(!button->icon().isNull(), qPrintable(name));
        for (int size : {16, 24}) {
            const QImage shown = picture(button->icon(), size);
            QCOMPARE(shown.size(), QSize(size, size));
            // Something the eye can take in: a good part of the square is drawn.
            QVERIFY2(paintedPixels(shown) > size * size / 4, qPrintable(name));
            QVERIFY2(shown == ownPicture(name, size), qPrintable(name));
        }
    }
    // The Overview's Refresh takes the Reload button's picture.
    QVERIFY(picture(h.form10->ToolButton1->icon(), 24) == ownPicture("ReloadButton", 24));
}

void TestToolbarIcons::noTwoButtonsLookAlike()
{
    MainWindowHarness h;
    const QList<QAction*> buttons = toolbarButtons(*h.form1);
    for (int size : {16, 24}) {
        for (int i = 0; i < buttons.size(); ++i) {
            const QImage first = picture(buttons[i]->icon(), size);
            for (int j = i + 1; j < buttons.size(); ++j) {
                QVERIFY2(first != picture(buttons[j]->icon(), size),
                         qPrintable(buttons[i]->objectName() + " " + buttons[j]->objectName()));
            }
        }
    }
}

void TestToolbarIcons::themePictureWhereTheThemeHasTheStandardName()
{
    writeTheme(m_themes.path(),
               {{"document-new", Qt::red}, {"edit-copy", Qt::green}, {"view-refresh", Qt::blue}});
    MainWindowHarness h;
    auto shownColour = [&h](const char* button) {
        return picture(h.form1->findChild<QAction*>(button)->icon(), 24).pixelColor(12, 12);
    };
    QCOMPARE(shownColour("NewButton"), QColor(Qt::red));
    QCOMPARE(shownColour("CopyButton"), QColor(Qt::green));

    // A button whose standard name the theme lacks, and buttons that would share or misread
    // the theme's picture, keep ours.
    for (const char* own : {"SaveButton", "CopySButton", "ReloadButton"}) {
        const QImage shown = picture(h.form1->findChild<QAction*>(own)->icon(), 24);
        QVERIFY2(shown == ownPicture(own, 24), own);
    }
}

QTEST_MAIN(TestToolbarIcons)
#include "tst_toolbaricons.moc"
