#include "app/Scrlmemo.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMimeData>
#include <QPrinter>
#include <QScrollBar>
#include <QTextDocument>
#include <QTimer>

namespace
{

constexpr int MaxLineText = 4096;
constexpr int LayoutSliceMs = 20; // longest stretch of laying out lines in one go
constexpr qsizetype SaveChunk = 1 << 20;

short scrollCodeFor(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        return SB_LINEDOWN;
    case QAbstractSlider::SliderSingleStepSub:
        return SB_LINEUP;
    case QAbstractSlider::SliderPageStepAdd:
        return SB_PAGEDOWN;
    case QAbstractSlider::SliderPageStepSub:
        return SB_PAGEUP;
    case QAbstractSlider::SliderToMinimum:
        return SB_TOP;
    case QAbstractSlider::SliderToMaximum:
        return SB_BOTTOM;
    default:
        return SB_THUMBTRACK;
    }
}

// Where a document position lies after the edits: moved along by those before it; one
// inside a replaced stretch goes to its start, one at its start stays before the new text.
int positionAfterEdits(int docPos, const std::vector<ColorRanges::Edit>& edits)
{
    int shift = 0;
    for (const ColorRanges::Edit& edit : edits) {
        if (edit.pos >= docPos)
            break;
        if (docPos < edit.pos + edit.removed)
            return edit.pos + shift;
        shift += edit.added - edit.removed;
    }
    return docPos + shift;
}

bool containsSeparatorCharacters(QStringView text)
{
    return text.contains(QChar::LineSeparator) || text.contains(QChar::ParagraphSeparator);
}

QTextCharFormat colorFormat(QRgb color)
{
    QTextCharFormat format;
    format.setForeground(QColor::fromRgb(color));
    return format;
}

// Text as the store holds it: every line break (CR LF, CR, LF or a paragraph separator) as
// '\n'.
QString documentText(const QString& text)
{
    QString normalized = text;
    if (normalized.contains(u'\r'))
        normalizeLineBreaks(normalized);
    if (normalized.contains(QChar::ParagraphSeparator))
        normalized.replace(QChar::ParagraphSeparator, u'\n');
    return normalized;
}

} // namespace

TScrollMemo::TScrollMemo(QWidget* parent) : TextView(parent)
{
    setSource(this);
    m_editorFont = font();
    m_textColor = palette().color(QPalette::Text);
    updateScrollBarPolicies();
    SetHideSelection(false);
    connect(this, &TextView::selectionChanged, this, &TScrollMemo::onViewSelectionChanged);
    connect(this, &TextView::screenLinesKnown, this, [this] { Q_EMIT ScreenLinesKnown(this); });
    connectScrollBar(verticalScrollBar(), true);
    connectScrollBar(horizontalScrollBar(), false);
}

TScrollMemo::~TScrollMemo() = default;

// ---- Positions -------------------------------------------------------------------------

int TScrollMemo::fromDocPos(int docPos) const
{
    docPos = qBound(0, docPos, m_store.length());
    return docPos + m_store.lineAt(docPos);
}

int TScrollMemo::fromDocPosOrNone(int docPos) const
{
    return docPos < 0 ? -1 : fromDocPos(docPos);
}

int TScrollMemo::boundaryDocPos(int pos) const
{
    pos = qBound(0, pos, TextLength());
    const int docPos = m_store.fromCrLfPos(pos);
    return docPos;
}

int TScrollMemo::toDocPos(int pos, Snap snap) const
{
    const int docPos = boundaryDocPos(pos);
    // Nor can a position fall between the two halves of a character beyond 16 bits.
    if (docPos > 0 && m_store.charAt(docPos).isLowSurrogate() &&
        m_store.charAt(docPos - 1).isHighSurrogate())
        return docPos + (snap == Snap::Forward ? 1 : -1);
    return docPos;
}

QString TScrollMemo::rawText(int docFrom, int docTo) const
{
    if (docFrom >= docTo)
        return {};
    return m_store.crLfText(docFrom, docTo);
}

// ---- Caret and selection ---------------------------------------------------------------

