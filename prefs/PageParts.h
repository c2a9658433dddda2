#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QHBoxLayout;
class QListWidget;
class QPushButton;
class QToolButton;
class QWidget;

// Parts shared by the pages of the Preferences dialog and by the other dialogs.

// A dialog shown without modality while the main window is disabled: a title bar with a close
// box only, for minimizing would leave the main window disabled behind a hidden dialog.
void MakeSecondaryDialog(QDialog* dialog);
// The two buttons of a dialog's bottom row, at its right.
QHBoxLayout* ButtonRow(QPushButton* first, QPushButton* second);

// The widget with its component name.
template <typename Widget> Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// A small button with an up or down arrow that moves the selected row of a list.
QToolButton* ArrowButton(Qt::ArrowType arrow, const char* name, QWidget* parent);

// Lists of one selection at most, edited by their selected row.

// Such a list, which keeps Enter to itself: it does not press the dialog's default button
// (adding an empty entry, say).
QListWidget* EntryList(const char* name, QWidget* parent);

// The selected row, or -1 when none is selected.
int SelectedRow(const QListWidget* list);
// Deletes the selected row, leaving none selected, and returns its index; nothing and -1
// without a selection.
int RemoveSelectedRow(QListWidget* list);
// Exchanges the selected row with its neighbour offset rows away (-1 above, 1 below), when
// there is one, and returns whether it did; the selection moves with the row.
bool MoveSelectedRow(QListWidget* list, int offset);
// As MoveSelectedRow, exchanging the same two of the lines that the rows show.
bool MoveSelectedEntry(QListWidget* list, QStringList& lines, int offset);
