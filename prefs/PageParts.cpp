#include "prefs/PageParts.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

QToolButton* ArrowButton(Qt::ArrowType arrow, const char* name, QWidget* parent)
{
    auto* button = Named(new QToolButton(parent), name);
    button->setArrowType(arrow);
    const QString hint =
        arrow == Qt::UpArrow ? QToolButton::tr("Move up") : QToolButton::tr("Move down");
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    return button;
}

namespace
{

class EnterKeeper final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter;
    }
};

} // namespace

QListWidget* EntryList(const char* name, QWidget* parent)
{
    auto* list = Named(new QListWidget(parent), name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->installEventFilter(new EnterKeeper(list));
    return list;
}

int SelectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

int RemoveSelectedRow(QListWidget* list)
{
    const int row = SelectedRow(list);
    if (row < 0)
        return row;
    // Without a current row the list selects none in its place: a second click would delete
    // an entry nobody chose, and the Remove rule would see a selection nobody made.
    list->selectionModel()->clear();
    delete list->takeItem(row);
    return row;
}

bool MoveSelectedRow(QListWidget* list, int offset)
{
    const int row = SelectedRow(list);
    const int target = row + offset;
    if (row < 0 || target < 0 || target >= list->count())
        return false;
    list->insertItem(target, list->takeItem(row));
    list->setCurrentRow(target, QItemSelectionModel::ClearAndSelect);
    return true;
}

void MakeSecondaryDialog(QDialog* dialog)
{
    dialog->setModal(false);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint);
}

QHBoxLayout* ButtonRow(QPushButton* first, QPushButton* second)
{
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(first);
    row->addWidget(second);
    return row;
}

bool MoveSelectedEntry(QListWidget* list, QStringList& lines, int offset)
{
    const int row = SelectedRow(list);
    if (!MoveSelectedRow(list, offset))
        return false;
    lines.swapItemsAt(row, row + offset);
    return true;
}
