#include "app/Scrlmemo.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMimeData>
#include <QPrinter>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

namespace
{

constexpr int MaxLineText = 4096;
constexpr int LayoutSliceMs = 20; // longest stretch of laying out lines in one go
constexpr int NearbyBlocks = 8;   // lines walked from the last position before a search
// Marks a block whose layout holds colour formats. It stays with the layout when the
// document joins or splits blocks (the user state does not: a join takes the second's).
class ColoredLineMark final : public QTextBlockUserData
{
};
constexpr qsizetype LoadChunk = 1 << 20;
constexpr qsizetype SaveChunk = 1 << 20;

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

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

QStringList splitAtLineBreaks(const QString& text)
{
    QString normalized = text;
    normalizeLineBreaks(normalized);
    return normalized.split(u'\n');
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

} // namespace

TScrollMemo::TScrollMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    m_editorFont = font();
    setLineWrapMode(NoWrap);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_textColor = palette().color(QPalette::Text);
    updateScrollBarPolicies();
    SetHideSelection(false);

    connect(document(), &QTextDocument::contentsChange, this, &TScrollMemo::onContentsChange);
    connect(this, &QPlainTextEdit::textChanged, this, &TScrollMemo::onTextChanged);
    connect(this, &QPlainTextEdit::cursorPositionChanged, this,
            &TScrollMemo::onCursorPositionChanged);
    connect(this, &QPlainTextEdit::selectionChanged, this, &TScrollMemo::onCursorPositionChanged);
    connectScrollBar(verticalScrollBar(), true);
    connectScrollBar(horizontalScrollBar(), false);
    m_layoutTimer = new QTimer(this);
    m_layoutTimer->setSingleShot(true);
    m_layoutTimer->setInterval(0);
    connect(m_layoutTimer, &QTimer::timeout, this, &TScrollMemo::layOutInSlices);
}

TScrollMemo::~TScrollMemo() = default;

// ---- Positions -------------------------------------------------------------------------

int TScrollMemo::fromDocPos(int docPos) const
{
    const QTextBlock block = document()->findBlock(docPos);
    const int number = block.isValid() ? block.blockNumber() : document()->blockCount() - 1;
    return docPos + number;
}

TScrollMemo::BlockAt TScrollMemo::blockAtSpecPos(int pos) const
{
    if (m_lastBlock.block.isValid() && pos >= m_lastBlock.specStart()) {
        // Positions asked for one after another, in ascending order, are found a few lines
        // further on.
        BlockAt at = m_lastBlock;
        for (int step = 0; step < NearbyBlocks; ++step) {
            if (pos < at.specStart() + at.block.length() + 1) {
                m_lastBlock = at;
                return at;
            }
            const QTextBlock next = at.block.next();
            if (!next.isValid())
                break;
            at = {next, at.number + 1, at.docStart + at.block.length()};
        }
    }
    m_lastBlock = findBlockAtSpecPos(pos);
    return m_lastBlock;
}

// The block n holding pos is the last one whose start, position(n) + n, is <= pos. With
// n known, the document position is pos - n, so n is a fixed point of
// n -> number of the block at pos - n. From a guess by the average line length that
// iteration settles in a step or two; a text of very uneven lines falls back to a search.
TScrollMemo::BlockAt TScrollMemo::findBlockAtSpecPos(int pos) const
{
    const QTextDocument* doc = document();
    const int lastChar = doc->characterCount() - 1;
    const int blocks = doc->blockCount();
    auto numberAt = [doc, lastChar](int docPos) {
        return doc->findBlock(qBound(0, docPos, lastChar)).blockNumber();
    };
    int n = int(qint64(pos) * (blocks - 1) / qMax(1, lastChar + blocks - 1));
    for (int round = 0; round < 4; ++round) {
        const int m = numberAt(pos - n);
        if (qAbs(m - n) <= 1)
            return stepToBlockAt(pos, doc->findBlockByNumber(qMin(m, n)));
        n = m;
    }
    int hi = numberAt(pos);
    int lo = numberAt(pos - hi);
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (doc->findBlockByNumber(mid).position() + mid <= pos)
            lo = mid;
        else
            hi = mid - 1;
    }
    return stepToBlockAt(pos, doc->findBlockByNumber(lo));
}

// Walks from a block next to the answer to the block that holds pos.
TScrollMemo::BlockAt TScrollMemo::stepToBlockAt(int pos, QTextBlock block) const
{
    BlockAt at{block, block.blockNumber(), block.position()};
    while (at.number > 0 && at.specStart() > pos) {
        at.block = at.block.previous();
        --at.number;
        at.docStart = at.block.position();
    }
    for (QTextBlock next = at.block.next(); next.isValid(); next = next.next()) {
        if (next.position() + at.number + 1 > pos)
            break;
        at = {next, at.number + 1, next.position()};
    }
    return at;
}