TScrollMemo::Selection TScrollMemo::selection() const
{
    if (InBulkUpdate())
        return m_bulkSelection;
    return {anchor(), position()};
}

void TScrollMemo::select(int anchor, int position, bool scroll)
{
    if (m_pendingColorSet && (anchor != position || position != m_pendingColorPos))
        m_pendingColorSet = false;
    if (InBulkUpdate()) {
        m_bulkSelection = {anchor, position};
        m_bulkSelectionChanged = true;
        m_bulkScroll = m_bulkScroll || scroll;
        return;
    }
    setSelection(anchor, position);
    if (scroll)
        ensureCaretVisible();
}

int TScrollMemo::SelStart() const
{
    return fromDocPos(selection().start());
}

int TScrollMemo::SelLength() const
{
    const Selection current = selection();
    return fromDocPos(current.end()) - fromDocPos(current.start());
}

void TScrollMemo::SetSelStart(int pos)
{
    const int docPos = toDocPos(pos);
    select(docPos, docPos, false);
}

void TScrollMemo::SetSelLength(int length)
{
    const int start = SelStart();
    // Any length may come in (from a macro): the end is kept within the text.
    const int end = int(qBound(qint64(0), qint64(start) + length, qint64(TextLength())));
    // A length ending inside a character takes the whole character.
    select(toDocPos(start), toDocPos(end, length > 0 ? Snap::Forward : Snap::Back), true);
}

QString TScrollMemo::SelectedText() const
{
    const Selection current = selection();
    return rawText(current.start(), current.end());
}

void TScrollMemo::ReplaceSelection(const QString& text)
{
    const Selection current = selection();
    const QString inserted = documentText(text);
    if (!changeText(current.start(), current.end(), inserted, UndoHistory::Kind::Other))
        return;
    const int end = current.start() + int(inserted.size());
    select(end, end, true);
}

void TScrollMemo::ReplaceMatches(const QList<int>& positions, int length,
                                 const QString& replacement)
{
    std::vector<TextEdit> edits;
    edits.reserve(positions.size());
    for (int pos : positions)
        edits.push_back({pos, length, replacement});
    const int end = replaceRanges(edits);
    if (end >= 0)
        select(end, end, true);
}

void TScrollMemo::ReplaceRanges(const std::vector<TextEdit>& edits)
{
    replaceRanges(edits);
}

int TScrollMemo::replaceRanges(const std::vector<TextEdit>& edits)
{
    if (edits.empty())
        return -1;
    std::vector<ColorRanges::Edit> docEdits;
    std::vector<TextStore::Edit> storeEdits;
    std::vector<UndoHistory::Change> changes;
    docEdits.reserve(edits.size());
    storeEdits.reserve(edits.size());
    changes.reserve(edits.size());
    int shift = 0;
    for (const TextEdit& edit : edits) {
        const int from = boundaryDocPos(int(edit.pos));
        const int to = boundaryDocPos(int(edit.pos + edit.removed));
        // Texts without a CR stay shared between the edits.
        QString inserted = documentText(edit.inserted);
        docEdits.push_back({from, to - from, int(inserted.size())});
        changes.push_back({from + shift, m_store.text(from, to), m_store.lineBreaks(from, to),
                           int(inserted.size())});
        shift += int(inserted.size()) - (to - from);
        storeEdits.push_back({from, to, std::move(inserted)});
    }
    const Selection before = selection();
    const int firstLine = m_store.lineAt(docEdits.front().pos);
    const ColorRanges::Edit& lastEdit = docEdits.back();
    const int lastLine = m_store.lineAt(lastEdit.pos + lastEdit.removed);
    const int oldLines = m_store.lineCount();
    // A text that would grow too long for its positions stays as it was.
    if (!m_store.replace(storeEdits, m_format.lineBreak))
        return -1;
    m_undo.beginGroup();
    for (UndoHistory::Change& change : changes)
        m_undo.record(std::move(change), UndoHistory::Kind::Other);
    m_undo.endGroup();
    // The colours follow all the edits in one pass.
    m_colors.applyEdits(docEdits);
    const int newLines = m_store.lineCount();
    textChanged(firstLine, lastLine - firstLine + 1,
                lastLine - firstLine + 1 + newLines - oldLines);
    select(positionAfterEdits(before.anchor, docEdits),
           positionAfterEdits(before.position, docEdits), false);
    // shift holds the last edit's change of length too.
    return lastEdit.pos + shift + lastEdit.removed;
}

