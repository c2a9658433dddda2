#pragma once

#include <QAbstractScrollArea>
#include <QDeadlineTimer>
#include <QList>
#include <QTextLayout>

#include <memory>
#include <optional>

class QMenu;
class QMimeData;

// Where a TextView gets its text from. Positions are document positions: lines joined by
// single '\n' breaks, a break counting one.
class TextViewSource
{
public:
    virtual ~TextViewSource() = default;
    virtual int length() const = 0;
    virtual int lineCount() const = 0;
    virtual int lineStart(int line) const = 0;
    virtual int lineLength(int line) const = 0; // without its break
    virtual int lineAt(int pos) const = 0;      // pos in [0, length()]
    // At most length characters of the line from its character from on.
    virtual QString lineText(int line, int from, int length) const = 0;
    // The colours of those characters, relative to from.
    virtual QList<QTextLayout::FormatRange> lineFormats(int line, int from, int length) const = 0;
};

// A view and editor of a TextViewSource's text that lays out only the lines it shows, each
// with a QTextLayout kept for it while it stays on screen. It keeps the caret and the
// selection, draws them, moves them by keys and mouse, and asks editText() for every change
// that keys, mouse, clipboard, drag and drop and input methods would make.
class TextView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TextView(QWidget* parent = nullptr);
    ~TextView() override;

    void setSource(const TextViewSource* source);
    const TextViewSource* source() const { return m_source; }

    // Caret and selection in document positions; the caret is position().
    int anchor() const { return m_anchor; }
    int position() const { return m_position; }
    bool hasSelection() const { return m_anchor != m_position; }
    int selectionStart() const { return qMin(m_anchor, m_position); }
    int selectionEnd() const { return qMax(m_anchor, m_position); }
    // Moves them without scrolling; selectionChanged follows when either changed.
    void setSelection(int anchor, int position);
    void ensureCaretVisible();
    QRect cursorRect() const; // the caret, in viewport coordinates

    // The subclass is about to replace [from, to) of the text; linesReplaced follows. A long
    // line changed in place then keeps the layouts and measures of what the change did not
    // touch.
    void aboutToReplace(int from, int to);
    // The source's lines [first, first + oldCount) became [first, first + newCount): their
    // layouts and screen lines are dropped, the lines after them move along, and the view
    // repaints. The top line stays where it was on screen when it is not among them.
    void linesReplaced(int first, int oldCount, int newCount);
    // The whole text is new.
    void textReset();
    // Colours of lines [first, last] changed.
    void formatsChanged(int first, int last);

    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on);
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    bool tabChangesFocus() const { return m_tabChangesFocus; }
    void setTabChangesFocus(bool on) { m_tabChangesFocus = on; }

    // Screen lines: the lines as drawn under word wrap; without it, the source's lines.
    // Under word wrap the lines above the one asked about are laid out first (once; a
    // change lays out again only from the changed line on).
    int screenLineOf(int pos) const;
    // As screenLineOf when it takes less than the deadline; otherwise the lines above are
    // laid out in slices while the program is idle, screenLinesKnown follows, and nullopt
    // is returned.
    std::optional<int> knownScreenLineOf(int pos, QDeadlineTimer deadline) const;
    int screenLineCount() const;
    // The document position where a screen line starts, or -1 when there is no such line.
    int screenLineStart(int screenLine) const;
    // The screen line holding pos: its start and its length (without a break).
    struct ScreenLine {
        int start = 0;
        int length = 0;
    };
    ScreenLine screenLineAt(int pos) const;

    // Copy, Cut and Paste as the keys do them, through the mime data functions below.
    void copy();
    void cut();
    void paste();

Q_SIGNALS:
    void selectionChanged();
    // The screen lines that knownScreenLineOf could not tell are laid out now.
    void screenLinesKnown();

protected:
    // Makes a change that keys, mouse, clipboard, drag and drop or an input method ask for:
    // [from, to) gives way to text ('\n' breaks). The subclass makes it (it may refuse),
    // tells the view through linesReplaced and places the caret after the new text.
    // Typed text and deletions by Backspace and Delete say so, for undo to join them.
    enum class EditKind { Typing, Deleting, Other };
    virtual void editText(int from, int to, const QString& text, EditKind kind) = 0;
    // A move of text by drag and drop is two edits that undo takes back together: they come
    // between these two calls.
    virtual void beginEditGroup() {}
    virtual void endEditGroup() {}
    // Undo asked for by the keys or the context menu.
    virtual void undo() = 0;
    virtual bool canUndo() const = 0;

    virtual QMimeData* createMimeDataFromSelection() const;
    virtual bool canInsertFromMimeData(const QMimeData* source) const;
    virtual void insertFromMimeData(const QMimeData* source);
    // The menu the default context menu policy shows; the caller owns it.
    virtual QMenu* createStandardContextMenu();

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void timerEvent(QTimerEvent* event) override;

private:
    const TextViewSource* m_source = nullptr;
    int m_anchor = 0;
    int m_position = 0;
    bool m_wordWrap = false;
    bool m_readOnly = false;
    bool m_tabChangesFocus = false;
    struct Private;
    std::unique_ptr<Private> d;
    friend class TextViewAccessible;
};
