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
const QPoint CursorHotSpot(25, 15);

// "Times New Roman", 15 pixels high; where it does not exist a serif font stands in.
QFont overviewFont()
{
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(15);
    return font;
}

// Lines wrap at the page's width, at word boundaries where there are any. Returns the
// height of the text laid out.
qreal layOutOnPage(QTextLayout& layout)
{
    static const QFont font = overviewFont();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(TabStop);
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

LineLayout MeasureOverviewLine(QStringView line)
{
    QTextLayout layout(line.toString());
    const qreal height = layOutOnPage(layout);
    LineLayout visualLines;
    for (int i = 0; i < layout.lineCount(); ++i)
        visualLines << VisualLine{layout.lineAt(i).textLength(), layout.lineAt(i).height()};
    if (visualLines.isEmpty())
        visualLines << VisualLine{0, height};
    return visualLines;
}

TOverviewPicture::TOverviewPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName("Image2");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(QCursor(QPixmap(QStringLiteral(":/overview_cursor.png")), CursorHotSpot.x(),
                      CursorHotSpot.y()));
}

void TOverviewPicture::SetPicture(QString text, QList<QStringView> lines,
                                  QList<OverviewChunk> chunks, int height)
{
    // Moving the text keeps its characters where the views point.
    m_text = std::move(text);
    m_lines = std::move(lines);
    m_chunks = std::move(chunks);
    setFixedSize(Overview::PictureWidth, qBound(1, height, QWIDGETSIZE_MAX));
    update();
}

// Only the chunks in view are drawn, each laid out again from its lines.
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
        qreal y = 0;
        for (int i = chunk->first; i <= chunk->last; ++i) {
            QTextLayout layout(m_lines.at(i).toString());
            const qreal height = layOutOnPage(layout);
            layout.draw(&painter, QPointF(0, y));
            y += height;
        }
        painter.restore();
    }
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
    m_pending->pass = std::make_unique<OverviewLayoutPass>(m_metrics, m_pending->lines);
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
        ProgressBar1->setValue(pass.Next().last);
        if (slice.elapsed() >= DrawSlice && !pass.Done()) {
            m_drawTimer->start();
            return;
        }
    }
    finishDrawing();
}

void TForm10::finishDrawing()
{
    OverviewHeight = m_pending->pass->Height();
    // Both share the text's characters, and so the lines' views.
    m_clickLayout = {m_pending->edits, m_pending->text, m_pending->lines,
                     m_pending->pass->Chunks()};
    Image2->SetPicture(std::move(m_pending->text), std::move(m_pending->lines),
                       m_pending->pass->Chunks(), OverviewHeight);
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
    OverviewLayoutPass pass(m_metrics, m_clickLayout.lines);
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
        OverviewPositionAt(m_metrics, m_clickLayout.lines, m_clickLayout.chunks, row);
    PicturedMemo->SetSelStart(int(qMin<qint64>(position, PicturedMemo->TextLength())));
    PicturedMemo->ScrollCaretIntoView();
    for (QMdiSubWindow* window : m_main.DocumentWindows()) {
        if (TForm1::MemoOf(window) == PicturedMemo && window != m_main.ActiveDocumentWindow())
            window->mdiArea()->setActiveSubWindow(window);
    }
    ProgressBar1->setValue(0);
}