bool TScrollMemo::changeText(int from, int to, const QString& text, UndoHistory::Kind kind)
{
    if (from == to && text.isEmpty())
        return true;
    const int firstLine = m_store.lineAt(from);
    const int lastLine = m_store.lineAt(to);
    const int oldLines = m_store.lineCount();
    UndoHistory::Change change{from, m_store.text(from, to), m_store.lineBreaks(from, to),
                               int(text.size())};
    aboutToReplace(from, to);
    // A text that would grow too long for its positions stays as it was.
    if (!m_store.replace(from, to, text, m_format.lineBreak))
        return false;
    m_undo.record(std::move(change), kind);
    followEditWithColors(from, to - from, int(text.size()), Coloring::Follow);
    textChanged(firstLine, lastLine - firstLine + 1,
                lastLine - firstLine + 1 + m_store.lineCount() - oldLines);
    return true;
}

// After every change of the text: the view lays out the changed lines again, and the
// change is told.
void TScrollMemo::textChanged(int firstLine, int oldLines, int newLines)
{
    ++m_edits;
    linesReplaced(firstLine, oldLines, newLines);
    if (InBulkUpdate())
        m_bulkChanged = true;
    else
        Q_EMIT OnChange(this);
}

void TScrollMemo::followEditWithColors(int from, int removed, int added, Coloring coloring)
{
    if (m_colors.empty() && !m_pendingColorSet)
        return;
    // Inserted text takes the colour waiting at that place, else that of the text it
    // replaces, else that of the text right before it.
    std::optional<QRgb> color;
    if (coloring == Coloring::Plain) {
        // Restored text comes back plain: colours are not part of the undo history.
    } else if (m_pendingColorSet && removed == 0 && from == m_pendingColorPos) {
        if (m_pendingColor.isValid())
            color = m_pendingColor.rgb();
        m_pendingColorSet = false;
    } else if (removed > 0) {
        color = m_colors.colorAt(from);
    } else if (from > 0) {
        color = m_colors.colorAt(from - 1);
    }
    m_colors.applyEdit(from, removed, added, color);
}

QChar TScrollMemo::CharAt(int pos) const
{
    if (pos < 0 || pos >= TextLength())
        return {};
    const int docPos = boundaryDocPos(pos);
    const QChar c = m_store.charAt(docPos);
    if (c != u'\n')
        return c;
    // The break's first half is where the line ends; its second half is one further on.
    return fromDocPos(docPos) == pos ? QChar(u'\r') : QChar(u'\n');
}

void TScrollMemo::PasteText(const QString& text)
{
    const int from = selection().start();
    ReplaceSelection(text);
    // What went in lies between the two places.
    colorDocRange(from, selection().start(), m_textColor);
}

void TScrollMemo::DeleteSelection()
{
    const Selection current = selection();
    if (!current.empty() &&
        !changeText(current.start(), current.end(), QString(), UndoHistory::Kind::Other))
        return;
    select(current.start(), current.start(), true);
}

void TScrollMemo::SelectAllText()
{
    select(0, m_store.length(), false);
}

void TScrollMemo::ScrollCaretIntoView()
{
    if (InBulkUpdate())
        m_bulkScroll = true;
    else
        ensureCaretVisible();
}

// ---- Whole text ------------------------------------------------------------------------

QString TScrollMemo::FullText() const
{
    return m_store.crLfText(0, m_store.length());
}

// A new text of the store: nothing of the old one is left to undo, colour or lay out.
void TScrollMemo::newText()
{
    m_undo.clear();
    m_colors.clear();
    m_pendingColorSet = false;
    ++m_edits;
    textReset();
    if (InBulkUpdate())
        m_bulkChanged = true;
    else
        Q_EMIT OnChange(this);
}