int TScrollMemo::boundaryDocPos(int pos) const
{
    pos = qBound(0, pos, TextLength());
    const BlockAt at = blockAtSpecPos(pos);
    // A position between the CR and the LF of a break means the end of the line.
    return at.docStart + qMin(pos - at.specStart(), at.block.length() - 1);
}

int TScrollMemo::toDocPos(int pos, Snap snap) const
{
    const int docPos = boundaryDocPos(pos);
    // Nor can a position fall between the two halves of a character beyond 16 bits.
    if (docPos > m_lastBlock.docStart && document()->characterAt(docPos).isLowSurrogate() &&
        document()->characterAt(docPos - 1).isHighSurrogate())
        return docPos + (snap == Snap::Forward ? 1 : -1);
    return docPos;
}

QString TScrollMemo::rawText(int docFrom, int docTo) const
{
    QString text;
    if (docFrom >= docTo)
        return text;
    for (QTextBlock block = document()->findBlock(docFrom);
         block.isValid() && block.position() < docTo; block = block.next()) {
        const int start = block.position();
        const QString line = block.text();
        const int from = qMax(docFrom, start) - start;
        const int to = qMin(docTo, start + int(line.size())) - start;
        if (to > from)
            text += QStringView(line).mid(from, to - from);
        if (start + line.size() < docTo && block.next().isValid())
            text += QStringLiteral("\r\n");
    }
    return text;
}

// ---- Caret and selection ---------------------------------------------------------------

TScrollMemo::Selection TScrollMemo::selection() const
{
    if (InBulkUpdate())
        return m_bulkSelection;
    const QTextCursor cursor = textCursor();
    return {cursor.anchor(), cursor.position()};
}

QTextCursor TScrollMemo::cursorFor(const Selection& selection) const
{
    QTextCursor cursor(document());
    cursor.setPosition(selection.anchor);
    cursor.setPosition(selection.position, QTextCursor::KeepAnchor);
    return cursor;
}

void TScrollMemo::select(int anchor, int position, bool scroll)
{
    if (m_pendingColorSet && (anchor != position || position != m_pendingColorPos))
        m_pendingColorSet = false;
    if (InBulkUpdate()) {
        // The widget's cursor moves once, at the end: placing a cursor lays out its line,
        // and moving the widget's one also walks the lines above it.
        m_bulkSelection = {anchor, position};
        m_bulkSelectionChanged = true;
        m_bulkScroll = m_bulkScroll || scroll;
        return;
    }
    const QTextCursor cursor = cursorFor({anchor, position});
    if (scroll) {
        setTextCursor(cursor);
        return;
    }
    const int v = verticalScrollBar()->value();
    const int h = horizontalScrollBar()->value();
    setTextCursor(cursor);
    verticalScrollBar()->setValue(v);
    horizontalScrollBar()->setValue(h);
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
    QString inserted = text;
    normalizeLineBreaks(inserted);
    QTextCursor cursor = cursorFor(selection());
    cursor.beginEditBlock();
    cursor.insertText(inserted);
    cursor.endEditBlock();
    select(cursor.position(), cursor.position(), true);
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
    std::vector<QString> inserted;
    docEdits.reserve(edits.size());
    inserted.reserve(edits.size());
    for (const TextEdit& edit : edits) {
        const int from = boundaryDocPos(int(edit.pos));
        inserted.push_back(edit.inserted);
        // Texts without a CR stay shared between the edits.
        if (inserted.back().contains(u'\r'))
            normalizeLineBreaks(inserted.back());
        docEdits.push_back({from, boundaryDocPos(int(edit.pos + edit.removed)) - from,
                            int(inserted.back().size())});
    }
    const Selection before = selection();
    // The colours follow all the edits in one pass; the document reports them as one change.
    m_colors.applyEdits(docEdits);
    m_colorsFollowed = true;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    int shift = 0;
    for (std::size_t i = 0; i < docEdits.size(); ++i) {
        const ColorRanges::Edit& edit = docEdits[i];
        cursor.setPosition(edit.pos + shift);
        cursor.setPosition(edit.pos + shift + edit.removed, QTextCursor::KeepAnchor);
        cursor.insertText(inserted[i]);
        shift += edit.added - edit.removed;
    }
    cursor.endEditBlock();
    m_colorsFollowed = false;
    select(positionAfterEdits(before.anchor, docEdits),
           positionAfterEdits(before.position, docEdits), false);
    return cursor.position();
}

