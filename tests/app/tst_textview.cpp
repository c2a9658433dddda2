// The text view: keys, mouse, clipboard, drag and drop, screen lines under word wrap, long
// lines, input methods and the accessible text, over a small text kept in a QString list.

#include "app/TextView.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace
{

// Lines in a list; positions count a break as one.
class ListSource final : public TextViewSource
{
public:
    void setText(const QString& text)
    {
        m_lines = text.split(u'\n');
        index();
    }
    QString text() const { return m_lines.join(u'\n'); }
    // Replaces [from, to), giving the first line changed and the lines before and after.
    void replace(int from, int to, const QString& text, int& first, int& oldCount, int& newCount)
    {
        first = lineAt(from);
        const int last = lineAt(to);
        oldCount = last - first + 1;
        const int fromColumn = from - m_starts[first];
        const int toColumn = to - m_starts[last];
        if (first == last && !text.contains(u'\n')) {
            m_lines[first].replace(fromColumn, toColumn - fromColumn, text);
            newCount = 1;
        } else {
            const QStringList added =
                (m_lines[first].left(fromColumn) + text + m_lines[last].mid(toColumn)).split(u'\n');
            m_lines.remove(first, oldCount);
            for (int i = 0; i < added.size(); ++i)
                m_lines.insert(first + i, added[i]);
            newCount = int(added.size());
        }
        index();
    }

    int length() const override { return m_starts.back() + int(m_lines.back().size()); }
    int lineCount() const override { return int(m_lines.size()); }
    int lineStart(int line) const override { return m_starts[line]; }
    int lineLength(int line) const override { return int(m_lines[line].size()); }
    int lineAt(int pos) const override
    {
        return int(std::upper_bound(m_starts.begin(), m_starts.end(), pos) - m_starts.begin()) - 1;
    }
    QString lineText(int line, int from, int length) const override
    {
        return m_lines[line].mid(from, length);
    }
    // The colours of a line's characters [from, from + length).
    QList<QTextLayout::FormatRange> lineFormats(int line, int from, int length) const override
    {
        QList<QTextLayout::FormatRange> result;
        for (QTextLayout::FormatRange range : colors.value(line)) {
            const int start = qMax(range.start, from);
            const int end = qMin(range.start + range.length, from + length);
            if (end > start)
                result.append({start - from, end - start, range.format});
        }
        return result;
    }
    QHash<int, QList<QTextLayout::FormatRange>> colors;

private:
    void index()
    {
        m_starts.resize(m_lines.size());
        int start = 0;
        for (int i = 0; i < m_lines.size(); ++i) {
            m_starts[i] = start;
            start += int(m_lines[i].size()) + 1;
        }
    }
    QStringList m_lines{QString()};
    std::vector<int> m_starts{0};
};

// A view that makes every edit it is asked for and records it.
class View final : public TextView
{
public:
    enum Kind { Typing, Deleting, Other };
    struct Edit {
        int from;
        int to;
        QString text;
        Kind kind;
    };

    View()
    {
        setSource(&m_source);
        resize(400, 300);
    }
    void setText(const QString& text)
    {
        m_source.setText(text);
        textReset();
        setSelection(0, 0);
    }
    QString text() const { return m_source.text(); }
    ListSource& list() { return m_source; }
    QString selectedText() const
    {
        return text().mid(selectionStart(), selectionEnd() - selectionStart());
    }

    using TextView::createStandardContextMenu;

    QList<Edit> edits;
    int undos = 0;

protected:
    void editText(int from, int to, const QString& text, EditKind kind) override
    {
        edits.append({from, to, text,
                      kind == EditKind::Typing     ? Typing
                      : kind == EditKind::Deleting ? Deleting
                                                   : Other});
        int first = 0;
        int oldCount = 0;
        int newCount = 0;
        m_source.replace(from, to, text, first, oldCount, newCount);
        linesReplaced(first, oldCount, newCount);
        setSelection(from + int(text.size()), from + int(text.size()));
    }
    void undo() override { ++undos; }
    bool canUndo() const override { return true; }

private:
    ListSource m_source;
};

void press(View& view, QKeySequence::StandardKey key)
{
    const QKeyCombination combination = QKeySequence(key)[0];
    QTest::keyClick(&view, combination.key(), combination.keyboardModifiers());
}

QVariant query(QWidget& widget, Qt::InputMethodQuery what)
{
    return widget.inputMethodQuery(what);
}

// Where a position shows: the middle of the caret drawn there.
QPoint pointOf(View& view, int pos)
{
    const int anchor = view.anchor();
    const int position = view.position();
    view.setSelection(pos, pos);
    const QPoint point = view.cursorRect().center();
    view.setSelection(anchor, position);
    return point;
}

// Screen lines of each line as QTextLayout makes them at the width given.
std::vector<QTextLayout*> layOutByHand(const QStringList& lines, const QFont& font, qreal width,
                                       std::vector<std::unique_ptr<QTextLayout>>& keep)
{
    std::vector<QTextLayout*> layouts;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(8 * QFontMetricsF(font).horizontalAdvance(u' '));
    for (const QString& line : lines) {
        keep.push_back(std::make_unique<QTextLayout>(line, font));
        QTextLayout* layout = keep.back().get();
        layout->setTextOption(option);
        layout->beginLayout();
        for (QTextLine l = layout->createLine(); l.isValid(); l = layout->createLine())
            l.setLineWidth(width);
        layout->endLayout();
        layouts.push_back(layout);
    }
    return layouts;
}

QStringList wrappedLines()
{
    QStringList lines;
    for (int i = 0; i < 300; ++i) {
        QString line;
        for (int w = 0; w < (i * 7) % 40; ++w)
            line += QStringLiteral("word%1 ").arg(w * i % 1000);
        if (i % 11 == 0)
            line += QString(90, u'x'); // wraps anywhere
        if (i % 13 == 0)
            line += QStringLiteral("\ttabbed\t\u00e9\U0001F600 end");
        lines.append(line);
    }
    return lines;
}

} // namespace