void TScrollMemo::SetFullText(const QString& text)
{
    // A new text, not an edit of the old one: no way back to it by undo. One too long for
    // its positions leaves the old one.
    TextStore store;
    if (!store.setText(documentText(text), m_format.lineBreak))
        return;
    m_store.swap(store);
    newText();
    m_undo.markModified();
    select(0, 0, true);
}

int TScrollMemo::TextLength() const
{
    return m_store.length() + m_store.lineCount() - 1;
}

// ---- Files -----------------------------------------------------------------------------

FileResult TScrollMemo::SaveLinesToFile(const QString& path, SafeFileWriter::Target target)
{
    // Written in chunks: one failed write must not leave a truncated file behind, and the
    // old file stays until the new one is complete.
    SafeFileWriter file(path, target);
    if (const FileResult opened = file.open(); !opened.ok)
        return opened;
    for (int line = 0; line >= 0;) {
        if (!file.write(m_store.bytes(line, SaveChunk, m_format.encoding, line)))
            break;
    }
    return file.commit();
}

QByteArray TScrollMemo::SavedBytesFrom(int first, qsizetype maxBytes, TextEncoding encoding,
                                       int& next) const
{
    if (first < 0 || first >= m_store.lineCount()) {
        next = -1;
        return {};
    }
    return m_store.bytes(first, maxBytes, encoding, next);
}

void TScrollMemo::SetTextFrom(const TScrollMemo& source)
{
    m_format = source.m_format;
    m_store.copyFrom(source.m_store);
    newText();
    m_undo.markModified();
    select(0, 0, true);
}

// ---- Lines -----------------------------------------------------------------------------

QString TScrollMemo::LineText(int line) const
{
    if (line < 0)
        return {};
    if (!WordWrap()) {
        if (line >= m_store.lineCount())
            return {};
        return m_store.lineText(line, 0, MaxLineText);
    }
    const int start = screenLineStart(line);
    if (start < 0)
        return {};
    const ScreenLine screenLine = screenLineAt(start);
    return m_store.text(start, start + qMin(screenLine.length, MaxLineText));
}

void TScrollMemo::AppendLine(const QString& s)
{
    const int lastLine = m_store.lineCount() - 1;
    const bool endsWithBreak = m_store.lineLength(lastLine) == 0;
    const int end = m_store.length();
    select(end, end, false);
    ReplaceSelection(endsWithBreak ? s + u'\n' : u'\n' + s);
}

int TScrollMemo::LineCount() const
{
    const int lines = WordWrap() ? screenLineCount() : m_store.lineCount();
    return m_store.lineLength(m_store.lineCount() - 1) == 0 ? lines - 1 : lines;
}

void TScrollMemo::BeginBulkUpdate()
{
    if (m_bulkDepth == 0) {
        m_bulkSelection = selection(); // the view's, read before the bulk update starts
        m_bulkChanged = false;
        m_bulkSelectionChanged = false;
        m_bulkScroll = false;
        viewport()->setUpdatesEnabled(false);
    }
    ++m_bulkDepth;
}

void TScrollMemo::EndBulkUpdate()
{
    if (m_bulkDepth == 0 || --m_bulkDepth > 0)
        return;
    viewport()->setUpdatesEnabled(true);
    if (m_bulkSelectionChanged) {
        m_quietCursor = true; // one OnSelectionChange below stands for all of them
        select(m_bulkSelection.anchor, m_bulkSelection.position, m_bulkScroll);
        m_quietCursor = false;
    } else if (m_bulkScroll) {
        ensureCaretVisible();
    }
    viewport()->update();
    if (m_bulkChanged)
        Q_EMIT OnChange(this);
    if (m_bulkSelectionChanged)
        Q_EMIT OnSelectionChange(this);
}

// ---- State and options -----------------------------------------------------------------

bool TScrollMemo::ModifiedFlag() const
{
    return !m_undo.isClean();
}

void TScrollMemo::SetModifiedFlag(bool modified)
{
    if (modified)
        m_undo.markModified();
    else
        m_undo.markClean();
}

