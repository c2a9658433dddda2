#pragma once

#include "app/ColorRanges.h"
#include "app/TextEdits.h"
#include "app/TextFile.h"
#include "app/TextStore.h"
#include "app/TextView.h"
#include "app/UndoHistory.h"

#include <QColor>
#include <QFont>
#include <QPointer>

#include <optional>

class QPrinter;
class QTimer;

// Scroll request codes raised by OnVScroll and OnHScroll.
enum ScrollCode : short {
    SB_LINEUP = 0,
    SB_LINEDOWN = 1,
    SB_PAGEUP = 2,
    SB_PAGEDOWN = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_BOTTOM = 7,
    SB_ENDSCROLL = 8
};

enum class ScrollBarsMode { None, Vertical, Horizontal, Both };

// The editor control. Positions are 0-based and count every line break as two characters
// (CR LF); text given out joins lines with CR LF. No other code touches the text store.
class TScrollMemo : public TextView, private TextViewSource
{
    Q_OBJECT

public:
    explicit TScrollMemo(QWidget* parent = nullptr);
    ~TScrollMemo() override;

    // Caret and selection
    int SelStart() const;
    void SetSelStart(int pos); // collapses the selection, no scrolling
    int SelLength() const;
    void SetSelLength(int length); // negative: the -length characters before SelStart
    QString SelectedText() const;
    void ReplaceSelection(const QString& text); // one undo step
    // As ReplaceSelection, but the text never takes the colour of the text around it.
    void PasteText(const QString& text);
    void DeleteSelection();
    void SelectAllText();
    void ScrollCaretIntoView();
    // Replaces length characters at each position (ascending, not overlapping, positions in
    // the text before the first replacement, between whole characters) by the replacement, as
    // one undo step; the caret
    // ends after the last one. Colours follow as for ReplaceSelection.
    void ReplaceMatches(const QList<int>& positions, int length, const QString& replacement);
    // The edits (positions of the text before them, ascending, not overlapping, each between
    // whole characters as a search of the text finds them) as one undo step, colours
    // following as above. The caret and the selection stay with the text around them, and
    // nothing scrolls.
    void ReplaceRanges(const std::vector<TextEdit>& edits);
    // The character at pos: CR and LF for the two halves of a line break; null at the end.
    QChar CharAt(int pos) const;

    // Whole text
    QString FullText() const;
    void SetFullText(const QString& text); // clears the undo history
    // The text of another control with its line breaks and its file's format, as a new text.
    void SetTextFrom(const TScrollMemo& source);
    int TextLength() const;

    // Lines
    // A large file loads in the background: the window is drawn and shows the file's first
    // lines meanwhile, and Esc cancels the load (LoadCancelled then tells).
    FileResult LoadLinesFromFile(const QString& path);
    bool LoadCancelled() const { return m_loadCancelled; }
    static bool LoadsInBackground(const QString& path);
    // The lines from line first on, each with its own break as saving writes it (the last
    // line of the text has none), in the encoding given, until about maxBytes are given; next
    // receives the line to go on from, or -1 after the last. For copies written a few lines
    // at a time.
    QByteArray SavedBytesFrom(int first, qsizetype maxBytes, TextEncoding encoding,
                              int& next) const;
    FileResult SaveLinesToFile(const QString& path,
                               SafeFileWriter::Target target = SafeFileWriter::Target::FollowLinks);
    QString LineText(int line) const; // screen lines under word wrap; cut at 4096 characters
    void AppendLine(const QString& s);
    int LineCount() const;
    void BeginBulkUpdate();
    void EndBulkUpdate();
    bool InBulkUpdate() const { return m_bulkDepth > 0; }

    // A bar of messages above the text, inside the control's frame: the control owns it and
    // keeps room for it while it is shown. nullptr removes the bar.
    void SetMessageBar(QWidget* bar);
    QWidget* MessageBar() const { return m_messageBar; }

    // How the last loaded file was stored; saving writes it back the same way, each line
    // with its own line break. Lines the user makes take the format's line break.
    const FileFormat& Format() const { return m_format; }
    // A text restored from a copy is saved as its own file was.
    void SetFormat(const FileFormat& format) { m_format = format; }