QChar TScrollMemo::CharAt(int pos) const
{
    if (pos < 0 || pos >= TextLength())
        return {};
    const BlockAt at = blockAtSpecPos(pos);
    const int offset = pos - at.specStart();
    const int lineLength = at.block.length() - 1;
    if (offset < lineLength)
        return document()->characterAt(at.docStart + offset);
    return offset == lineLength ? QChar(u'\r') : QChar(u'\n');
}

void TScrollMemo::PasteText(const QString& text)
{
    const int from = selection().start();
    ReplaceSelection(text);
    // What went in lies between the two places, whatever the text's own length says (a
    // paragraph separator in it is a line break of two).
    colorDocRange(from, selection().start(), m_textColor);
}

void TScrollMemo::DeleteSelection()
{
    QTextCursor cursor = cursorFor(selection());
    cursor.removeSelectedText();
    select(cursor.position(), cursor.position(), true);
}

void TScrollMemo::SelectAllText()
{
    select(0, document()->characterCount() - 1, false);
}

void TScrollMemo::ScrollCaretIntoView()
{
    if (InBulkUpdate())
        m_bulkScroll = true;
    else
        ensureCursorVisible();
}

// ---- Whole text ------------------------------------------------------------------------

QString TScrollMemo::FullText() const
{
    const QString raw = document()->toRawText();
    const QStringView rawView(raw);
    QString text(raw.size() + document()->blockCount() - 1, Qt::Uninitialized);
    QChar* write = text.data();
    qsizetype from = 0;
    while (from <= raw.size()) {
        qsizetype to = rawView.indexOf(QChar::ParagraphSeparator, from);
        const bool lastLine = to < 0;
        if (lastLine)
            to = raw.size();
        write = std::copy(raw.constData() + from, raw.constData() + to, write);
        if (lastLine)
            break;
        *write++ = u'\r';
        *write++ = u'\n';
        from = to + 1;
    }
    text.truncate(write - text.constData());
    return text;
}

void TScrollMemo::SetFullText(const QString& text)
{
    // A new text, not an edit of the old one: no way back to it by undo.
    QString normalized = text;
    normalizeLineBreaks(normalized);
    document()->setUndoRedoEnabled(false);
    clearAllText();
    // In pieces cut after line breaks, at the end, inside one edit block: as a load fills.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    const QStringView all(normalized);
    for (qsizetype from = 0; from < all.size();) {
        qsizetype end = all.indexOf(u'\n', qMin(all.size(), from + LoadChunk));
        end = end < 0 ? all.size() : end + 1;
        cursor.insertText(all.mid(from, end - from).toString());
        from = end;
    }
    cursor.endEditBlock();
    document()->setUndoRedoEnabled(true);
    document()->setModified(true);
    select(0, 0, true);
}

int TScrollMemo::TextLength() const
{
    const QTextDocument* doc = document();
    return doc->characterCount() - 1 + doc->blockCount() - 1;
}

// ---- Files -----------------------------------------------------------------------------

void TScrollMemo::clearAllText()
{
    m_colors.clear();
    m_pendingColorSet = false;
    m_formatsApplied = false;
    document()->clear(); // the blocks and their colour formats go with the text
    document()->firstBlock().layout()->clearFormats();
    document()->firstBlock().setUserState(int(m_format.lineBreak));
}

// Fills the (empty) document at its end in chunks cut after line feeds, inside one edit
// block: the layout runs once at the end. Returns false when the bytes are not text in that
// encoding that the document can hold unchanged.
bool TScrollMemo::fillFromBytes(QByteArrayView bytes, TextEncoding encoding)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    bool ok = true;
    for (qsizetype from = 0; from < bytes.size() && ok;) {
        const qsizetype end = nextChunkEnd(bytes, from, LoadChunk);
        const QByteArrayView chunk = bytes.sliced(from, end - from);
        QString text;
        if (encoding == TextEncoding::Latin1) {
            text = latin1ToDocumentText(chunk);
        } else {
            text = utf8.decode(chunk);
            ok = !utf8.hasError() && !containsDocumentSeparators(text);
            normalizeLineBreaks(text);
        }
        if (ok)
            cursor.insertText(text);
        from = end;
    }
    cursor.endEditBlock();
    return ok;
}