bool TScrollMemo::WordWrap() const
{
    return wordWrap();
}

void TScrollMemo::SetWordWrap(bool on)
{
    setWordWrap(on);
}

void TScrollMemo::SetScrollBars(ScrollBarsMode mode)
{
    m_scrollBars = mode;
    updateScrollBarPolicies();
}

void TScrollMemo::SetHideScrollBars(bool hide)
{
    m_hideScrollBars = hide;
    updateScrollBarPolicies();
}

void TScrollMemo::updateScrollBarPolicies()
{
    // Always-on bars keep the text width fixed: a bar appearing would relayout everything.
    const Qt::ScrollBarPolicy shown =
        m_hideScrollBars ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOn;
    const bool vertical =
        m_scrollBars == ScrollBarsMode::Vertical || m_scrollBars == ScrollBarsMode::Both;
    const bool horizontal =
        m_scrollBars == ScrollBarsMode::Horizontal || m_scrollBars == ScrollBarsMode::Both;
    setVerticalScrollBarPolicy(vertical ? shown : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(horizontal ? shown : Qt::ScrollBarAlwaysOff);
}

void TScrollMemo::SetHideSelection(bool hide)
{
    m_hideSelection = hide;
    QPalette p = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        p.setColor(QPalette::Inactive, role,
                   hide ? p.color(QPalette::Inactive,
                                  role == QPalette::Highlight ? QPalette::Base : QPalette::Text)
                        : p.color(QPalette::Active, role));
    }
    setPalette(p);
}

void TScrollMemo::SetEditorFont(const QFont& font, const QColor& color)
{
    m_editorFont = font;
    QFont drawn = font;
    if (!QFontDatabase::hasFamily(font.family())) {
        drawn = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        drawn.setPointSizeF(font.pointSizeF());
        drawn.setBold(font.bold());
        drawn.setItalic(font.italic());
        drawn.setUnderline(font.underline());
    }
    setFont(drawn);
    m_textColor = color.isValid() ? color : palette().color(QPalette::Text);
    QPalette p = palette();
    p.setColor(QPalette::Text, m_textColor);
    setPalette(p);
    SetHideSelection(m_hideSelection);
}

// ---- Highlight colours -----------------------------------------------------------------

QColor TScrollMemo::SelectionColor() const
{
    const Selection current = selection();
    std::optional<QRgb> color;
    if (!current.empty())
        color = m_colors.colorAt(current.start());
    else if (m_pendingColorSet && m_pendingColorPos == current.position)
        return m_pendingColor.isValid() ? m_pendingColor : m_textColor;
    else if (current.position > 0)
        color = m_colors.colorAt(current.position - 1);
    return color ? QColor::fromRgb(*color) : m_textColor;
}

void TScrollMemo::SetSelectionColor(const QColor& color)
{
    const Selection current = selection();
    const bool plain = color == m_textColor;
    if (current.empty()) {
        m_pendingColorSet = true;
        m_pendingColorPos = current.position;
        m_pendingColor = plain ? QColor() : color;
        return;
    }
    colorDocRange(current.start(), current.end(), color);
}

void TScrollMemo::SetRangeColor(int start, int length, const QColor& color)
{
    colorDocRange(toDocPos(start), toDocPos(start + length, Snap::Forward), color);
}

void TScrollMemo::colorDocRange(int docFrom, int docTo, const QColor& color)
{
    const bool plain = color == m_textColor;
    m_colors.set(docFrom, docTo, plain ? std::nullopt : std::optional<QRgb>(color.rgb()));
    refreshColors(docFrom, docTo);
}

// The lines of [docFrom, docTo] are drawn with their new colours (their layouts go; during a
// bulk update nothing is drawn until its end).
void TScrollMemo::refreshColors(int docFrom, int docTo)
{
    formatsChanged(m_store.lineAt(docFrom), m_store.lineAt(qMax(docFrom, docTo)));
}

QString TScrollMemo::lineText(int line, int from, int length) const
{
    QString text = m_store.lineText(line, from, length);
    // Line and paragraph separators would break the line on screen: they show as marks.
    if (containsSeparatorCharacters(text)) {
        text.replace(QChar::LineSeparator, QChar(0x21B5));
        text.replace(QChar::ParagraphSeparator, QChar(0x00B6));
    }
    return text;
}