    // State and options
    bool ModifiedFlag() const;
    // Changes of the text so far: while it stays the same, so does the text.
    quint64 EditCount() const { return m_edits; }
    void SetModifiedFlag(bool modified);
    bool WordWrap() const;
    void SetWordWrap(bool on);
    ScrollBarsMode ScrollBars() const { return m_scrollBars; }
    void SetScrollBars(ScrollBarsMode mode);
    bool HideScrollBars() const { return m_hideScrollBars; }
    void SetHideScrollBars(bool hide);
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool hide);
    bool PlainText() const { return true; }
    void SetPlainText(bool) {} // the control only ever holds plain text
    bool WantTabs() const { return !tabChangesFocus(); }
    void SetWantTabs(bool want) { setTabChangesFocus(!want); }
    QFont EditorFont() const { return m_editorFont; }
    QColor EditorFontColor() const { return m_textColor; }
    // A family that does not exist here is drawn with the system's fixed-pitch font; the
    // font keeps the name as given.
    void SetEditorFont(const QFont& font, const QColor& color);

    // Highlight colours: a layer over the text, not undoable, never modifying.
    QColor SelectionColor() const;
    void SetSelectionColor(const QColor& color);
    // Colours [start, start + length) without touching the selection.
    void SetRangeColor(int start, int length, const QColor& color);
    const ColorRanges& Colors() const { return m_colors; }

    // Undo
    bool CanUndo() const;
    void UndoLast(); // the restored characters end up selected

    // Line arithmetic (screen lines under word wrap); -1 means the caret's line. Under word
    // wrap the lines above are laid out first, which takes time in a long document.
    int LineFromChar(int pos) const;
    // The screen line of pos when it can be known at once; otherwise the lines above are laid
    // out while the program is idle, ScreenLinesKnown follows, and nullopt is returned.
    std::optional<int> KnownLineFromChar(int pos) const;
    // The column of pos in its screen line, from 0.
    int ColumnOfChar(int pos) const;
    int LineIndex(int line) const; // -1 when the line does not exist
    int LineLength(int pos) const;

    // Searching: first occurrence lying wholly in [start, start + length); length < 0 means
    // to the end. Line breaks in the text (CR LF, CR or LF) match one line break.
    int FindTextRange(const QString& text, int start, int length, bool matchCase,
                      bool wholeWord) const;
    // The last occurrence lying wholly in [start, start + length), or -1.
    int FindTextRangeBackward(const QString& text, int start, int length, bool matchCase,
                              bool wholeWord) const;

    // Keys that belong to the window's commands: the control leaves them to the command's
    // shortcut and never handles them itself, also while the command is disabled.
    void SetCommandKeys(const QList<QKeySequence>& keys) { m_commandKeys = keys; }

    void CopySelectionToClipboard();
    bool PrintDocument(const QString& title, QPrinter& printer);
    void FocusEditor();

    int BookmarkPos = 0;

    // Position conversions between the CR LF positions above and the document's own. A
    // position inside a character made of two 16-bit units moves to its start, or with
    // Snap::Forward to its end.
    enum class Snap { Back, Forward };
    int toDocPos(int pos, Snap snap = Snap::Back) const;
    int fromDocPos(int docPos) const;
    QString rawText(int docFrom, int docTo) const;