class TestTextView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void arrowKeysMoveAndSelect();
    void wordMovesMatchQTextCursor();
    void pageKeysMoveAPageAndScroll();
    void deletionTakesWholeSurrogatePairs();
    void typingEnterAndTab();
    void readOnlyViewNavigatesButDoesNotEdit();
    void editorKeysOverrideWindowShortcuts();
    void paintsColoursSelectionAndCaret();
    void mouseClickDragAndDoubleClick();
    void dragOutsideScrollsAndSelects();
    void contextMenuOffersWhatCanBeDone();
    void clipboardKeysCopyCutAndPaste();
    void middleClickPastesTheSelectionClipboard();
    void dropsInsertAtTheDropPoint();
    void dragFromTheSelectionKeepsTheTextWhenIgnored();
    void wordWrapScreenLinesMatchQTextLayout_data();
    void wordWrapScreenLinesMatchQTextLayout();
    void wordWrapCountMatchesQPlainTextEdit();
    void knownScreenLineOfFinishesLater();
    void longLinesAreCountedInSlicesToo();
    void longLineStaysQuickToType_data();
    void longLineStaysQuickToType();
    void inputMethodCommitsAndAnswersQueries();
    void accessibleTextInterface();
};

void TestTextView::init()
{
    QApplication::clipboard()->clear();
}

void TestTextView::arrowKeysMoveAndSelect()
{
    View view;
    view.setText(QStringLiteral("abc\ndefgh\nij"));
    press(view, QKeySequence::MoveToNextChar);
    QCOMPARE(view.position(), 1);
    press(view, QKeySequence::MoveToEndOfLine);
    QCOMPARE(view.position(), 3);
    press(view, QKeySequence::MoveToNextChar); // over the break
    QCOMPARE(view.position(), 4);
    press(view, QKeySequence::SelectEndOfLine);
    QCOMPARE(view.anchor(), 4);
    QCOMPARE(view.position(), 9);
    // Up and down keep the x of the caret over a shorter line.
    press(view, QKeySequence::MoveToNextLine);
    QCOMPARE(view.position(), 12);
    QVERIFY(!view.hasSelection());
    press(view, QKeySequence::MoveToPreviousLine);
    QCOMPARE(view.position(), 9);
    press(view, QKeySequence::MoveToPreviousLine);
    QCOMPARE(view.position(), 3);
    press(view, QKeySequence::MoveToNextLine);
    QCOMPARE(view.position(), 9);
    press(view, QKeySequence::SelectStartOfDocument);
    QCOMPARE(view.selectedText(), QStringLiteral("abc\ndefgh"));
    // Left and right with a selection go to its start and its end.
    press(view, QKeySequence::MoveToNextChar);
    QCOMPARE(view.position(), 9);
    QVERIFY(!view.hasSelection());
    view.setSelection(7, 2);
    press(view, QKeySequence::MoveToPreviousChar);
    QCOMPARE(view.position(), 2);
    press(view, QKeySequence::SelectAll);
    QCOMPARE(view.anchor(), 0);
    QCOMPARE(view.position(), 12);
    press(view, QKeySequence::MoveToStartOfDocument);
    press(view, QKeySequence::SelectEndOfDocument);
    QCOMPARE(view.selectionEnd(), 12);
    QVERIFY(view.edits.isEmpty());
}

void TestTextView::wordMovesMatchQTextCursor()
{
    const QString text =
        QStringLiteral("one two,  three\n  four-five\n\nsix.seven \u00e9t\u00e9 end");
    QTextDocument document(text);
    View view;
    view.setText(text);
    for (int pos = 0; pos <= text.size(); ++pos) {
        for (const bool next : {true, false}) {
            QTextCursor cursor(&document);
            cursor.setPosition(pos);
            cursor.movePosition(next ? QTextCursor::NextWord : QTextCursor::PreviousWord);
            view.setSelection(pos, pos);
            press(view, next ? QKeySequence::MoveToNextWord : QKeySequence::MoveToPreviousWord);
            QVERIFY2(view.position() == cursor.position(),
                     qPrintable(QStringLiteral("from %1 %2: %3, not %4")
                                    .arg(pos)
                                    .arg(next ? "on" : "back")
                                    .arg(view.position())
                                    .arg(cursor.position())));
        }
    }
}