QList<QTextLayout::FormatRange> TScrollMemo::lineFormats(int line, int from, int length) const
{
    QList<QTextLayout::FormatRange> formats;
    if (m_colors.empty())
        return formats;
    const int start = m_store.lineStart(line) + from;
    const int end = start + length;
    const auto& ranges = m_colors.ranges();
    for (std::size_t i = m_colors.firstEndingAfter(start);
         i < ranges.size() && ranges[i].start < end; ++i) {
        const int rangeFrom = qMax(ranges[i].start, start);
        const int rangeTo = qMin(ranges[i].end, end);
        if (rangeTo > rangeFrom)
            formats.append({rangeFrom - start, rangeTo - rangeFrom, colorFormat(ranges[i].color)});
    }
    return formats;
}

// ---- Undo ------------------------------------------------------------------------------

bool TScrollMemo::CanUndo() const
{
    return m_undo.canUndo();
}

void TScrollMemo::UndoLast()
{
    if (!CanUndo())
        return;
    const std::vector<UndoHistory::Change> changes = m_undo.takeLast();
    // The changes of a step that went one after another through the text (a Replace All)
    // are undone in one pass; others (a move by drag and drop) one by one, last first.
    bool inOrder = true;
    for (std::size_t i = 1; i < changes.size() && inOrder; ++i)
        inOrder = changes[i].from >= changes[i - 1].from + changes[i - 1].added;
    if (inOrder) {
        const std::pair<int, int> restored = undoChanges(changes);
        select(restored.first, restored.second, true);
        return;
    }
    std::pair<int, int> restored;
    for (auto change = changes.rbegin(); change != changes.rend(); ++change)
        restored = undoChanges({*change});
    select(restored.first, restored.second, true);
}

// Puts back what changes that follow one another through the text took away: each one's
// new text still stands where it was put. Gives where the restored characters are now.
std::pair<int, int> TScrollMemo::undoChanges(const std::vector<UndoHistory::Change>& changes)
{
    std::vector<TextStore::Edit> edits;
    std::vector<LineBreak> kinds;
    edits.reserve(changes.size());
    for (const UndoHistory::Change& change : changes) {
        edits.push_back({change.from, change.from + change.added, change.removed});
        kinds.insert(kinds.end(), change.removedBreaks.begin(), change.removedBreaks.end());
    }
    const int firstLine = m_store.lineAt(edits.front().from);
    const int lastLine = m_store.lineAt(edits.back().to);
    const int oldLines = m_store.lineCount();
    m_store.replace(edits, m_format.lineBreak, &kinds);
    // Restored text comes back plain: colours are not part of the undo history.
    for (auto change = changes.rbegin(); change != changes.rend(); ++change)
        followEditWithColors(change->from, change->added, int(change->removed.size()),
                             Coloring::Plain);
    textChanged(firstLine, lastLine - firstLine + 1,
                lastLine - firstLine + 1 + m_store.lineCount() - oldLines);
    int shift = 0;
    for (std::size_t i = 0; i + 1 < changes.size(); ++i)
        shift += int(changes[i].removed.size()) - changes[i].added;
    const UndoHistory::Change& last = changes.back();
    return {changes.front().from, last.from + shift + int(last.removed.size())};
}

// ---- Line arithmetic -------------------------------------------------------------------

std::optional<int> TScrollMemo::KnownLineFromChar(int pos) const
{
    if (!WordWrap())
        return LineFromChar(pos);
    return knownScreenLineOf(toDocPos(pos), QDeadlineTimer(LayoutSliceMs));
}

int TScrollMemo::ColumnOfChar(int pos) const
{
    const int docPos = toDocPos(pos);
    return docPos - screenLineAt(docPos).start;
}

void TScrollMemo::resizeEvent(QResizeEvent* event)
{
    TextView::resizeEvent(event);
    placeMessageBar();
}

