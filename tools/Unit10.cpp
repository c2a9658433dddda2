#include "tools/Unit10.h"

#include "app/BusyCursor.h"
#include "app/ScreenFit.h"
#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScrollArea>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

TForm10* Form10 = nullptr;

namespace
{

constexpr int StartHeight = 333;
constexpr int MinimumWidth = 280;
constexpr int MaximumWidth = 281;
constexpr int PictureMargin = 4;
constexpr QSize ProgressSize(150, 12);
constexpr qint64 DrawSlice = 15; // milliseconds of drawing between the user's input
// Tab stops every half inch at 96 pixels per inch, as the page is laid out.
constexpr qreal TabStop = 48;
// A long line is laid out in pieces of about this many characters, each from the start of a
// screen line, which wraps the same as the whole (in scripts whose letters do not join; in
// Arabic a screen line may take a word more or less). Shorter lines are laid out whole.
constexpr qsizetype PieceChars = 32768;

Qt::LayoutDirection directionOf(QStringView line)
{
    return line.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
}
const QPoint CursorHotSpot(25, 15);

// "Times New Roman", 15 pixels high; where it does not exist a serif font stands in.
QFont overviewFont()
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(15);
    return font;
}

// Lines wrap at the page's width, at word boundaries where there are any; a piece of a line
// runs in the direction of the whole line. Returns the height of the text laid out.
qreal layOutOnPage(QTextLayout& layout, Qt::LayoutDirection direction)
{
    static const QFont font = overviewFont();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(TabStop);
    option.setTextDirection(direction);
    layout.setFont(font);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(Overview::PageWidth);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return layout.lineCount() > 0 ? y : QFontMetricsF(font).height();
}

} // namespace

TLineMeasure::TLineMeasure(QStringView line)
    : m_line(line), m_direction(directionOf(line)), m_pieceChars(PieceChars)
{
}

// The last screen line of a piece may go on in the next piece: it is laid out again there. A
// piece that makes one screen line only (no break in it) is made larger.
void TLineMeasure::Step()
{
    const qsizetype length = qMin(m_line.size() - m_start, m_pieceChars);
    const bool lastPiece = m_start + length == m_line.size();
    QTextLayout layout(m_line.mid(m_start, length).toString());
    const qreal emptyHeight = layOutOnPage(layout, m_direction);
    if (!lastPiece && layout.lineCount() < 2) {
        m_pieceChars *= 2;
        return;
    }
    const int complete = lastPiece ? layout.lineCount() : layout.lineCount() - 1;
    for (int i = 0; i < complete; ++i) {
        const QTextLine visual = layout.lineAt(i);
        m_visualLines << VisualLine{visual.textLength(), float(visual.height())};
        m_start += visual.textLength();
    }
    m_done = lastPiece;
    if (m_done && m_visualLines.isEmpty())
        m_visualLines << VisualLine{0, float(emptyHeight)};
}

LineLayout MeasureOverviewLine(QStringView line)
{
    TLineMeasure measure(line);
    while (!measure.Done())
        measure.Step();
    return measure.Result();
}

TOverviewPicture::TOverviewPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName("Image2");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(QCursor(QPixmap(QStringLiteral(":/overview_cursor.png")), CursorHotSpot.x(),
                      CursorHotSpot.y()));
}

void TOverviewPicture::SetPicture(QString text, QList<QStringView> lines,
                                  QList<OverviewChunk> chunks, int height,
                                  std::shared_ptr<OverviewMetrics> metrics)
{
    // Moving the text keeps its characters where the views point.
    m_metrics = std::move(metrics);
    m_text = std::move(text);
    m_lines = std::move(lines);
    m_chunks = std::move(chunks);
    setFixedSize(Overview::PictureWidth, qBound(1, height, QWIDGETSIZE_MAX));
    update();
}

// Only the screen lines in view are drawn: those of each line are laid out again from the
// first of them in view, which wraps the same as the whole line.
void TOverviewPicture::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect area = event->rect();
    painter.fillRect(area, Qt::white);
    painter.setPen(Qt::black);
    auto chunk = ChunkAtRow(m_chunks, area.top());
    for (; chunk != m_chunks.cend() && chunk->top <= area.bottom(); ++chunk) {
        painter.save();
        painter.setClipRect(QRect(0, chunk->top, Overview::CopiedWidth, chunk->rows));
        painter.translate(0, chunk->top);
        painter.scale(Overview::Scale, Overview::Scale);
        // The rows in view, in page pixels from the chunk's top.
        const qreal viewTop = (area.top() - chunk->top) / Overview::Scale;
        const qreal viewBottom = (area.bottom() + 1 - chunk->top) / Overview::Scale;
        qreal y = 0;
        for (int i = chunk->first; i <= chunk->last && y < viewBottom; ++i)
            y = drawLineInView(painter, m_lines.at(i), y, viewTop, viewBottom);
        painter.restore();
    }
}