void TestTextView::pageKeysMoveAPageAndScroll()
{
    View view;
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines.append(QStringLiteral("line %1").arg(i));
    view.setText(lines.join(u'\n'));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int page = view.verticalScrollBar()->pageStep();
    QVERIFY(page > 3);
    QCOMPARE(view.verticalScrollBar()->maximum(), 200 - page);
    // The bar and the page keys as QPlainTextEdit's, with its text as far from the top.
    QPlainTextEdit edit;
    edit.resize(view.size());
    edit.setPlainText(view.text());
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QCOMPARE(page, edit.verticalScrollBar()->pageStep());
    QCOMPARE(view.verticalScrollBar()->maximum(), edit.verticalScrollBar()->maximum());
    QCOMPARE(view.cursorRect(), edit.cursorRect());
    const auto down = QKeySequence::MoveToNextPage;
    const auto up = QKeySequence::MoveToPreviousPage;
    const auto selectDown = QKeySequence::SelectNextPage;
    for (const auto key : {down, down, QKeySequence::MoveToNextLine, up, selectDown, up, up, up,
                           QKeySequence::MoveToEndOfDocument, up, down, down, up}) {
        press(view, key);
        const QKeyCombination combination = QKeySequence(key)[0];
        QTest::keyClick(&edit, combination.key(), combination.keyboardModifiers());
        QCOMPARE(view.position(), edit.textCursor().position());
        QCOMPARE(view.anchor(), edit.textCursor().anchor());
        QCOMPARE(view.verticalScrollBar()->value(), edit.verticalScrollBar()->value());
        QVERIFY(view.viewport()->rect().contains(view.cursorRect()));
    }
    press(view, QKeySequence::MoveToStartOfDocument);
    QCOMPARE(view.verticalScrollBar()->value(), 0);
    // The wheel scrolls through the bar.
    QWheelEvent wheel(QPointF(10, 10), view.viewport()->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &wheel);
    QCOMPARE(view.verticalScrollBar()->value(), QApplication::wheelScrollLines());
}

void TestTextView::deletionTakesWholeSurrogatePairs()
{
    const QString smile = QStringLiteral("\U0001F600");
    View view;
    view.setText(QStringLiteral("a") + smile + QStringLiteral("b\ncd"));
    press(view, QKeySequence::MoveToNextChar);
    press(view, QKeySequence::MoveToNextChar); // over the pair
    QCOMPARE(view.position(), 3);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QCOMPARE(view.text(), QStringLiteral("ab\ncd"));
    QCOMPARE(view.position(), 1);
    view.setText(QStringLiteral("a") + smile + QStringLiteral("b\ncd"));
    view.setSelection(1, 1);
    QTest::keyClick(&view, Qt::Key_Delete);
    QCOMPARE(view.text(), QStringLiteral("ab\ncd"));
    // Delete at a line end joins the lines; Backspace at a line start too.
    view.setSelection(2, 2);
    QTest::keyClick(&view, Qt::Key_Delete);
    QCOMPARE(view.text(), QStringLiteral("abcd"));
    QTest::keyClick(&view, Qt::Key_Backspace);
    QCOMPARE(view.text(), QStringLiteral("acd"));
    for (const View::Edit& edit : view.edits)
        QCOMPARE(edit.kind, View::Deleting);
    // A selection goes whole; the word keys take a word.
    view.setText(QStringLiteral("one two three"));
    view.setSelection(0, 4);
    QTest::keyClick(&view, Qt::Key_Delete);
    QCOMPARE(view.text(), QStringLiteral("two three"));
    view.setSelection(9, 9);
    press(view, QKeySequence::DeleteStartOfWord);
    QCOMPARE(view.text(), QStringLiteral("two "));
    view.setSelection(0, 0);
    press(view, QKeySequence::DeleteEndOfWord);
    QCOMPARE(view.text(), QString());
    // Nothing before the start, nothing after the end.
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Delete);
    QCOMPARE(view.edits.size(), 7);
}

