// The Overview: splitting and chunking the text, the rows of each chunk, the click mapping,
// and the window that draws the picture of the active document.

#include "support/MainWindowHarness.h"
#include "support/TestActions.h"
#include "support/TestQueries.h"

#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "tools/OverviewLayout.h"
#include "tools/Unit10.h"

#include <QAction>
#include <QImage>
#include <QMdiSubWindow>
#include <QPainter>
#include <QProgressBar>
#include <QScrollArea>
#include <QTest>
#include <QTextLayout>

namespace
{

// Screen lines of 10 characters, each 20 page pixels (4 rows) high.
LineLayout tenCharacterLines(QStringView line)
{
    LineLayout layout;
    for (qsizetype start = 0; start < line.size() || layout.isEmpty(); start += 10)
        layout << VisualLine{int(qMin<qsizetype>(10, line.size() - start)), 20.0};
    return layout;
}

// Where a click at row y of the whole picture of the lines goes.
qint64 positionAt(OverviewMetrics& metrics, const QList<QStringView>& lines, int y)
{
    OverviewLayoutPass pass(metrics, lines);
    pass.Finish();
    return OverviewPositionAt(metrics, lines, pass.Chunks(), y);
}

QStringList linesOf(const QString& text)
{
    QStringList result;
    for (QStringView line : SplitOverviewLines(text))
        result << line.toString();
    return result;
}

QString numberedLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("line %1").arg(i);
    return lines.join(QStringLiteral("\r\n"));
}

// A whole line laid out at once on the overview's page, as a reference; returns its height.
qreal layOutWhole(QTextLayout& layout)
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(15);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(48);
    layout.setFont(font);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine visual = layout.createLine(); visual.isValid(); visual = layout.createLine()) {
        visual.setLineWidth(Overview::PageWidth);
        visual.setPosition(QPointF(0, y));
        y += visual.height();
    }
    layout.endLayout();
    return y;
}

// The picture of one chunk of lines, each laid out whole, drawn at the scale below row top.
QImage referenceChunk(const QStringList& lines, int top, int rows)
{
    QImage image(Overview::PictureWidth, top + rows, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setClipRect(QRect(0, top, Overview::CopiedWidth, rows));
    painter.translate(0, top);
    painter.scale(Overview::Scale, Overview::Scale);
    qreal y = 0;
    for (const QString& line : lines) {
        QTextLayout layout(line);
        const qreal height = layOutWhole(layout);
        layout.draw(&painter, QPointF(0, y));
        y += height;
    }
    return image;
}

// The picture as drawn, on white.
QImage pictureOf(const TForm10& form)
{
    QImage image(form.Image2->size(), QImage::Format_RGB32);
    form.Image2->render(&image);
    return image;
}

bool rowIsWhite(const QImage& image, int row, int fromColumn = 0)
{
    for (int x = fromColumn; x < image.width(); ++x) {
        if (image.pixel(x, row) != qRgb(255, 255, 255))
            return false;
    }
    return true;
}

} // namespace

class TestOverview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsAtLineBreaksOnly();
    void chunksHoldElevenLines();
    void chunkRowsFollowTheLaidOutHeight();
    void clickMapsToTheScreenLineAtThatHeight();
    void repeatedLinesAreLaidOutOnce();
    void longLinesWrapAsAWhole_data();
    void longLinesWrapAsAWhole();
    void emptyLineIsOneScreenLine();
    void refreshDrawsTheActiveDocument();
    void longLineIsDrawnWhereverItIsInView_data();
    void longLineIsDrawnWhereverItIsInView();
    void refreshOfAnEmptyDocumentWarns();
    void clickMovesTheCaretOfThePicturedDocument();
    void clickAfterThePicturedDocumentClosedDoesNothing();
    void longDocumentIsDrawnInSteps();
    void showOverviewMarkFollowsTheWindow();
};

void TestOverview::splitsAtLineBreaksOnly()
{
    QCOMPARE(linesOf(QString()), QStringList());
    QCOMPARE(linesOf("a"), QStringList({"a"}));
    QCOMPARE(linesOf("a\r\n"), QStringList({"a"}));
    QCOMPARE(linesOf("a\r\n\r\nb"), QStringList({"a", "", "b"}));
    QCOMPARE(linesOf("\r\n"), QStringList({""}));
    // A CR or an LF alone belongs to its line.
    QCOMPARE(linesOf("a\rb\nc\r\nd\r"), QStringList({"a\rb\nc", "d\r"}));
}

