// The About window and the decoding of its picture.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"

#include "app/Unit1.h"
#include "tools/JpegImage.h"
#include "tools/Unit2.h"

#include <QApplication>
#include <QBuffer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResource>
#include <QScreen>
#include <QTest>

namespace
{

QByteArray embeddedPicture()
{
    return QResource(QStringLiteral(":/about.jpg")).uncompressedData();
}

QByteArray encoded(const QImage& image)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "JPEG", 100) ? buffer.data() : QByteArray();
}

// Where the segment of a marker begins, after the marker's two bytes.
qsizetype segmentStart(const QByteArray& jpeg, char marker)
{
    return jpeg.indexOf(QByteArray("\xff") + marker) + 2;
}

// Baseline frame header: length (2), precision (1), height (2), width (2).
QByteArray withSides(QByteArray jpeg, int side)
{
    const qsizetype frame = segmentStart(jpeg, '\xc0');
    const char bytes[] = {char(side >> 8), char(side & 0xff), char(side >> 8), char(side & 0xff)};
    return jpeg.replace(frame + 3, 4, bytes, 4);
}

bool near(QColor actual, QColor expected)
{
    return qAbs(actual.red() - expected.red()) + qAbs(actual.green() - expected.green()) +
               qAbs(actual.blue() - expected.blue()) <=
           24;
}

// A key pressed on the keyboard goes to the widget with the focus.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

bool showAbout(MainWindowHarness& h)
{
    if (!h.show() || !triggerAction(h.form1.get(), "About1"))
        return false;
    // Waiting for the window itself: Qt counts it active while its owner is.
    return QTest::qWaitFor([&h] { return QApplication::activeWindow() == h.form2; }) &&
           !h.form1->isEnabled();
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesGrayAndColour();
    void badDataGivesNoPicture_data();
    void badDataGivesNoPicture();
    void windowContents();
    void linksByMouseAndKeyboard();
    void closingEnablesMainWindow_data();
    void closingEnablesMainWindow();
};

// Odd widths, so that rows are padded.
void TestAbout::decodesGrayAndColour()
{
    QString error = "stale";
    QCOMPARE(DecodeJpeg(embeddedPicture(), &error).size(), QSize(140, 185));
    QVERIFY(error.isEmpty());

    QImage gray(61, 17, QImage::Format_Grayscale8);
    gray.fill(100);
    const QImage grayDecoded = DecodeJpeg(encoded(gray));
    QCOMPARE(grayDecoded.format(), QImage::Format_Grayscale8);
    QVERIFY(near(grayDecoded.pixelColor(60, 16), QColor(100, 100, 100)));

    const QColor red(200, 30, 40);
    const QColor blue(30, 60, 210);
    QImage colour(61, 17, QImage::Format_RGB32);
    colour.fill(red);
    for (int y = 0; y < colour.height(); ++y)
        for (int x = 32; x < colour.width(); ++x)
            colour.setPixelColor(x, y, blue);
    const QImage colourDecoded = DecodeJpeg(encoded(colour));
    QCOMPARE(colourDecoded.size(), colour.size());
    QVERIFY(near(colourDecoded.pixelColor(8, 12), red) &&
            near(colourDecoded.pixelColor(56, 12), blue));
}

void TestAbout::badDataGivesNoPicture_data()
{
    QByteArray picture = embeddedPicture();
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("not a picture") << QByteArray("Tavro 2.1a") << "Not a JPEG file";
    QTest::newRow("header only") << picture.left(segmentStart(picture, '\xda')) << "";
    QTest::newRow("truncated") << picture.left(picture.size() / 2) << "Premature end";
    QTest::newRow("too large") << withSides(picture, 60000) << "larger than 4096 x 4096";
    // An end-of-image marker in the middle of the compressed pixels.
    const qsizetype middle = (segmentStart(picture, '\xda') + picture.size()) / 2;
    QTest::newRow("corrupt") << picture.replace(middle, 2, "\xff\xd9") << "Corrupt JPEG data";
}

// Each case comes back to the test: libjpeg never ends the process.
void TestAbout::badDataGivesNoPicture()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, reason);
    QString error;
    QVERIFY(DecodeJpeg(data, &error).isNull());
    QVERIFY2(!error.isEmpty() && error.contains(reason), qPrintable(error));
}

void TestAbout::windowContents()
{
    MainWindowHarness h;
    QVERIFY(showAbout(h));
    TForm2& about = *h.form2;
    QCOMPARE(about.windowTitle(), "About Tavro");
    QVERIFY(about.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // Centred as far as the window's frame is known when it is placed.
    const QRect screen = about.screen()->availableGeometry();
    QVERIFY((about.geometry().center() - screen.center()).manhattanLength() <= 8);

    QCOMPARE(about.Image1->pixmap().size(), QSize(140, 185));
    QCOMPARE(about.Label3->text(), "Tavro 2.1a");
    const QStringList notice = about.Memo1->toPlainText().split('\n');
    QCOMPARE(notice.size(), 4);
    QVERIFY(notice[0].contains("2026") && notice[2].isEmpty() && notice[3].contains("freeware"));
    QVERIFY(!about.Panel1->isEnabled() && about.Memo1->isReadOnly());
    QCOMPARE(about.Label1->text(), "Go to download page >>");
    QCOMPARE(about.Label2->text(), "Comment or report a bug >>");
    QCOMPARE(about.Button1->text(), "OK");
    QVERIFY(about.Button1->isDefault() && about.Button1->hasFocus());
}

// Enter or Space on a link follows it and leaves the window open; Tab goes round the two
// links and OK.
void TestAbout::linksByMouseAndKeyboard()
{
    MainWindowHarness h;
    QVERIFY(showAbout(h));
    TForm2& about = *h.form2;
    const QString download = DownloadPageAddress();
    const QString mail = "mailto:" + BugMailbox() + "?subject=Tavro 2.1";
    QVERIFY(download.startsWith("https://") && !BugMailbox().isEmpty());

    QTest::mouseClick(about.Label1, Qt::LeftButton);
    QTest::mouseClick(about.Label2, Qt::LeftButton);
    QTest::mouseClick(about.Label2, Qt::RightButton);
    QCOMPARE(h.shell.openedPaths, QStringList({download, mail}));

    h.shell.openedPaths.clear();
    press(Qt::Key_Tab);
    QVERIFY(about.Label1->hasFocus());
    press(Qt::Key_Return);
    press(Qt::Key_Tab);
    QVERIFY(about.Label2->hasFocus());
    press(Qt::Key_Space);
    press(Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(h.shell.openedPaths, QStringList({download, mail, mail}));
    QVERIFY(about.isVisible());
    press(Qt::Key_Tab);
    QVERIFY(about.Button1->hasFocus());
}

void TestAbout::closingEnablesMainWindow_data()
{
    QTest::addColumn<QString>("way");
    for (const char* way : {"OK", "Enter", "Esc", "close box"})
        QTest::newRow(way) << way;
}

void TestAbout::closingEnablesMainWindow()
{
    QFETCH(QString, way);
    MainWindowHarness h;
    QVERIFY(showAbout(h));
    if (way == "OK")
        QTest::mouseClick(h.form2->Button1, Qt::LeftButton);
    else if (way == "Enter")
        press(Qt::Key_Return);
    else if (way == "Esc")
        press(Qt::Key_Escape);
    else
        QVERIFY(h.form2->close());
    QVERIFY(!h.form2->isVisible() && h.form1->isEnabled());
    QVERIFY(h.shell.openedPaths.isEmpty());
    QVERIFY(showAbout(h)); // and it shows again
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