void TestTextView::typingEnterAndTab()
{
    View view;
    view.setText(QStringLiteral("xy"));
    view.setSelection(1, 1);
    QTest::keyClicks(&view, QStringLiteral("ab"));
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Tab);
    QCOMPARE(view.text(), QStringLiteral("xab\n\ty"));
    QCOMPARE(view.position(), 5);
    QCOMPARE(view.edits.first().kind, View::Typing);
    // Typed text replaces the selection; keys with Ctrl type nothing.
    view.setSelection(0, 3);
    QTest::keyClick(&view, Qt::Key_Q);
    QTest::keyClick(&view, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(view.text(), QStringLiteral("q\n\ty"));
    // Characters beyond 16 bits come as a pair of units in one key event.
    QKeyEvent smile(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("\U0001F600"));
    QApplication::sendEvent(&view, &smile);
    QCOMPARE(view.text(), QStringLiteral("q\U0001F600\n\ty"));
    press(view, QKeySequence::Undo);
    QCOMPARE(view.undos, 1);
    // With Tab moving the focus on, Tab leaves the text alone.
    QWidget window;
    auto* first = new View;
    auto* second = new View;
    first->setParent(&window);
    second->setParent(&window);
    first->setTabChangesFocus(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    QCOMPARE(first->text(), QString());
    QVERIFY(second->hasFocus());
    QTest::keyClick(second, Qt::Key_Tab);
    QCOMPARE(second->text(), QStringLiteral("\t"));
}

void TestTextView::readOnlyViewNavigatesButDoesNotEdit()
{
    View view;
    view.setText(QStringLiteral("abc def"));
    view.setReadOnly(true);
    QTest::keyClicks(&view, QStringLiteral("zz"));
    QTest::keyClick(&view, Qt::Key_Delete);
    QTest::keyClick(&view, Qt::Key_Return);
    press(view, QKeySequence::MoveToNextWord);
    QCOMPARE(view.position(), 4);
    press(view, QKeySequence::SelectEndOfLine);
    press(view, QKeySequence::Cut);
    QCOMPARE(view.text(), QStringLiteral("abc def"));
    QVERIFY(view.edits.isEmpty());
    press(view, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("def"));
    QVERIFY(!query(view, Qt::ImEnabled).toBool());
}

void TestTextView::editorKeysOverrideWindowShortcuts()
{
    View view;
    auto overridden = [&view](int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent event(QEvent::ShortcutOverride, key, modifiers,
                        key < 0x80 ? QString(QChar(key)).toLower() : QString());
        event.ignore();
        QApplication::sendEvent(&view, &event);
        return event.isAccepted();
    };
    QVERIFY(overridden(Qt::Key_C, Qt::ControlModifier));
    QVERIFY(overridden(Qt::Key_A, Qt::NoModifier));
    QVERIFY(overridden(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier));
    QVERIFY(overridden(Qt::Key_Backspace, Qt::ControlModifier));
    QVERIFY(!overridden(Qt::Key_F5, Qt::NoModifier));
    QVERIFY(!overridden(Qt::Key_S, Qt::ControlModifier));
}

// Pixels of the view near a colour (text is drawn smoothed into the background).
int pixelsOf(View& view, const QColor& color)
{
    const QImage image = view.viewport()->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            const int off = qAbs(pixel.red() - color.red()) + qAbs(pixel.green() - color.green()) +
                            qAbs(pixel.blue() - color.blue());
            count += off < 90 ? 1 : 0;
        }
    }
    return count;
}

void TestTextView::paintsColoursSelectionAndCaret()
{
    QWidget window;
    auto* view = new View;
    auto* other = new View;
    view->setParent(&window);
    other->setParent(&window);
    other->move(0, 310);
    view->setText(QStringLiteral("red words here\nplain"));
    QPalette palette = view->palette();
    const QColor highlight(10, 200, 10);
    palette.setColor(QPalette::Active, QPalette::Highlight, highlight);
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Base));
    view->setPalette(palette);
    QTextCharFormat red;
    red.setForeground(QColor(255, 0, 0));
    view->list().colors[0] = {{0, 9, red}};
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    view->setFocus();
    QVERIFY(pixelsOf(*view, QColor(255, 0, 0)) > 10);
    QCOMPARE(pixelsOf(*view, highlight), 0);
    // New colours show once the view hears of them.
    QTextCharFormat blue;
    blue.setForeground(QColor(0, 0, 255));
    view->list().colors[0] = {{0, 9, blue}};
    view->formatsChanged(0, 0);
    QVERIFY(pixelsOf(*view, QColor(0, 0, 255)) > 10);
    QCOMPARE(pixelsOf(*view, QColor(255, 0, 0)), 0);
    // The selection shows in the colours of the focus: here none without it.
    view->setSelection(0, 14);
    QVERIFY(pixelsOf(*view, highlight) > 100);
    other->setFocus();
    QCOMPARE(pixelsOf(*view, highlight), 0);
    // The caret shows while the view has the focus, and not in a read-only view.
    view->setFocus();
    view->setSelection(20, 20);
    const QRect caret = view->cursorRect();
    auto caretPixel = [view, caret] {
        return view->viewport()->grab().toImage().pixelColor(caret.left(), caret.center().y());
    };
    QCOMPARE(caretPixel(), view->palette().color(QPalette::Text));
    view->setReadOnly(true);
    QCOMPARE(caretPixel(), view->palette().color(QPalette::Base));
}