void TestOverview::chunksHoldElevenLines()
{
    OverviewMetrics metrics(tenCharacterLines);
    const QString one = QStringLiteral("only");
    const QList<QStringView> oneLine = SplitOverviewLines(one);
    OverviewLayoutPass single(metrics, oneLine);
    single.Finish();
    QCOMPARE(single.Chunks().size(), 1);
    QCOMPARE(single.Chunks().at(0).first, 0);
    QCOMPARE(single.Chunks().at(0).last, 0);

    const QString twelve = numberedLines(12);
    const QList<QStringView> twelveLines = SplitOverviewLines(twelve);
    OverviewLayoutPass pass(metrics, twelveLines);
    pass.Finish();
    QCOMPARE(pass.Chunks().size(), 2);
    QCOMPARE(pass.Chunks().at(0).first, 0);
    QCOMPARE(pass.Chunks().at(0).last, 10);
    QCOMPARE(pass.Chunks().at(1).first, 11);
    QCOMPARE(pass.Chunks().at(1).last, 11);
    // The first row stays empty; each chunk starts where the one above ends.
    QCOMPARE(pass.Chunks().at(0).top, Overview::FirstRow);
    QCOMPARE(pass.Chunks().at(1).top, Overview::FirstRow + pass.Chunks().at(0).rows);
    QCOMPARE(pass.Height(), pass.Chunks().at(1).top + pass.Chunks().at(1).rows);

    QCOMPARE(ChunkLastLine(0, 11), 10);
    QCOMPARE(ChunkLastLine(22, 23), 22);
    QCOMPARE(ChunkLastLine(INT_MAX - 3, INT_MAX), INT_MAX - 1);
}

void TestOverview::chunkRowsFollowTheLaidOutHeight()
{
    OverviewMetrics metrics(tenCharacterLines);
    // 25 characters wrap to three screen lines: 60 page pixels, 12 rows.
    const QString text = QString(25, u'x') + QStringLiteral("\r\n\r\nshort");
    const QList<QStringView> lines = SplitOverviewLines(text);
    QCOMPARE(ChunkRows(metrics, lines, 0, 0), 12);
    QCOMPARE(ChunkRows(metrics, lines, 0, 2), 20);

    // Heights at the scale are rounded up, but 85 * 0.2 is 17 rows, not 18.
    OverviewMetrics uneven([](QStringView) { return LineLayout{{1, 42.5}}; });
    const QString two = QStringLiteral("a\r\nb");
    QCOMPARE(ChunkRows(uneven, SplitOverviewLines(two), 0, 1), 17);
    const QString one = QStringLiteral("a");
    QCOMPARE(ChunkRows(uneven, SplitOverviewLines(one), 0, 0), 9);
}

void TestOverview::clickMapsToTheScreenLineAtThatHeight()
{
    OverviewMetrics metrics(tenCharacterLines);
    // Line 0 wraps to "0123456789" and "abcde"; the other lines are short.
    QString text = QStringLiteral("0123456789abcde");
    for (int i = 1; i < 14; ++i)
        text += QStringLiteral("\r\nL%1").arg(i, 2, 10, QChar(u'0'));
    const QList<QStringView> lines = SplitOverviewLines(text);
    // Rows: the first chunk starts at row 1; every screen line is 4 rows high.
    QCOMPARE(positionAt(metrics, lines, 0), 0);
    QCOMPARE(positionAt(metrics, lines, 4), 0);
    QCOMPARE(positionAt(metrics, lines, 5), 10);  // "abcde"
    QCOMPARE(positionAt(metrics, lines, 9), 17);  // "L01", after the break
    QCOMPARE(positionAt(metrics, lines, 12), 17); // still on "L01"
    QCOMPARE(positionAt(metrics, lines, 13), 22); // "L02"
    // The second chunk (lines 11 to 13) starts at row 1 + 12 screen lines * 4 = 49.
    const qint64 line11 = 17 + 10 * 5;
    QCOMPARE(text.mid(int(line11), 3), QStringLiteral("L11"));
    QCOMPARE(positionAt(metrics, lines, 48), line11 - 5);
    QCOMPARE(positionAt(metrics, lines, 49), line11);
    QCOMPARE(positionAt(metrics, lines, 53), line11 + 5);
    // Below the last chunk: at or past the end of the text.
    QVERIFY(positionAt(metrics, lines, 61) >= text.size());
    QVERIFY(positionAt(metrics, lines, INT_MAX) >= text.size());
    QCOMPARE(positionAt(metrics, {}, 10), 0);
}

