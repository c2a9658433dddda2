#pragma once

#include "app/FloatingWindow.h"

class QIcon;
class QListWidget;
class QListWidgetItem;
class QMdiSubWindow;
class QMenu;

// The Open Files window: one entry per document window, with the file-type icon and the
// file-name part of the window's caption, in the order the windows were opened.
class TForm7 final : public TFloatingWindow
{
    Q_OBJECT

public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

    QListWidget* ListView1 = nullptr;
    QMenu* PopupMenu1 = nullptr;

    // Entries are added after their window is shown and removed when it closes.
    void AddEntry(QMdiSubWindow* window, const QString& caption, const QIcon& icon);
    void RemoveEntry(const QMdiSubWindow* window);
    QListWidgetItem* EntryOf(const QMdiSubWindow* window) const;
    static QMdiSubWindow* WindowOf(const QListWidgetItem* entry);
    // The window of the first selected entry, or none.
    QMdiSubWindow* SelectedWindow() const;

    // Beside the main window's right edge, halfway down.
    void PlaceBesideMainWindow();

    void ListView1DblClick(QListWidgetItem* entry);
    void BringtoFront1Click();
    void MaximizeWindow1Click();
    void MinimizeWindow1Click();
    void Close1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createPopupMenu();
};

extern TForm7* Form7;