// Draws the screen lines of the line at y that lie between viewTop and viewBottom; returns
// the y below the line. A long line is laid out from the first of them in view, one more
// than those in view.
qreal TOverviewPicture::drawLineInView(QPainter& painter, QStringView line, qreal y, qreal viewTop,
                                       qreal viewBottom)
{
    const qreal lineTop = y;
    qsizetype offset = 0;
    qsizetype from = -1;
    qsizetype to = 0;
    qreal fromY = 0;
    bool nextInView = false;
    for (const VisualLine& visual : m_metrics->layoutOf(line)) {
        const bool inView = y + visual.height > viewTop && y < viewBottom;
        if (inView && from < 0) {
            from = offset;
            fromY = y;
        }
        if (inView || nextInView)
            to = offset + visual.chars;
        nextInView = inView;
        offset += visual.chars;
        y += visual.height;
    }
    if (from < 0)
        return y;
    const bool whole = line.size() <= PieceChars;
    QTextLayout layout(whole ? line.toString() : line.mid(from, to - from).toString());
    layOutOnPage(layout, directionOf(line));
    layout.draw(&painter, QPointF(0, whole ? lineTop : fromY));
    return y;
}

void TOverviewPicture::mouseReleaseEvent(QMouseEvent* event)
{
    Q_EMIT released(event->position().toPoint().y());
}

struct TForm10::PendingPicture {
    quint64 edits = 0;
    QString text;
    QList<QStringView> lines;
    std::unique_ptr<OverviewLayoutPass> pass;
    std::unique_ptr<TLineMeasure> longLine; // being laid out in pieces
};