void TestOverview::repeatedLinesAreLaidOutOnce()
{
    int measured = 0;
    OverviewMetrics metrics([&measured](QStringView line) {
        ++measured;
        return tenCharacterLines(line);
    });
    const QString text = QStringLiteral("same\r\nsame\r\nother\r\nsame");
    const QList<QStringView> lines = SplitOverviewLines(text);
    OverviewLayoutPass(metrics, lines).Finish();
    QCOMPARE(measured, 2);
    positionAt(metrics, lines, 7);
    QCOMPARE(measured, 2);
}

// Laid out in pieces, a long line breaks into the same screen lines as laid out at once.
void TestOverview::longLinesWrapAsAWhole_data()
{
    QTest::addColumn<QString>("line");
    QString words;
    for (int i = 0; words.size() < 100000; ++i)
        words += (i % 7 == 0 ? QStringLiteral("\t") : QString()) + QString(1 + i % 13, u'w') + u' ';
    QTest::newRow("words and tabs") << words;
    // No break in the first pieces: they are made larger, not cut into screen lines.
    QTest::newRow("zero-width run") << QString(70000, QChar(0x200B)) + words.left(5000);
    QString mixed;
    while (mixed.size() < 80000)
        mixed += QString::fromUtf8(
            "\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d abc \xd7\xa2\xd7\x95\xd7\x9c\xd7\x9d ");
    QTest::newRow("right to left with Latin") << mixed;
}

// Laid out in pieces, a long line breaks into the same screen lines as laid out at once.
void TestOverview::longLinesWrapAsAWhole()
{
    QFETCH(QString, line);
    const LineLayout pieces = MeasureOverviewLine(line);

    QTextLayout whole(line);
    layOutWhole(whole);

    QCOMPARE(pieces.size(), whole.lineCount());
    for (int i = 0; i < whole.lineCount(); ++i)
        QCOMPARE(pieces.at(i).chars, whole.lineAt(i).textLength());
}

void TestOverview::emptyLineIsOneScreenLine()
{
    const LineLayout empty = MeasureOverviewLine(QString());
    QCOMPARE(empty.size(), 1);
    QCOMPARE(empty.at(0).chars, 0);
    QVERIFY(empty.at(0).height > 0);
}

void TestOverview::refreshDrawsTheActiveDocument()
{
    MainWindowHarness h;
    QVERIFY(h.showWithText(numberedLines(30) + QStringLiteral("\r\n")));
    TRIGGER_ACTION(h.form1.get(), "Overview1");
    TRIGGER_ACTION(h.form10, "ToolButton1");
    QTRY_VERIFY(!h.form10->Drawing());

    QVERIFY(h.form10->Image2->isVisible());
    QVERIFY(!h.form10->ProgressBar1->isVisible());
    QCOMPARE(h.form10->ProgressBar1->value(), 0);
    const QList<OverviewChunk>& chunks = h.form10->Image2->Chunks();
    QCOMPARE(chunks.size(), 3); // the final break opens no line
    QCOMPARE(chunks.last().last, 29);
    QCOMPARE(h.form10->OverviewHeight, chunks.last().top + chunks.last().rows);
    QCOMPARE(h.form10->Image2->size(), QSize(Overview::PictureWidth, h.form10->OverviewHeight));

    // Text is drawn in every chunk, nothing in the first row or right of the copied columns.
    const QImage picture = pictureOf(*h.form10);
    QVERIFY(rowIsWhite(picture, 0));
    for (const OverviewChunk& chunk : chunks) {
        bool inked = false;
        for (int row = chunk.top; row < chunk.top + chunk.rows && !inked; ++row)
            inked = !rowIsWhite(picture, row);
        QVERIFY2(inked, qPrintable(QStringLiteral("chunk at row %1").arg(chunk.top)));
    }
    for (int row = 0; row < picture.height(); ++row)
        QVERIFY(rowIsWhite(picture, row, Overview::CopiedWidth));
}