Q_SIGNALS:
    void OnChange(TScrollMemo* sender);
    void OnSelectionChange(TScrollMemo* sender);
    // Raised before the control handles a key; a handler may set key to 0 to swallow it.
    void OnKeyDown(TScrollMemo* sender, int& key, Qt::KeyboardModifiers shift);
    void OnVScroll(TScrollMemo* sender, short scrollCode);
    void OnHScroll(TScrollMemo* sender, short scrollCode);
    // The screen lines that KnownLineFromChar could not tell are laid out now.
    void ScreenLinesKnown(TScrollMemo* sender);
    // How far a large file's load has come, in percent, from half a second after it started;
    // -1 when it is over.
    void LoadProgress(TScrollMemo* sender, int percent);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void resizeEvent(QResizeEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;
    void editText(int from, int to, const QString& text, EditKind kind) override;
    void undo() override { UndoLast(); }
    void beginEditGroup() override { m_undo.beginGroup(); }
    void endEditGroup() override { m_undo.endGroup(); }
    bool canUndo() const override { return CanUndo(); }
    virtual void RaiseVScroll(short code);
    virtual void RaiseHScroll(short code);

private:
    // What the view draws: the store's lines with the colours over them.
    int length() const override { return m_store.length(); }
    int lineCount() const override { return m_store.lineCount(); }
    int lineStart(int line) const override { return m_store.lineStart(line); }
    int lineLength(int line) const override { return m_store.lineLength(line); }
    int lineAt(int pos) const override { return m_store.lineAt(pos); }
    QString lineText(int line, int from, int length) const override;
    QList<QTextLayout::FormatRange> lineFormats(int line, int from, int length) const override;

    // How the colours follow a change: inserted text takes the colour of the text around
    // it, comes back plain (an undo), or takes the colour of the text it replaces.
    enum class Coloring { Follow, Plain };
    // Replaces [from, to) (document positions) by text ('\n' breaks): the one place where
    // the text changes, apart from loading and whole new texts.
    // False, with nothing changed, when the text would grow too long for its positions.
    bool changeText(int from, int to, const QString& text, UndoHistory::Kind kind);
    std::pair<int, int> undoChanges(const std::vector<UndoHistory::Change>& changes);
    // ReplaceRanges, giving the document position after the last edit (-1 without edits).
    int replaceRanges(const std::vector<TextEdit>& edits);
    void followEditWithColors(int from, int removed, int added, Coloring coloring);
    void textChanged(int firstLine, int oldLines, int newLines);
    void newText();
    void onViewSelectionChanged();
    void refreshColors(int docFrom, int docTo);
    void colorDocRange(int docFrom, int docTo, const QColor& color);
    // The caret and selection the operations work on, in document positions: the view's
    // own, or during a bulk update a private one that the view takes over at the end.
    struct Selection {
        int anchor = 0;
        int position = 0;
        int start() const { return qMin(anchor, position); }
        int end() const { return qMax(anchor, position); }
        bool empty() const { return anchor == position; }
    };
    Selection selection() const;
    void select(int anchor, int position, bool scroll);
    bool isCommandKey(const QKeyEvent* event) const;
    void updateScrollBarPolicies();
    void connectScrollBar(QScrollBar* bar, bool vertical);
    // toDocPos for a position known to lie between whole characters.
    int boundaryDocPos(int pos) const;
    int fromDocPosOrNone(int docPos) const;
    int findText(const QString& text, int start, int length, bool matchCase, bool wholeWord,
                 bool backward) const;
    void placeMessageBar();
    FileResult loadNow(const QString& path);
    FileResult loadInBackground(const QString& path);
    bool showFileHead(const QString& path, TextStore& kept);
    void takeLoadedText(TextStore& store, const FileFormat& format);

    TextStore m_store;
    bool m_loadCancelled = false;
    UndoHistory m_undo;
    ColorRanges m_colors;
    FileFormat m_format;
    QPointer<QWidget> m_messageBar;
    quint64 m_edits = 0; // changes of the text so far
    QFont m_editorFont;  // as given, also when drawn with another family
    QColor m_textColor;
    ScrollBarsMode m_scrollBars = ScrollBarsMode::Both;
    bool m_hideScrollBars = false;
    bool m_hideSelection = false;

    // A colour set on an empty selection waits for the next text typed at that place.
    bool m_pendingColorSet = false;
    int m_pendingColorPos = -1;
    QColor m_pendingColor;

    int m_bulkDepth = 0;
    bool m_bulkChanged = false;
    bool m_bulkSelectionChanged = false;
    bool m_bulkScroll = false;
    Selection m_bulkSelection;
    bool m_quietCursor = false;
    QList<QKeySequence> m_commandKeys;
};