void TestTextView::mouseClickDragAndDoubleClick()
{
    View view;
    view.setText(QStringLiteral("alpha beta gamma\nsecond line here"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QWidget* viewport = view.viewport();
    const QPoint beta = pointOf(view, 7);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, beta);
    QCOMPARE(view.position(), 7);
    QVERIFY(!view.hasSelection());
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, pointOf(view, 24));
    QCOMPARE(view.anchor(), 7);
    QCOMPARE(view.position(), 24);
    // Dragging selects.
    QTest::mousePress(viewport, Qt::LeftButton, {}, pointOf(view, 2));
    QTest::mouseMove(viewport, pointOf(view, 20));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, pointOf(view, 20));
    QCOMPARE(view.anchor(), 2);
    QCOMPARE(view.position(), 20);
    // A double click selects a word, and a drag from there extends it word by word.
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, pointOf(view, 8));
    QCOMPARE(view.selectedText(), QStringLiteral("beta"));
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, pointOf(view, 13));
    QCOMPARE(view.selectedText(), QStringLiteral("gamma"));
    QMouseEvent move(QEvent::MouseMove, pointOf(view, 3), viewport->mapToGlobal(pointOf(view, 3)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QCOMPARE(view.selectedText(), QStringLiteral("alpha beta gamma"));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, pointOf(view, 3));
    // A third click takes the whole line with its break.
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, pointOf(view, 8));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, pointOf(view, 8));
    QCOMPARE(view.selectedText(), QStringLiteral("alpha beta gamma\n"));
    // A click below the last line goes to that line.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(2, viewport->height() - 2));
    QCOMPARE(view.source()->lineAt(view.position()), 1);
    QCOMPARE(view.position(), 17);
    QVERIFY(view.edits.isEmpty());
}

void TestTextView::dragOutsideScrollsAndSelects()
{
    View view;
    QStringList lines;
    for (int i = 0; i < 100; ++i)
        lines.append(QStringLiteral("line %1").arg(i));
    view.setText(lines.join(u'\n'));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QWidget* viewport = view.viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, pointOf(view, 2));
    const QPoint below(20, viewport->height() + 30);
    QMouseEvent move(QEvent::MouseMove, below, viewport->mapToGlobal(below), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTRY_VERIFY(view.verticalScrollBar()->value() >= 3);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, below);
    const int scrolled = view.verticalScrollBar()->value();
    QTest::qWait(150);
    QCOMPARE(view.verticalScrollBar()->value(), scrolled); // released: no more scrolling
    QCOMPARE(view.anchor(), 2);
    QVERIFY(view.source()->lineAt(view.position()) > view.verticalScrollBar()->pageStep());
    QVERIFY(view.viewport()->rect().contains(view.cursorRect()));
}

void TestTextView::contextMenuOffersWhatCanBeDone()
{
    View view;
    view.setText(QStringLiteral("some text"));
    auto enabled = [&view] {
        std::unique_ptr<QMenu> menu(view.createStandardContextMenu());
        QStringList names;
        for (QAction* action : menu->actions()) {
            if (action->isEnabled() && !action->isSeparator())
                names.append(action->text().remove(u'&'));
        }
        return names;
    };
    QCOMPARE(enabled(), QStringList({"Undo", "Select All"}));
    view.setSelection(0, 4);
    QApplication::clipboard()->setText(QStringLiteral("x"));
    QCOMPARE(enabled(), QStringList({"Undo", "Cut", "Copy", "Paste", "Delete", "Select All"}));
    view.setReadOnly(true);
    QCOMPARE(enabled(), QStringList({"Copy", "Select All"}));
    view.setReadOnly(false);
    std::unique_ptr<QMenu> menu(view.createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        if (action->text() == QStringLiteral("Delete"))
            action->trigger();
    }
    QCOMPARE(view.text(), QStringLiteral(" text"));
    QCOMPARE(view.edits.last().kind, View::Deleting);
}

void TestTextView::clipboardKeysCopyCutAndPaste()
{
    View view;
    view.setText(QStringLiteral("one\ntwo three"));
    view.setSelection(2, 7);
    press(view, QKeySequence::Copy);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("e\ntwo"));
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("e\ntwo"));
    QTest::keyClick(&view, Qt::Key_Delete, Qt::ShiftModifier); // cut
    QCOMPARE(view.text(), QStringLiteral("on three"));
    QCOMPARE(view.edits.last().kind, View::Other);
    view.setSelection(int(view.text().size()), int(view.text().size()));
    press(view, QKeySequence::Paste);
    QCOMPARE(view.text(), QStringLiteral("on threee\ntwo"));
    QApplication::clipboard()->setText(QStringLiteral("X"));
    view.setSelection(0, 2);
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(view.text(), QStringLiteral("X threee\ntwo"));
    QCOMPARE(view.position(), 1);
    // Without a selection there is nothing to copy or cut.
    press(view, QKeySequence::Cut);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("X"));
    QCOMPARE(view.text(), QStringLiteral("X threee\ntwo"));
}