void TScrollMemo::SetMessageBar(QWidget* bar)
{
    if (m_messageBar && m_messageBar != bar)
        m_messageBar->deleteLater();
    m_messageBar = bar;
    if (bar) {
        bar->setParent(this);
        bar->show();
    }
    placeMessageBar();
}

// Above the text and beside the vertical scroll bar; the text keeps its width, so it is not
// laid out again.
void TScrollMemo::placeMessageBar()
{
    const int height = m_messageBar ? m_messageBar->sizeHint().height() : 0;
    setViewportMargins(0, height, 0, 0);
    if (m_messageBar) {
        const QRect area = contentsRect();
        m_messageBar->setGeometry(area.left(), area.top(), viewport()->width(), height);
    }
}

int TScrollMemo::LineFromChar(int pos) const
{
    const int docPos = pos < 0 ? selection().start() : toDocPos(pos);
    return WordWrap() ? screenLineOf(docPos) : m_store.lineAt(docPos);
}

int TScrollMemo::LineIndex(int line) const
{
    if (line < 0)
        line = LineFromChar(-1);
    if (!WordWrap())
        return line < m_store.lineCount() ? m_store.lineStart(line) + line : -1;
    const int start = screenLineStart(line);
    return start < 0 ? -1 : fromDocPos(start);
}

int TScrollMemo::LineLength(int pos) const
{
    const int docPos = pos < 0 ? selection().start() : toDocPos(pos);
    return WordWrap() ? screenLineAt(docPos).length : m_store.lineLength(m_store.lineAt(docPos));
}

// ---- Searching -------------------------------------------------------------------------

namespace
{

// The pattern with its line breaks (CR LF, CR or LF) as the store's, and its length counting
// each as two.
struct SearchPattern {
    QString text;
    int length = 0;

    explicit SearchPattern(const QString& pattern) : text(documentText(pattern))
    {
        length = int(text.size() + text.count(u'\n'));
    }
};

} // namespace

int TScrollMemo::FindTextRange(const QString& text, int start, int length, bool matchCase,
                               bool wholeWord) const
{
    return findText(text, start, length, matchCase, wholeWord, false);
}

int TScrollMemo::FindTextRangeBackward(const QString& text, int start, int length, bool matchCase,
                                       bool wholeWord) const
{
    return findText(text, start, length, matchCase, wholeWord, true);
}

// Clamps [start, start + length) to the text (a negative length reaching to the end) and
// finds the pattern in it.
int TScrollMemo::findText(const QString& text, int start, int length, bool matchCase,
                          bool wholeWord, bool backward) const
{
    const SearchPattern pattern(text);
    const int total = TextLength();
    start = qBound(0, start, total);
    const int end = length < 0 ? total : int(qMin<qint64>(total, qint64(start) + length));
    if (pattern.length == 0 || qint64(start) + pattern.length > end)
        return -1;
    // A range starting between the two halves of a break starts at the next line, and one
    // ending there ends before the break.
    int docFrom = boundaryDocPos(start);
    if (fromDocPos(docFrom) < start)
        ++docFrom;
    return fromDocPosOrNone(m_store.find(pattern.text, docFrom, boundaryDocPos(end),
                                         matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive,
                                         wholeWord, backward));
}

// ---- Other operations ------------------------------------------------------------------

void TScrollMemo::CopySelectionToClipboard()
{
    QString text = SelectedText();
    normalizeLineBreaks(text);
    QApplication::clipboard()->setText(text);
}

bool TScrollMemo::PrintDocument(const QString& title, QPrinter& printer)
{
    printer.setDocName(title);
    // Laid out for printing only, with wrapping: long lines would otherwise be cut at the
    // page edge.
    QTextDocument copy;
    QTextOption option = copy.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy.setDefaultTextOption(option);
    copy.setDefaultFont(font());
    copy.setPlainText(m_store.text(0, m_store.length()));
    copy.print(&printer);
    return printer.printerState() != QPrinter::Error;
}

void TScrollMemo::FocusEditor()
{
    setFocus(Qt::OtherFocusReason);
}

// ---- Events ----------------------------------------------------------------------------