// Only the screen lines in view are laid out when painting: a part of the picture in the
// middle of a long line shows its text all the way down.
void TestOverview::longLineIsDrawnWhereverItIsInView_data()
{
    QTest::addColumn<QString>("unit");
    QTest::newRow("Latin") << QStringLiteral("many words in one long line ");
    QTest::newRow("right to left after Latin") << QStringLiteral("abc ").append(
        QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d \xd7\xa2\xd7\x95 "));
    QTest::newRow("Latin after right to left")
        << QString::fromUtf8("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d ").append("abc def ");
}

// Only the screen lines in view are laid out when painting a long line: a part of the picture
// in its middle shows exactly what the whole picture shows there.
void TestOverview::longLineIsDrawnWhereverItIsInView()
{
    QFETCH(QString, unit);
    MainWindowHarness h;
    QString line;
    while (line.size() < 200000)
        line += unit;
    QVERIFY(h.showWithText(QStringLiteral("first\r\n") + line + QStringLiteral("\r\nlast")));
    TRIGGER_ACTION(h.form10, "ToolButton1");
    QTRY_VERIFY(!h.form10->Drawing());
    const OverviewChunk chunk = h.form10->Image2->Chunks().at(0);
    QVERIFY(chunk.rows > 1000);

    const QImage whole = referenceChunk({"first", line, "last"}, chunk.top, chunk.rows);
    for (const int top : {chunk.top + chunk.rows / 2, chunk.top + chunk.rows / 3 + 1}) {
        const QRect part(0, top, Overview::PictureWidth, 60);
        QImage drawn(part.size(), QImage::Format_RGB32);
        h.form10->Image2->render(&drawn, QPoint(), QRegion(part));
        QVERIFY(!rowIsWhite(drawn, 30) || !rowIsWhite(drawn, 31));
        QCOMPARE(drawn, whole.copy(part));
    }
}

void TestOverview::refreshOfAnEmptyDocumentWarns()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    h.prompts.answerMessage(Answer::Ok);
    TRIGGER_ACTION(h.form10, "ToolButton1");
    QCOMPARE(shownMessages(h.prompts), QStringList{"Warning Ok: Untitled1 is empty."});
    QVERIFY(!h.form10->Drawing());
    QVERIFY(h.form10->Image2->isHidden());
    QVERIFY(!h.form10->PicturedMemo);

    // Without a document Refresh does nothing at all.
    h.form1->ActiveDocumentWindow()->close();
    freeClosedWindows();
    TRIGGER_ACTION(h.form10, "ToolButton1");
    QCOMPARE(shownMessages(h.prompts).size(), 1);
}

void TestOverview::clickMovesTheCaretOfThePicturedDocument()
{
    MainWindowHarness h;
    TScrollMemo* memo = h.showWithText(numberedLines(40));
    QVERIFY(memo);
    TRIGGER_ACTION(h.form10, "ToolButton1");
    QTRY_VERIFY(!h.form10->Drawing());
    const OverviewChunk third = h.form10->Image2->Chunks().at(2);
    QCOMPARE(third.first, 22);

    h.form10->Image2MouseUp(third.top);
    QCOMPARE(memo->SelStart(), memo->LineIndex(22));
    h.form10->Image2MouseUp(h.form10->OverviewHeight + 50);
    QCOMPARE(memo->SelStart(), memo->TextLength());

    // The click follows the text as it is now: two lines more above move the target.
    memo->SetSelStart(0);
    memo->ReplaceSelection(QStringLiteral("new\r\nnew\r\n"));
    h.form10->Image2MouseUp(third.top);
    QCOMPARE(memo->SelStart(), memo->LineIndex(22));
    QCOMPARE(memo->FullText().mid(memo->SelStart(), 7), QStringLiteral("line 20"));

    // A click on the picture itself, with any button, on another active document.
    TRIGGER_ACTION(h.form1.get(), "New1");
    QVERIFY(h.form1->ActiveMemo() != memo);
    h.form10->show();
    QTest::mouseRelease(h.form10->Image2, Qt::RightButton, {}, QPoint(100, third.top));
    QCOMPARE(memo->SelStart(), memo->LineIndex(22));
    QCOMPARE(h.form1->ActiveMemo(), memo);
}