FileResult TScrollMemo::LoadLinesFromFile(const QString& path)
{
    // A device or pipe could block for ever or never end; positions are ints.
    QByteArray bytes;
    if (const FileResult read = ReadWholeFile(path, MaxDocumentSize, bytes); !read.ok)
        return read;

    FileFormat format;
    format.lineBreak = detectLineBreak(bytes);
    m_format = format;
    // Undo off during the fill: the history is empty after a load anyway.
    document()->setUndoRedoEnabled(false);
    clearAllText();
    if (!QByteArrayView(bytes).isValidUtf8() || !fillFromBytes(bytes, TextEncoding::Utf8)) {
        // Not UTF-8 (or not holdable as such): one byte is one character, so every byte
        // sequence survives a save.
        clearAllText();
        m_format.encoding = TextEncoding::Latin1;
        fillFromBytes(bytes, TextEncoding::Latin1);
    }
    // Each line break of the file becomes one block boundary: the blocks take their kinds.
    setLineBreaks(mixedLineBreaks(bytes));
    document()->setUndoRedoEnabled(true);
    select(0, 0, true);
    SetModifiedFlag(false);
    return {};
}

FileResult TScrollMemo::SaveLinesToFile(const QString& path, SafeFileWriter::Target target)
{
    const TextEncoding encoding = m_format.encoding;
    // Written in chunks: one failed write must not leave a truncated file behind, and the
    // old file stays until the new one is complete.
    SafeFileWriter file(path, target);
    if (const FileResult opened = file.open(); !opened.ok)
        return opened;
    QByteArray buffer;
    buffer.reserve(SaveChunk + MaxLineText);
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        buffer += encodeText(block.text(), encoding);
        if (block.next().isValid())
            buffer += lineBreakBytes(lineBreakOf(block));
        if (buffer.size() >= SaveChunk) {
            if (!file.write(buffer))
                break;
            buffer.clear();
        }
    }
    file.write(buffer);
    return file.commit();
}

QByteArray TScrollMemo::SavedBytesFrom(int first, qsizetype maxBytes, TextEncoding encoding,
                                       int& next) const
{
    QByteArray bytes;
    QTextBlock block = document()->findBlockByNumber(first);
    while (block.isValid() && bytes.size() < maxBytes) {
        bytes += encodeText(block.text(), encoding);
        if (block.next().isValid())
            bytes += lineBreakBytes(lineBreakOf(block));
        block = block.next();
    }
    next = block.isValid() ? block.blockNumber() : -1;
    return bytes;
}

void TScrollMemo::SetTextFrom(const TScrollMemo& source)
{
    m_format = source.m_format;
    SetFullText(source.FullText());
    QTextBlock from = source.document()->begin();
    for (QTextBlock to = document()->begin(); to.isValid() && from.isValid();
         to = to.next(), from = from.next())
        setLineBreakOf(to, source.lineBreakOf(from));
}

// ---- Line breaks ------------------------------------------------------------------------
// A block's user state holds the kind of the line break that ends it; a block the document
// has just made holds -1. When the document joins two blocks, the first takes the state of
// the second: the joined line ends as the second did.

LineBreak TScrollMemo::lineBreakOf(const QTextBlock& block) const
{
    const int state = block.userState();
    return state < 0 ? m_format.lineBreak : LineBreak(state);
}

void TScrollMemo::setLineBreakOf(QTextBlock block, LineBreak kind) const
{
    block.setUserState(int(kind));
}

void TScrollMemo::setLineBreaks(const std::vector<LineBreak>& kinds)
{
    std::size_t i = 0;
    for (QTextBlock block = document()->begin(); block.isValid() && i < kinds.size();
         block = block.next())
        setLineBreakOf(block, kinds[i++]);
}

// After an edit of [docFrom, docTo]: a break the edit inserted is of the kind new lines
// get, and the part of a split line after it ends as the whole line did. When the document
// splits a block, the first part keeps the block's state and the rest are new blocks.
void TScrollMemo::settleLineBreaks(int docFrom, int docTo)
{
    const int typed = int(m_format.lineBreak);
    int carried = typed;
    const QTextBlock last = document()->findBlock(docTo);
    QTextBlock block = document()->findBlock(docFrom);
    int state = block.userState();
    while (block.isValid()) {
        const QTextBlock next = block.next();
        const int nextState = next.isValid() ? next.userState() : 0;
        if (nextState < 0) {
            if (state >= 0)
                carried = state;
            setLineBreakOf(block, LineBreak(typed));
        } else if (state < 0) {
            setLineBreakOf(block, LineBreak(carried));
        }
        if (block == last)
            break;
        block = next;
        state = nextState;
    }
}