TForm10::TForm10(TForm1& mainWindow, Prompts& prompts)
    : TFloatingWindow(&mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                                       Qt::WindowTitleHint),
      m_main(mainWindow), m_prompts(prompts)
{
    Form10 = this;
    setObjectName("Form10");
    setWindowTitle(QStringLiteral("Overview"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setMinimumWidth(MinimumWidth);
    setMaximumWidth(MaximumWidth);
    resize(MinimumWidth, StartHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createToolBar();
    createPicture();
    layout->addWidget(ToolBar1);
    layout->addWidget(ScrollBox1);

    m_drawTimer = new QTimer(this);
    m_drawTimer->setSingleShot(true);
    connect(m_drawTimer, &QTimer::timeout, this, &TForm10::drawSlice);
}

TForm10::~TForm10()
{
    if (Form10 == this)
        Form10 = nullptr;
}

void TForm10::createToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const QAction* image = m_main.findChild<QAction*>(QStringLiteral("ReloadButton"));
    ToolButton1 = ToolBar1->addAction(image ? image->icon() : QIcon(), QStringLiteral("Refresh"));
    ToolButton1->setObjectName("ToolButton1");
    ToolBar1->widgetForAction(ToolButton1)->setObjectName("ToolButton1");
    connect(ToolButton1, &QAction::triggered, this, &TForm10::ToolButton1Click);

    auto* panel = new QWidget(ToolBar1);
    panel->setObjectName("Panel1");
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(8, 0, 0, 0);
    ProgressBar1 = new QProgressBar(panel);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setFixedSize(ProgressSize);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    panelLayout->addWidget(ProgressBar1);
    ToolBar1->addWidget(panel);
}

void TForm10::createPicture()
{
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setBackgroundRole(QPalette::Window);
    auto* holder = new QWidget;
    auto* holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(PictureMargin, PictureMargin, PictureMargin, PictureMargin);
    holderLayout->setSizeConstraint(QLayout::SetFixedSize);
    Image2 = new TOverviewPicture(holder);
    Image2->hide();
    holderLayout->addWidget(Image2);
    ScrollBox1->setWidget(holder);
    ScrollBox1->setWidgetResizable(false);
    connect(Image2, &TOverviewPicture::released, this, &TForm10::Image2MouseUp);
}

// Left of the main window's middle, a little above it; once, at the first showing, where the
// main window has its place.
void TForm10::placeOverMainWindow()
{
    const qint64 left = qint64(m_main.x()) + 75;
    const qint64 top = m_main.ClientHeight() / 2 + qint64(m_main.y()) - m_main.ToolbarHeight() - 65;
    move(ToCoordinate(left), ToCoordinate(top));
}

void TForm10::showEvent(QShowEvent* event)
{
    if (!m_placed) {
        placeOverMainWindow();
        m_placed = true;
    }
    raise();
    TFloatingWindow::showEvent(event);
}

bool TForm10::Drawing() const
{
    return m_pending != nullptr;
}

void TForm10::ToolButton1Click()
{
    TScrollMemo* memo = m_main.ActiveMemo();
    if (!memo || Drawing())
        return;
    Image2->hide();
    if (memo->TextLength() == 0) {
        m_prompts.message(MessageKind::Warning,
                          FileNamePart(m_main.ActiveDocumentWindow()->windowTitle()) +
                              QStringLiteral(" is empty."),
                          MessageButtons::Ok);
        return;
    }
    PicturedMemo = memo;
    m_pending = std::make_unique<PendingPicture>();
    m_pending->edits = memo->EditCount();
    m_pending->text = memo->FullText();
    m_pending->lines = SplitOverviewLines(m_pending->text);
    // What was laid out for the last picture goes with it.
    m_metrics = std::make_shared<OverviewMetrics>(MeasureOverviewLine);
    m_pending->pass = std::make_unique<OverviewLayoutPass>(*m_metrics, m_pending->lines);
    ProgressBar1->setRange(0, int(m_pending->lines.size()) - 1);
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    ToolButton1->setEnabled(false);
    m_drawTimer->start();
}

// Lays out chunks for a few milliseconds, then lets the user's input and the progress bar's
// painting in before the next slice.
void TForm10::drawSlice()
{
    QElapsedTimer slice;
    slice.start();
    OverviewLayoutPass& pass = *m_pending->pass;
    while (!pass.Done()) {
        if (!measureLongLineStep())
            ProgressBar1->setValue(pass.Next().last);
        if (slice.elapsed() >= DrawSlice && !pass.Done()) {
            m_drawTimer->start();
            return;
        }
    }
    finishDrawing();
}

// The long lines of the next chunk are laid out a piece at a time, so that none holds up the
// user's input for long. False when none is left to lay out.
bool TForm10::measureLongLineStep()
{
    PendingPicture& pending = *m_pending;
    if (!pending.longLine) {
        const int first = pending.pass->NextLine();
        const int last = ChunkLastLine(first, int(pending.lines.size()));
        for (int i = first; i <= last && !pending.longLine; ++i) {
            const QStringView line = pending.lines.at(i);
            if (line.size() > PieceChars && !m_metrics->Knows(line))
                pending.longLine = std::make_unique<TLineMeasure>(line);
        }
        if (!pending.longLine)
            return false;
    }
    pending.longLine->Step();
    if (pending.longLine->Done()) {
        m_metrics->Remember(pending.longLine->Line(), pending.longLine->Result());
        pending.longLine.reset();
    }
    return true;
}

void TForm10::finishDrawing()
{
    OverviewHeight = m_pending->pass->Height();
    // Both share the text's characters, and so the lines' views.
    m_clickLayout = {m_pending->edits, m_pending->text, m_pending->lines,
                     m_pending->pass->Chunks()};
    Image2->SetPicture(std::move(m_pending->text), std::move(m_pending->lines),
                       m_pending->pass->Chunks(), OverviewHeight, m_metrics);
    m_pending.reset();
    ProgressBar1->hide();
    ProgressBar1->setValue(0);
    ToolButton1->setEnabled(true);
    Image2->show();
}

bool TForm10::picturedMemoIsOpen() const
{
    if (!PicturedMemo)
        return false;
    const QList<QMdiSubWindow*> windows = m_main.DocumentWindows();
    return std::any_of(windows.cbegin(), windows.cend(), [this](const QMdiSubWindow* window) {
        return TForm1::MemoOf(window) == PicturedMemo;
    });
}

void TForm10::layOutForClick()
{
    m_clickLayout.edits = PicturedMemo->EditCount();
    m_clickLayout.text = PicturedMemo->FullText();
    m_clickLayout.lines = SplitOverviewLines(m_clickLayout.text);
    OverviewLayoutPass pass(*m_metrics, m_clickLayout.lines);
    pass.Finish();
    m_clickLayout.chunks = pass.Chunks();
}

// The click is mapped on the document's text as it is now, which may differ from the text
// drawn.
void TForm10::Image2MouseUp(int row)
{
    if (!picturedMemoIsOpen())
        return;
    BusyCursor busy;
    if (m_clickLayout.edits != PicturedMemo->EditCount())
        layOutForClick();
    const qint64 position =
        OverviewPositionAt(*m_metrics, m_clickLayout.lines, m_clickLayout.chunks, row);
    PicturedMemo->SetSelStart(int(qMin<qint64>(position, PicturedMemo->TextLength())));
    PicturedMemo->ScrollCaretIntoView();
    for (QMdiSubWindow* window : m_main.DocumentWindows()) {
        if (TForm1::MemoOf(window) == PicturedMemo && window != m_main.ActiveDocumentWindow())
            window->mdiArea()->setActiveSubWindow(window);
    }
    ProgressBar1->setValue(0);
}