void TestOverview::clickAfterThePicturedDocumentClosedDoesNothing()
{
    MainWindowHarness h;
    TScrollMemo* pictured = h.showWithText(numberedLines(20));
    QVERIFY(pictured);
    TRIGGER_ACTION(h.form10, "ToolButton1");
    QTRY_VERIFY(!h.form10->Drawing());
    TRIGGER_ACTION(h.form1.get(), "New1");
    TScrollMemo* other = h.form1->ActiveMemo();
    other->SetFullText(numberedLines(20));
    other->SetSelStart(5);

    for (QMdiSubWindow* window : h.form1->DocumentWindows()) {
        if (TForm1::MemoOf(window) == pictured)
            window->close();
    }
    freeClosedWindows();
    QCOMPARE(h.form1->DocumentWindows().size(), 1);
    h.form10->Image2MouseUp(h.form10->Image2->Chunks().at(1).top);
    QCOMPARE(other->SelStart(), 5);
    QCOMPARE(h.form1->ActiveMemo(), other);
}

void TestOverview::longDocumentIsDrawnInSteps()
{
    MainWindowHarness h;
    QVERIFY(h.showWithText(numberedLines(60000)));
    TRIGGER_ACTION(h.form10, "ToolButton1");
    QVERIFY(h.form10->Drawing());
    QVERIFY(h.form10->Image2->isHidden());
    QVERIFY(!h.form10->ProgressBar1->isHidden());
    QCOMPARE(h.form10->ProgressBar1->maximum(), 59999);
    // A second Refresh meanwhile is refused.
    QVERIFY(!h.form10->ToolButton1->isEnabled());
    // The progress bar moves while the event loop runs between the steps.
    QTRY_VERIFY(h.form10->ProgressBar1->value() > 0);
    QTRY_VERIFY_WITH_TIMEOUT(!h.form10->Drawing(), 60000);
    QCOMPARE(h.form10->Image2->Chunks().last().last, 59999);
    QVERIFY(h.form10->ToolButton1->isEnabled());
    QVERIFY(h.form10->ProgressBar1->isHidden());
}

void TestOverview::showOverviewMarkFollowsTheWindow()
{
    MainWindowHarness h;
    QVERIFY(h.show());
    h.form1->ToolbarBits[32] = u'1'; // the Overview button is shown
    h.form1->ApplyToolbarBits();
    QAction* mark = h.form1->findChild<QAction*>("Overview1");
    TRIGGER_ACTION(h.form1.get(), "Overview1");
    QVERIFY(h.form10->isVisible());
    QVERIFY(h.form10->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(mark->isChecked());
    // The button hides it, and the mark follows.
    TRIGGER_ACTION(h.form1.get(), "OverviewButton");
    QVERIFY(!h.form10->isVisible());
    QVERIFY(!mark->isChecked());
    TRIGGER_ACTION(h.form1.get(), "OverviewButton");
    QVERIFY(mark->isChecked());

    // Stay on Top hides it through the command.
    TRIGGER_ACTION(h.form1.get(), "Stayontop1");
    QVERIFY(!h.form10->isVisible());
    QVERIFY(!mark->isChecked());
    TRIGGER_ACTION(h.form1.get(), "Stayontop1");

    TRIGGER_ACTION(h.form1.get(), "Overview1");
    QVERIFY(h.form10->isVisible());
    h.form1->ActiveDocumentWindow()->close();
    freeClosedWindows();
    QVERIFY(!h.form10->isVisible());
    QVERIFY(!mark->isChecked());
    QCOMPARE(h.form10->width(), 280);
}

QTEST_MAIN(TestOverview)
#include "tst_overview.moc"