// The kinds of the breaks as last loaded, saved or copied, when they are not all of one
// kind: an undo back to that text gets them back as they were.
void TScrollMemo::rememberCleanLineBreaks()
{
    m_cleanLineBreaks.clear();
    m_cleanEdits = m_edits;
    bool mixed = false;
    for (QTextBlock block = document()->begin(); block.next().isValid(); block = block.next()) {
        const LineBreak kind = lineBreakOf(block);
        mixed = mixed || kind != m_format.lineBreak;
        m_cleanLineBreaks.push_back(kind);
    }
    if (!mixed)
        m_cleanLineBreaks.clear();
}

// ---- Lines -----------------------------------------------------------------------------

QString TScrollMemo::LineText(int line) const
{
    if (line < 0)
        return {};
    if (!WordWrap())
        return document()->findBlockByNumber(line).text().left(MaxLineText);
    layOutScreenLinesUpTo(document()->findBlockByLineNumber(line));
    const QTextBlock block = document()->findBlockByLineNumber(line);
    if (!block.isValid())
        return {};
    const QTextLayout* layout = block.layout();
    const int inBlock = line - block.firstLineNumber();
    if (!layout || inBlock >= layout->lineCount())
        return block.text().left(MaxLineText);
    const QTextLine screenLine = layout->lineAt(inBlock);
    return block.text().mid(screenLine.textStart(), screenLine.textLength()).left(MaxLineText);
}

void TScrollMemo::AppendLine(const QString& s)
{
    const bool endsWithBreak = document()->lastBlock().length() <= 1;
    const int end = document()->characterCount() - 1;
    select(end, end, false);
    ReplaceSelection(endsWithBreak ? s + u'\n' : u'\n' + s);
}

int TScrollMemo::LineCount() const
{
    const QTextDocument* doc = document();
    layOutScreenLinesUpTo(doc->lastBlock());
    const int lines = WordWrap() ? doc->lineCount() : doc->blockCount();
    return doc->lastBlock().length() <= 1 ? lines - 1 : lines;
}