void TestTextView::middleClickPastesTheSelectionClipboard()
{
    View view;
    view.setText(QStringLiteral("abc def"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard->supportsSelection())
        clipboard->setText(QStringLiteral("XY"), QClipboard::Selection);
    QApplication::clipboard()->setText(QStringLiteral("not this"));
    QTest::mouseClick(view.viewport(), Qt::MiddleButton, {}, pointOf(view, 4));
    if (!clipboard->supportsSelection()) {
        // No selection clipboard here (as offscreen): the click pastes nothing.
        QCOMPARE(view.text(), QStringLiteral("abc def"));
        return;
    }
    QCOMPARE(view.text(), QStringLiteral("abc XYdef"));
    QCOMPARE(view.position(), 6);
    // Selecting by keys gives the selection clipboard the text.
    press(view, QKeySequence::SelectEndOfLine);
    QCOMPARE(clipboard->text(QClipboard::Selection), QStringLiteral("def"));
}

void TestTextView::dropsInsertAtTheDropPoint()
{
    View view;
    view.setText(QStringLiteral("hello world"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QMimeData text;
    text.setText(QStringLiteral("big "));
    const QPointF at = pointOf(view, 6);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(view.text(), QStringLiteral("hello big world"));
    QCOMPARE(view.selectedText(), QStringLiteral("big ")); // what came in is selected
    // What is no text is refused, and so is everything by a read-only view.
    QMimeData image;
    image.setImageData(QImage(2, 2, QImage::Format_RGB32));
    QDragEnterEvent refused(at.toPoint(), Qt::CopyAction, &image, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &refused);
    QVERIFY(!refused.isAccepted());
    view.setReadOnly(true);
    QDropEvent readOnlyDrop(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &readOnlyDrop);
    QVERIFY(!readOnlyDrop.isAccepted());
    QCOMPARE(view.text(), QStringLiteral("hello big world"));
}

void TestTextView::dragFromTheSelectionKeepsTheTextWhenIgnored()
{
    View view;
    view.setText(QStringLiteral("drag me here"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setSelection(5, 7);
    QWidget* viewport = view.viewport();
    const QPoint inside = pointOf(view, 6);
    QTest::mousePress(viewport, Qt::LeftButton, {}, inside);
    QCOMPARE(view.selectedText(), QStringLiteral("me")); // a press in it keeps the selection
    // The drag ends at once here (nobody takes it): the text stays where it was.
    QTest::mouseMove(viewport, inside + QPoint(QApplication::startDragDistance() + 20, 0));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, inside + QPoint(40, 0));
    QCOMPARE(view.text(), QStringLiteral("drag me here"));
    QVERIFY(view.edits.isEmpty());
    // A click in the selection that does not drag places the caret.
    view.setSelection(5, 7);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, inside);
    QCOMPARE(view.position(), 6);
    QVERIFY(!view.hasSelection());
}

void TestTextView::wordWrapScreenLinesMatchQTextLayout_data()
{
    QTest::addColumn<int>("fontGrowth"); // points added to the font once shown
    QTest::newRow("font of the view") << 0;
    QTest::newRow("larger font set later") << 5;
}

void TestTextView::wordWrapScreenLinesMatchQTextLayout()
{
    QFETCH(int, fontGrowth);
    const QStringList lines = wrappedLines();
    View view;
    view.setWordWrap(true);
    view.setText(lines.join(u'\n'));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int countBefore = view.screenLineCount(); // counted at the first font
    QFont font = view.font();
    font.setPointSize(font.pointSize() + fontGrowth);
    view.setFont(font);
    QCOMPARE(view.screenLineCount() > countBefore, fontGrowth > 0);
    std::vector<std::unique_ptr<QTextLayout>> keep;
    const auto layouts = layOutByHand(lines, view.font(), view.viewport()->width() - 8, keep);
    int row = 0;
    int lineStart = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QTextLayout* layout = layouts[i];
        for (int j = 0; j < layout->lineCount(); ++j, ++row) {
            const QTextLine line = layout->lineAt(j);
            const int start = lineStart + line.textStart();
            QCOMPARE(view.screenLineStart(row), start);
            QCOMPARE(view.screenLineOf(start), row);
            QCOMPARE(view.screenLineOf(start + line.textLength() / 2), row);
            const TextView::ScreenLine at = view.screenLineAt(start);
            QCOMPARE(at.start, start);
            QCOMPARE(at.length, line.textLength());
        }
        lineStart += int(lines[i].size()) + 1;
    }
    QCOMPARE(view.screenLineCount(), row);
    QCOMPARE(view.screenLineStart(row), -1);
    // An edit changes the screen lines from its line on.
    view.setSelection(0, 0);
    QTest::keyClicks(&view, QString(200, u'z'));
    QVERIFY(view.screenLineCount() > row);
    QCOMPARE(view.screenLineOf(lineStart - 1 + 200), view.screenLineCount() - 1);
    // Without word wrap a screen line is a line.
    view.setWordWrap(false);
    QCOMPARE(view.screenLineCount(), int(lines.size()));
    QCOMPARE(view.screenLineStart(1), int(lines[0].size()) + 201);
}

void TestTextView::wordWrapCountMatchesQPlainTextEdit()
{
    const QStringList lines = wrappedLines();
    QPlainTextEdit edit;
    edit.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    edit.setTabStopDistance(8 * QFontMetricsF(edit.font()).horizontalAdvance(u' '));
    edit.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit.resize(333, 200);
    edit.setPlainText(lines.join(u'\n'));
    edit.show();
    View view;
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view.resize(333, 200);
    view.setWordWrap(true);
    view.setText(lines.join(u'\n'));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.viewport()->width(), edit.viewport()->width());
    // Qt lays out its blocks when they are first shown: all of them now.
    for (QTextBlock block = edit.document()->begin(); block.isValid(); block = block.next())
        edit.document()->documentLayout()->blockBoundingRect(block);
    QCOMPARE(view.screenLineCount(), edit.document()->lineCount());
    // The keys that go by screen lines go where QPlainTextEdit's go.
    view.setFocus();
    const QString text = lines.join(u'\n');
    for (int pos = 0; pos < text.size(); pos += 97) {
        for (const auto key : {QKeySequence::MoveToEndOfLine, QKeySequence::MoveToStartOfLine,
                               QKeySequence::MoveToNextLine, QKeySequence::MoveToPreviousLine}) {
            QTextCursor cursor = edit.textCursor();
            cursor.setPosition(pos);
            edit.setTextCursor(cursor);
            view.setSelection(pos, pos);
            const QKeyCombination combination = QKeySequence(key)[0];
            QTest::keyClick(&edit, combination.key(), combination.keyboardModifiers());
            QTest::keyClick(&view, combination.key(), combination.keyboardModifiers());
            QVERIFY2(view.position() == edit.textCursor().position(),
                     qPrintable(QStringLiteral("key %1 from %2: %3, not %4")
                                    .arg(int(key))
                                    .arg(pos)
                                    .arg(view.position())
                                    .arg(edit.textCursor().position())));
        }
    }
}

void TestTextView::knownScreenLineOfFinishesLater()
{
    QStringList lines;
    for (int i = 0; i < 20000; ++i)
        lines.append(QStringLiteral("line %1 ").arg(i).repeated(1 + i % 12));
    View view;
    view.setWordWrap(true);
    view.setText(lines.join(u'\n'));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int last = view.source()->lineStart(19999);
    QSignalSpy known(&view, &TextView::screenLinesKnown);
    QCOMPARE(view.knownScreenLineOf(last, QDeadlineTimer(0)), std::nullopt);
    QVERIFY(known.wait(10000));
    QCOMPARE(known.count(), 1);
    const std::optional<int> answer = view.knownScreenLineOf(last, QDeadlineTimer(0));
    QVERIFY(answer.has_value());
    std::vector<std::unique_ptr<QTextLayout>> keep;
    int expected = 0;
    for (const QTextLayout* layout :
         layOutByHand(lines.mid(0, 19999), view.font(), view.viewport()->width() - 8, keep))
        expected += layout->lineCount();
    QCOMPARE(*answer, expected);
    QVERIFY(expected > 20000);
}

void TestTextView::longLinesAreCountedInSlicesToo()
{
    QString line;
    while (line.size() < 8'000'000)
        line += QStringLiteral("words to wrap ");
    View view;
    view.setWordWrap(true);
    view.setText(line + QStringLiteral("\nnext"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int next = view.source()->lineStart(1);
    QSignalSpy known(&view, &TextView::screenLinesKnown);
    QCOMPARE(view.knownScreenLineOf(next, QDeadlineTimer(0)), std::nullopt);
    // The program stays responsive meanwhile: events are seen between the slices.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout,
                     [&] { longestGap = qMax(longestGap, sinceTick.restart()); });
    sinceTick.start();
    ticks.start(1);
    QVERIFY(known.wait(30000));
    ticks.stop();
    QVERIFY2(longestGap < 150, qPrintable(QStringLiteral("%1 ms without events").arg(longestGap)));
    const std::optional<int> answer = view.knownScreenLineOf(next, QDeadlineTimer(0));
    QVERIFY(answer.has_value());
    QVERIFY(*answer > 8'000'000 / 60);
    QCOMPARE(view.screenLineStart(*answer), next);
}

void TestTextView::longLineStaysQuickToType_data()
{
    QTest::addColumn<bool>("wrap");
    QTest::newRow("no wrap") << false;
    QTest::newRow("word wrap") << true;
}

void TestTextView::longLineStaysQuickToType()
{
    QFETCH(bool, wrap);
    QString line;
    line.reserve(2'000'000);
    while (line.size() < 2'000'000)
        line += QStringLiteral("lorem ipsum dolor sit amet \U0001F600 ");
    line.truncate(2'000'000);
    View view;
    view.setWordWrap(wrap);
    view.setText(QStringLiteral("first\n") + line + QStringLiteral("\nlast"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const int middle = 6 + 1'000'000;
    view.setSelection(middle, middle);
    view.ensureCaretVisible();
    view.repaint();
    QElapsedTimer timer;
    qint64 slowest = 0;
    for (QChar c : QStringLiteral("typed")) {
        timer.start();
        QTest::keyClick(&view, c.toLatin1());
        view.repaint();
        slowest = qMax(slowest, timer.elapsed());
    }
    QVERIFY2(slowest < 50, qPrintable(QStringLiteral("%1 ms for a character").arg(slowest)));
    QCOMPARE(view.text().mid(middle - 3, 11),
             line.mid(middle - 9, 3) + QStringLiteral("typed") + line.mid(middle - 6, 3));
    QCOMPARE(view.position(), middle + 5);
    QVERIFY(view.viewport()->rect().contains(view.cursorRect()));
    // Moving over a character never stops inside a surrogate pair.
    const int smile = int(view.text().indexOf(QStringLiteral("\U0001F600"), middle));
    view.setSelection(smile, smile);
    press(view, QKeySequence::MoveToNextChar);
    QCOMPARE(view.position(), smile + 2);
    QString expected = view.text();
    expected.remove(smile, 2);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QCOMPARE(view.text(), expected);
}

void TestTextView::inputMethodCommitsAndAnswersQueries()
{
    View view;
    view.setText(QStringLiteral("abc\nxyz"));
    view.setSelection(5, 6);
    const QRect plainCaret = view.cursorRect();
    QInputMethodEvent compose(QStringLiteral("nn"), {{QInputMethodEvent::Cursor, 2, 1}});
    QApplication::sendEvent(&view, &compose);
    QVERIFY(view.edits.isEmpty()); // composing changes nothing yet
    // The text being composed shows at the caret, with its own caret after it.
    QVERIFY(view.cursorRect().left() > plainCaret.left() + 2);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u00f1"));
    QApplication::sendEvent(&view, &commit);
    QCOMPARE(view.text(), QStringLiteral("abc\nx\u00f1z"));
    QCOMPARE(view.edits.last().kind, View::Typing);
    // A replacement range counts from the caret.
    QInputMethodEvent replace;
    replace.setCommitString(QStringLiteral("Y"), -2, 2);
    QApplication::sendEvent(&view, &replace);
    QCOMPARE(view.text(), QStringLiteral("abc\nYz"));
    QCOMPARE(view.position(), 5);
    view.setSelection(6, 4);
    QCOMPARE(query(view, Qt::ImSurroundingText).toString(), QStringLiteral("Yz"));
    QCOMPARE(query(view, Qt::ImCursorPosition).toInt(), 0);
    QCOMPARE(query(view, Qt::ImAnchorPosition).toInt(), 2);
    QCOMPARE(query(view, Qt::ImCurrentSelection).toString(), QStringLiteral("Yz"));
    QVERIFY(query(view, Qt::ImEnabled).toBool());
    QVERIFY(query(view, Qt::ImHints).toInt() & Qt::ImhMultiLine);
    QCOMPARE(query(view, Qt::ImFont).value<QFont>(), view.font());
    const QRectF caret = query(view, Qt::ImCursorRectangle).toRectF();
    QCOMPARE(caret.toRect(), view.cursorRect().translated(view.viewport()->pos()));
    // A long line shows the input method only a part of it around the caret.
    view.setText(QString(5000, u'a') + QStringLiteral("X") + QString(5000, u'b'));
    view.setSelection(5001, 5001);
    const QString around = query(view, Qt::ImSurroundingText).toString();
    QVERIFY(around.size() < 2000);
    QCOMPARE(around.at(query(view, Qt::ImCursorPosition).toInt() - 1), u'X');
}

void TestTextView::accessibleTextInterface()
{
    View view;
    view.setText(QStringLiteral("first line\nsecond words here"));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::EditableText);
    QVERIFY(accessible->state().multiLine);
    QAccessibleTextInterface* text = accessible->textInterface();
    QVERIFY(text);
    QCOMPARE(text->characterCount(), 28);
    QCOMPARE(text->text(6, 13), QStringLiteral("line\nse"));
    view.setSelection(11, 17);
    QCOMPARE(text->cursorPosition(), 17);
    QCOMPARE(text->selectionCount(), 1);
    int start = 0;
    int end = 0;
    text->selection(0, &start, &end);
    QCOMPARE(start, 11);
    QCOMPARE(end, 17);
    QCOMPARE(text->textAtOffset(19, QAccessible::WordBoundary, &start, &end),
             QStringLiteral("words"));
    QCOMPARE(start, 18);
    QCOMPARE(text->textAtOffset(3, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("first line\n"));
    QCOMPARE(text->textAfterOffset(3, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("second words here"));
    QCOMPARE(text->textBeforeOffset(20, QAccessible::LineBoundary, &start, &end),
             QStringLiteral("first line\n"));
    QCOMPARE(text->textAtOffset(1, QAccessible::CharBoundary, &start, &end), QStringLiteral("i"));
    // Characters are where they show.
    const QRect rect = text->characterRect(13);
    QVERIFY(rect.width() > 0);
    QCOMPARE(text->offsetAtPoint(rect.center()), 13);
    text->setCursorPosition(4);
    QCOMPARE(view.position(), 4);
    QVERIFY(!view.hasSelection());
    view.setReadOnly(true);
    QVERIFY(accessible->state().readOnly);
}

QTEST_MAIN(TestTextView)
#include "tst_textview.moc"