bool TScrollMemo::isCommandKey(const QKeyEvent* event) const
{
    const QKeySequence pressed(event->keyCombination());
    return m_commandKeys.contains(pressed);
}

bool TScrollMemo::event(QEvent* event)
{
    // Leave the window's command keys to their shortcuts instead of the control's own
    // handling of Ctrl+C, Ctrl+Z and the like.
    if (event->type() == QEvent::ShortcutOverride && isCommandKey(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return TextView::event(event);
}

void TScrollMemo::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    Q_EMIT OnKeyDown(this, key, event->modifiers());
    // A command key that reaches the control belongs to a disabled command: do nothing.
    // Shift+Enter would put an invisible line separator into the text.
    if (key == 0 || isCommandKey(event) || event->matches(QKeySequence::InsertLineSeparator) ||
        containsSeparatorCharacters(event->text())) {
        event->accept();
        return;
    }
    TextView::keyPressEvent(event);
}

// Nor does an input method put line or paragraph separators into the text.
void TScrollMemo::inputMethodEvent(QInputMethodEvent* event)
{
    if (!containsSeparatorCharacters(event->commitString())) {
        TextView::inputMethodEvent(event);
        return;
    }
    QString commit = event->commitString();
    commit.remove(QChar::LineSeparator).remove(QChar::ParagraphSeparator);
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(commit, event->replacementStart(), event->replacementLength());
    TextView::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}

// Keys, mouse, drag and drop and input methods change the text here.
void TScrollMemo::editText(int from, int to, const QString& text, EditKind kind)
{
    if (isReadOnly())
        return;
    const QString inserted = documentText(text);
    UndoHistory::Kind undoKind = UndoHistory::Kind::Other;
    if (kind == EditKind::Typing && from == to && !inserted.contains(u'\n'))
        undoKind = UndoHistory::Kind::Typing;
    else if (kind == EditKind::Deleting && inserted.isEmpty())
        undoKind = UndoHistory::Kind::Deleting;
    if (!changeText(from, to, inserted, undoKind))
        return;
    const int end = from + int(inserted.size());
    select(end, end, true);
}

// Copy, cut and drag by the control's own keys and mouse carry the raw text, with LF breaks.
QMimeData* TScrollMemo::createMimeDataFromSelection() const
{
    auto* data = new QMimeData;
    QString text = SelectedText();
    normalizeLineBreaks(text);
    data->setText(text);
    return data;
}

// Text pasted by the control's own keys and mouse, or dropped, goes in as Paste puts it.
void TScrollMemo::insertFromMimeData(const QMimeData* source)
{
    if (source->hasText() && !isReadOnly())
        PasteText(source->text());
}

bool TScrollMemo::canInsertFromMimeData(const QMimeData* source) const
{
    // Dropped files are for the main window to open, not text to insert.
    return !source->hasUrls() && TextView::canInsertFromMimeData(source);
}

void TScrollMemo::RaiseVScroll(short code)
{
    Q_EMIT OnVScroll(this, code);
}

void TScrollMemo::RaiseHScroll(short code)
{
    Q_EMIT OnHScroll(this, code);
}

void TScrollMemo::connectScrollBar(QScrollBar* bar, bool vertical)
{
    auto raise = [this, vertical](short code) {
        // Raised once the scroll bar has moved.
        QTimer::singleShot(0, this, [this, vertical, code] {
            vertical ? RaiseVScroll(code) : RaiseHScroll(code);
        });
    };
    connect(bar, &QAbstractSlider::actionTriggered, this,
            [raise](int action) { raise(scrollCodeFor(action)); });
    connect(bar, &QAbstractSlider::sliderReleased, this, [raise] {
        raise(SB_THUMBPOSITION);
        raise(SB_ENDSCROLL);
    });
}

void TScrollMemo::onViewSelectionChanged()
{
    if (m_pendingColorSet && (hasSelection() || position() != m_pendingColorPos))
        m_pendingColorSet = false;
    if (InBulkUpdate())
        m_bulkSelectionChanged = true;
    else if (!m_quietCursor)
        Q_EMIT OnSelectionChange(this);
}
