#include "app/Unit7.h"

#include "app/ScreenFit.h"
#include "app/Unit1.h"

#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QVBoxLayout>

TForm7* Form7 = nullptr;

namespace
{

constexpr int LargeIconSize = 32;
const QSize EntryGrid(80, 64);

} // namespace

TForm7::TForm7(QWidget* parent)
    : TFloatingWindow(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                                  Qt::WindowTitleHint)
{
    Form7 = this;
    setObjectName("Form7");
    setWindowTitle(QStringLiteral("Open Files"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(180, 265);

    ListView1 = new QListWidget(this);
    ListView1->setObjectName("ListView1");
    ListView1->setViewMode(QListView::IconMode);
    ListView1->setIconSize(QSize(LargeIconSize, LargeIconSize));
    ListView1->setGridSize(EntryGrid);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Rows filled from the top; a resize or a removal lays the entries out again.
    ListView1->setFlow(QListView::LeftToRight);
    ListView1->setWrapping(true);
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setMovement(QListView::Static);
    ListView1->setWordWrap(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ListView1);
    connect(ListView1, &QListWidget::itemDoubleClicked, this, &TForm7::ListView1DblClick);
    createPopupMenu();
    PlaceBesideMainWindow();
}

void TForm7::createPopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    const std::tuple<const char*, const char*, void (TForm7::*)()> items[] = {
        {"BringtoFront1", "Bring to Front", &TForm7::BringtoFront1Click},
        {"MaximizeWindow1", "Maximize Window", &TForm7::MaximizeWindow1Click},
        {"MinimizeWindow1", "Minimize Window", &TForm7::MinimizeWindow1Click},
        {"Close1", "Close", &TForm7::Close1Click},
    };
    for (const auto& [name, caption, handler] : items) {
        QAction* item = PopupMenu1->addAction(QString::fromLatin1(caption));
        item->setObjectName(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, handler);
    }
    ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu1->popup(ListView1->viewport()->mapToGlobal(pos));
    });
}

void TForm7::PlaceBesideMainWindow()
{
    const auto* main = qobject_cast<const TForm1*>(parentWidget());
    if (!main)
        return;
    const qint64 left = qint64(main->x()) + main->width() - 250;
    const qint64 top = qint64(main->y()) + main->ClientHeight() / 2 - main->ToolbarHeight() - 75;
    move(ToCoordinate(left), ToCoordinate(top));
}

void TForm7::showEvent(QShowEvent* event)
{
    PlaceBesideMainWindow();
    raise();
    TFloatingWindow::showEvent(event);
}

QMdiSubWindow* TForm7::SelectedWindow() const
{
    for (int i = 0; i < ListView1->count(); ++i) {
        if (ListView1->item(i)->isSelected())
            return WindowOf(ListView1->item(i));
    }
    return nullptr;
}

void TForm7::ListView1DblClick(QListWidgetItem* entry)
{
    if (entry && entry->isSelected())
        WindowOf(entry)->mdiArea()->setActiveSubWindow(WindowOf(entry));
}

void TForm7::BringtoFront1Click()
{
    QMdiSubWindow* window = SelectedWindow();
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    window->mdiArea()->setActiveSubWindow(window);
    window->widget()->setFocus();
}

void TForm7::MaximizeWindow1Click()
{
    if (QMdiSubWindow* window = SelectedWindow())
        window->showMaximized();
}

void TForm7::MinimizeWindow1Click()
{
    if (QMdiSubWindow* window = SelectedWindow())
        window->showMinimized();
}

// The window's close query runs: a modified document asks first.
void TForm7::Close1Click()
{
    if (QMdiSubWindow* window = SelectedWindow())
        window->close();
}

TForm7::~TForm7()
{
    if (Form7 == this)
        Form7 = nullptr;
}

void TForm7::AddEntry(QMdiSubWindow* window, const QString& caption, const QIcon& icon)
{
    auto* entry = new QListWidgetItem(icon, caption, ListView1);
    entry->setData(Qt::UserRole, QVariant::fromValue(window));
}

void TForm7::RemoveEntry(const QMdiSubWindow* window)
{
    delete EntryOf(window);
}

QListWidgetItem* TForm7::EntryOf(const QMdiSubWindow* window) const
{
    for (int i = 0; i < ListView1->count(); ++i) {
        if (WindowOf(ListView1->item(i)) == window)
            return ListView1->item(i);
    }
    return nullptr;
}

QMdiSubWindow* TForm7::WindowOf(const QListWidgetItem* entry)
{
    return entry->data(Qt::UserRole).value<QMdiSubWindow*>();
}
