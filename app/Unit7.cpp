#include "app/Unit7.h"

#include <QListWidget>
#include <QMdiSubWindow>
#include <QVBoxLayout>

TForm7* Form7 = nullptr;

namespace {

constexpr int LargeIconSize = 32;
const QSize EntryGrid(80, 64);

} // namespace

TForm7::TForm7(QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
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
