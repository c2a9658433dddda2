#pragma once

#include "app/FloatingWindow.h"
#include "tools/OverviewLayout.h"

#include <QFont>
#include <QPointer>

#include <memory>

class Prompts;
class QAction;
class QPainter;
class QProgressBar;
class QScrollArea;
class QTimer;
class QToolBar;
class TForm1;
class TScrollMemo;

// The overview picture of one text: the chunks of its lines drawn at a fifth of their size as
// they come into view. Releasing a mouse button over it reports the row.
class TOverviewPicture final : public QWidget
{
    Q_OBJECT

public:
    explicit TOverviewPicture(QWidget* parent = nullptr);

    // The text to show, its lines (views into text) and their chunks.
    void SetPicture(QString text, QList<QStringView> lines, QList<OverviewChunk> chunks, int height,
                    std::shared_ptr<OverviewMetrics> metrics);
    const QList<OverviewChunk>& Chunks() const { return m_chunks; }

Q_SIGNALS:
    void released(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    qreal drawLineInView(QPainter& painter, QStringView line, qreal y, qreal viewTop,
                         qreal viewBottom);

    std::shared_ptr<OverviewMetrics> m_metrics; // how the lines were laid out
    QString m_text;
    QList<QStringView> m_lines;
    QList<OverviewChunk> m_chunks;
};

// Lays out one text line on the overview's page as the picture draws it, a piece at a time.
class TLineMeasure
{
public:
    explicit TLineMeasure(QStringView line);

    void Step();
    bool Done() const { return m_done; }
    QStringView Line() const { return m_line; }
    const LineLayout& Result() const { return m_visualLines; }

private:
    QStringView m_line;
    Qt::LayoutDirection m_direction;
    qsizetype m_start = 0;
    qsizetype m_pieceChars;
    bool m_done = false;
    LineLayout m_visualLines;
};

// The same in one go.
LineLayout MeasureOverviewLine(QStringView line);

// The Overview window: a miniature of the whole text of a document, drawn on request.
// Releasing a mouse button over it moves the caret of that document to the text drawn at
// that height. Created once, hidden, and owned by the main window, whose Show Overview
// command shows and hides it.
class TForm10 final : public TFloatingWindow
{
    Q_OBJECT

public:
    TForm10(TForm1& mainWindow, Prompts& prompts);
    ~TForm10() override;

    QToolBar* ToolBar1 = nullptr;
    QAction* ToolButton1 = nullptr; // Refresh
    QProgressBar* ProgressBar1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TOverviewPicture* Image2 = nullptr;

    // The editor control of the document last pictured, while it exists.
    QPointer<TScrollMemo> PicturedMemo;
    int OverviewHeight = 0; // rows of the last picture

    // Refresh: draws the picture of the active document in steps; Drawing() until done.
    void ToolButton1Click();
    bool Drawing() const;
    void Image2MouseUp(int row);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createToolBar();
    void createPicture();
    void placeOverMainWindow();
    void drawSlice();
    bool measureLongLineStep();
    void finishDrawing();
    bool picturedMemoIsOpen() const;
    void layOutForClick();

    TForm1& m_main;
    Prompts& m_prompts;
    // The layout of the lines of the last picture (or the one being drawn), kept with it.
    std::shared_ptr<OverviewMetrics> m_metrics;
    // The text being drawn and its layout, while a drawing is in progress.
    struct PendingPicture;
    std::unique_ptr<PendingPicture> m_pending;
    QTimer* m_drawTimer = nullptr;
    // What clicks are mapped on: the pictured document's text as it was at its edit count
    // edits, laid out again once the text has changed.
    struct ClickLayout {
        quint64 edits = 0;
        QString text;
        QList<QStringView> lines; // views into text
        QList<OverviewChunk> chunks;
    };
    ClickLayout m_clickLayout;
    bool m_placed = false;
};

extern TForm10* Form10;