void TScrollMemo::BeginBulkUpdate()
{
    if (m_bulkDepth == 0) {
        m_bulkSelection = selection(); // the widget's, read before the bulk update starts
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
    if (m_dirtyColorFrom >= 0) {
        applyColorsToBlocks(m_dirtyColorFrom, m_dirtyColorTo);
        m_dirtyColorFrom = m_dirtyColorTo = -1;
    }
    viewport()->setUpdatesEnabled(true);
    if (m_bulkSelectionChanged) {
        m_quietCursor = true; // one OnSelectionChange below stands for all of them
        select(m_bulkSelection.anchor, m_bulkSelection.position, m_bulkScroll);
        m_quietCursor = false;
    } else if (m_bulkScroll) {
        ensureCursorVisible();
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
    return document()->isModified();
}

void TScrollMemo::SetModifiedFlag(bool modified)
{
    if (!modified && m_edits != m_cleanEdits)
        rememberCleanLineBreaks();
    document()->setModified(modified);
}

bool TScrollMemo::WordWrap() const
{
    return lineWrapMode() != NoWrap;
}

void TScrollMemo::SetWordWrap(bool on)
{
    m_laidOutBlocks = 0;
    if (on != WordWrap())
        setLineWrapMode(on ? WidgetWidth : NoWrap);
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
    m_laidOutBlocks = 0;
    setFont(drawn);
    setTabStopDistance(8 * QFontMetricsF(drawn).horizontalAdvance(u' '));
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

void TScrollMemo::refreshColors(int docFrom, int docTo)
{
    if (InBulkUpdate()) {
        m_dirtyColorFrom = m_dirtyColorFrom < 0 ? docFrom : qMin(m_dirtyColorFrom, docFrom);
        m_dirtyColorTo = qMax(m_dirtyColorTo, docTo);
        return;
    }
    applyColorsToBlocks(docFrom, docTo);
    viewport()->update();
}

// Gives each block in [docFrom, docTo] the colour formats of its ranges. The formats belong
// to the blocks' layouts, not to the document: no undo step, no modification.
void TScrollMemo::applyColorsToBlocks(int docFrom, int docTo)
{
    QTextDocument* doc = document();
    const auto& ranges = m_colors.ranges();
    // Every range of the first line counts, also those before docFrom.
    std::size_t index = m_colors.firstEndingAfter(doc->findBlock(docFrom).position());
    int changedFrom = -1;
    int changedTo = -1;
    for (QTextBlock block = doc->findBlock(docFrom); block.isValid() && block.position() <= docTo;
         block = block.next()) {
        const int start = block.position();
        const int end = start + block.length() - 1;
        while (index < ranges.size() && ranges[index].end <= start)
            ++index;
        QList<QTextLayout::FormatRange> formats;
        for (std::size_t i = index; i < ranges.size() && ranges[i].start < end; ++i) {
            const int from = qMax(ranges[i].start, start);
            const int to = qMin(ranges[i].end, end);
            if (to > from)
                formats.append({from - start, to - from, colorFormat(ranges[i].color)});
        }
        // A line that never had colours needs no layout made for it just to say so.
        if (formats.isEmpty() && !block.userData())
            continue;
        QTextLayout* layout = block.layout();
        if (formats == layout->formats())
            continue;
        layout->setFormats(formats);
        block.setUserData(formats.isEmpty() ? nullptr : new ColoredLineMark);
        if (changedFrom < 0)
            changedFrom = start;
        changedTo = start + block.length();
        m_formatsApplied = true;
    }
    // The changed lines are laid out again (with their new colours) in one go.
    if (changedFrom >= 0)
        doc->markContentsDirty(changedFrom, changedTo - changedFrom);
}

// ---- Undo ------------------------------------------------------------------------------

bool TScrollMemo::CanUndo() const
{
    return document()->isUndoAvailable();
}

void TScrollMemo::UndoLast()
{
    if (!CanUndo())
        return;
    m_undoing = true;
    m_undoFrom = m_undoTo = -1;
    QTextCursor cursor = cursorFor(selection());
    document()->undo(&cursor);
    m_undoing = false;
    // Back at the text as loaded or saved: its line breaks are as they were, too.
    if (!ModifiedFlag() && !m_cleanLineBreaks.empty() &&
        std::size_t(document()->blockCount() - 1) == m_cleanLineBreaks.size()) {
        setLineBreaks(m_cleanLineBreaks);
        m_cleanEdits = m_edits;
    }
    if (m_undoTo > m_undoFrom)
        select(m_undoFrom, qMin(m_undoTo, document()->characterCount() - 1), true);
    else
        select(cursor.position(), cursor.position(), true);
}

// ---- Line arithmetic -------------------------------------------------------------------

// Under word wrap a line not drawn yet counts as one screen line: the lines above the one
// asked about are laid out first, once. False when the deadline came first.
bool TScrollMemo::layOutScreenLinesUpTo(const QTextBlock& last, QDeadlineTimer deadline) const
{
    if (!WordWrap() || last.blockNumber() < m_laidOutBlocks)
        return true;
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    int number = m_laidOutBlocks;
    bool done = false;
    for (QTextBlock block = document()->findBlockByNumber(number); block.isValid() && !done;
         block = block.next()) {
        if (block.layout()->lineCount() == 0)
            layout->blockBoundingRect(block);
        ++number;
        done = block == last;
        if (!done && number % 64 == 0 && deadline.hasExpired())
            break;
    }
    m_laidOutBlocks = number;
    return done;
}

std::optional<int> TScrollMemo::KnownLineFromChar(int pos) const
{
    const QTextBlock block = document()->findBlock(toDocPos(pos));
    if (!layOutScreenLinesUpTo(block, QDeadlineTimer(LayoutSliceMs))) {
        m_layoutTarget = block.blockNumber();
        m_layoutTimer->start();
        return std::nullopt;
    }
    return LineFromChar(pos);
}

void TScrollMemo::layOutInSlices()
{
    if (!WordWrap())
        return;
    const QTextBlock target =
        document()->findBlockByNumber(qMin(m_layoutTarget, document()->blockCount() - 1));
    if (!layOutScreenLinesUpTo(target, QDeadlineTimer(LayoutSliceMs))) {
        m_layoutTimer->start(); // the rest after the events that wait
        return;
    }
    Q_EMIT ScreenLinesKnown(this);
}

int TScrollMemo::ColumnOfChar(int pos) const
{
    const int docPos = toDocPos(pos);
    const QTextBlock block = document()->findBlock(docPos);
    const QTextLine line = screenLineOf(block, docPos);
    return docPos - block.position() - (line.isValid() ? line.textStart() : 0);
}

// The screen line of the block that holds docPos, with the block laid out for it; an
// invalid line when the lines are not wrapped.
QTextLine TScrollMemo::screenLineOf(const QTextBlock& block, int docPos) const
{
    if (!WordWrap())
        return {};
    if (block.layout()->lineCount() == 0)
        document()->documentLayout()->blockBoundingRect(block);
    return block.layout()->lineForTextPosition(docPos - block.position());
}

void TScrollMemo::resizeEvent(QResizeEvent* event)
{
    m_laidOutBlocks = 0; // a new width lays the lines out anew
    QPlainTextEdit::resizeEvent(event);
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
    const QTextBlock block = document()->findBlock(docPos);
    if (!WordWrap())
        return block.blockNumber();
    layOutScreenLinesUpTo(block);
    const QTextLine line = screenLineOf(block, docPos);
    return block.firstLineNumber() + (line.isValid() ? line.lineNumber() : 0);
}

int TScrollMemo::LineIndex(int line) const
{
    if (line < 0)
        line = LineFromChar(-1);
    if (!WordWrap()) {
        const QTextBlock block = document()->findBlockByNumber(line);
        return block.isValid() ? block.position() + line : -1;
    }
    layOutScreenLinesUpTo(document()->findBlockByLineNumber(line));
    const QTextBlock block = document()->findBlockByLineNumber(line);
    if (!block.isValid())
        return -1;
    const QTextLayout* layout = block.layout();
    const int inBlock = line - block.firstLineNumber();
    const int textStart =
        layout && inBlock < layout->lineCount() ? layout->lineAt(inBlock).textStart() : 0;
    return fromDocPos(block.position() + textStart);
}

int TScrollMemo::LineLength(int pos) const
{
    const int docPos = pos < 0 ? selection().start() : toDocPos(pos);
    const QTextBlock block = document()->findBlock(docPos);
    const QTextLine line = screenLineOf(block, docPos);
    return line.isValid() ? line.textLength() : block.length() - 1;
}

// ---- Searching -------------------------------------------------------------------------

// What a search looks for: the text's lines, to be matched across line breaks.
struct TScrollMemo::SearchPattern {
    QStringList parts;
    int length = 0; // counting each line break as two
    Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    bool wholeWord = false;

    SearchPattern(const QString& text, bool matchCase, bool whole)
        : parts(splitAtLineBreaks(text)), cs(matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive),
          wholeWord(whole)
    {
        length = 2 * int(parts.size() - 1);
        for (const QString& part : std::as_const(parts))
            length += int(part.size());
    }

    // The first line looked for, and whether it is the only one.
    std::pair<const QString&, bool> firstLine() const { return {parts[0], parts.size() == 1}; }
};

// Whether the pattern occurs with its first line at index of block's line: a pattern of
// several lines must end this line, match the next lines whole and begin the last one.
bool TScrollMemo::matchesAt(const QTextBlock& block, const QString& line, qsizetype index,
                            const SearchPattern& pattern) const
{
    const QStringList& parts = pattern.parts;
    if (parts.size() > 1 && QStringView(line).mid(index).compare(parts[0], pattern.cs) != 0)
        return false;
    qsizetype afterIndex = index + parts[0].size();
    QString afterLine = line;
    QTextBlock next = block;
    for (int i = 1; i < parts.size(); ++i) {
        next = next.next();
        if (!next.isValid())
            return false;
        afterLine = next.text();
        const bool last = i == parts.size() - 1;
        if (last ? !afterLine.startsWith(parts[i], pattern.cs)
                 : afterLine.compare(parts[i], pattern.cs) != 0)
            return false;
        afterIndex = parts[i].size();
    }
    if (!pattern.wholeWord)
        return true;
    const bool wordBefore = index > 0 && isWordChar(line[index - 1]);
    const bool wordAfter = afterIndex < afterLine.size() && isWordChar(afterLine[afterIndex]);
    return !wordBefore && !wordAfter;
}

// Clamps [start, start + length) to the text (a negative length reaching to the end);
// false when the pattern is empty or cannot fit in the range.
bool TScrollMemo::fitSearch(const SearchPattern& pattern, int& start, int length, int& end) const
{
    const int total = TextLength();
    start = qBound(0, start, total);
    end = length < 0 ? total : qMin(total, start + length);
    return pattern.length > 0 && start + pattern.length <= end;
}

int TScrollMemo::FindTextRange(const QString& text, int start, int length, bool matchCase,
                               bool wholeWord) const
{
    const SearchPattern pattern(text, matchCase, wholeWord);
    int end = 0;
    if (!fitSearch(pattern, start, length, end))
        return -1;
    const auto [first, oneLine] = pattern.firstLine();

    const int firstDocPos = toDocPos(start);
    for (QTextBlock block = document()->findBlock(firstDocPos); block.isValid();
         block = block.next()) {
        const int blockStart = block.position() + block.blockNumber();
        if (blockStart + pattern.length > end)
            break;
        const QString line = block.text();
        const int from = block.position() < firstDocPos ? firstDocPos - block.position() : 0;
        qsizetype index =
            oneLine ? line.indexOf(first, from, pattern.cs) : line.size() - first.size();
        while (index >= from) {
            const int found = blockStart + int(index);
            if (found + pattern.length > end)
                return -1;
            if (found >= start && matchesAt(block, line, index, pattern))
                return found;
            if (!oneLine)
                break;
            index = line.indexOf(first, index + 1, pattern.cs);
        }
    }
    return -1;
}

int TScrollMemo::FindTextRangeBackward(const QString& text, int start, int length, bool matchCase,
                                       bool wholeWord) const
{
    const SearchPattern pattern(text, matchCase, wholeWord);
    int end = 0;
    if (!fitSearch(pattern, start, length, end))
        return -1;
    const auto [first, oneLine] = pattern.firstLine();

    // The last possible start of a match, then back block by block.
    const int lastStart = end - pattern.length;
    for (QTextBlock block = document()->findBlock(toDocPos(lastStart)); block.isValid();
         block = block.previous()) {
        const int blockStart = block.position() + block.blockNumber();
        const QString line = block.text();
        if (blockStart + line.size() < start)
            break;
        const qsizetype highest = qMin<qsizetype>(line.size(), lastStart - blockStart);
        qsizetype index = oneLine
                              ? (highest < 0 ? -1 : line.lastIndexOf(first, highest, pattern.cs))
                              : line.size() - first.size();
        while (index >= 0) {
            const int found = blockStart + int(index);
            if (found < start)
                return -1;
            if (found <= lastStart && matchesAt(block, line, index, pattern))
                return found;
            if (!oneLine || index == 0)
                break;
            index = line.lastIndexOf(first, index - 1, pattern.cs);
        }
    }
    return -1;
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
    // Print with wrapping: long lines would otherwise be cut at the page edge.
    std::unique_ptr<QTextDocument> copy(document()->clone());
    QTextOption option = copy->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy->setDefaultTextOption(option);
    copy->setDefaultFont(font());
    copy->print(&printer);
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
    return QPlainTextEdit::event(event);
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
    QPlainTextEdit::keyPressEvent(event);
}

// Nor does an input method put line or paragraph separators into the text.
void TScrollMemo::inputMethodEvent(QInputMethodEvent* event)
{
    if (!containsSeparatorCharacters(event->commitString())) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QString commit = event->commitString();
    commit.remove(QChar::LineSeparator).remove(QChar::ParagraphSeparator);
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(commit, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}

// Copy, cut and drag by Qt's own keys and mouse carry the raw text, with LF breaks.
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
    if (source->hasText())
        PasteText(source->text());
}

bool TScrollMemo::canInsertFromMimeData(const QMimeData* source) const
{
    // Dropped files are for the main window to open, not text to insert.
    return !source->hasUrls() && QPlainTextEdit::canInsertFromMimeData(source);
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

void TScrollMemo::onContentsChange(int from, int removed, int added)
{
    ++m_edits;
    m_lastBlock = BlockAt(); // it may be gone
    // The changed lines are laid out again later.
    m_laidOutBlocks = qMin(m_laidOutBlocks, document()->findBlock(from).blockNumber());
    const int docEnd = document()->characterCount() - 1;
    added = qBound(0, added, docEnd - from);
    if (m_undoing) {
        m_undoFrom = m_undoFrom < 0 ? from : qMin(m_undoFrom, from);
        m_undoTo = qMax(m_undoTo, from + added);
    }
    settleLineBreaks(from, from + added);
    if (m_dirtyColorFrom >= 0 && from <= m_dirtyColorTo)
        m_dirtyColorTo = qMax(from, m_dirtyColorTo + added - removed);
    if (m_colors.empty() && !m_pendingColorSet && !m_formatsApplied)
        return;
    if (!m_colorsFollowed)
        followEditWithColors(from, removed, added);
    applyColorsToBlocks(from, from + added);
}

void TScrollMemo::followEditWithColors(int from, int removed, int added)
{
    // Inserted text takes the colour waiting at that place, else that of the text it
    // replaces, else that of the text right before it.
    std::optional<QRgb> color;
    if (m_undoing) {
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

void TScrollMemo::onTextChanged()
{
    if (InBulkUpdate())
        m_bulkChanged = true;
    else
        Q_EMIT OnChange(this);
}

void TScrollMemo::onCursorPositionChanged()
{
    const QTextCursor cursor = textCursor();
    if (m_pendingColorSet && (cursor.hasSelection() || cursor.position() != m_pendingColorPos))
        m_pendingColorSet = false;
    if (InBulkUpdate())
        m_bulkSelectionChanged = true;
    else if (!m_quietCursor)
        Q_EMIT OnSelectionChange(this);
}
