// Window management: arranging the document windows, the Bring to Front list, the floating
// windows, Stay on Top and the secondary windows that suspend it.

#include "app/Unit1.h"

#include "app/Scrlmemo.h"
#include "app/Unit7.h"
#include "browser/Unit3.h"
#include "prefs/Unit5.h"
#include "tools/Unit10.h"
#include "tools/Unit12.h"

#include <QAction>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include <functional>

namespace
{

const QString HideWatcherName = QStringLiteral("HideWatcher");

// Runs a function once, when the watched window is hidden (closed).
class HideWatcher final : public QObject
{
public:
    HideWatcher(QWidget* window, std::function<void()> onHidden)
        : QObject(window), m_onHidden(std::move(onHidden))
    {
        setObjectName(HideWatcherName);
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A window that the window system hides (minimised with its owner) is not closed.
        if (event->type() == QEvent::Hide && !event->spontaneous()) {
            watched->removeEventFilter(this);
            deleteLater();
            m_onHidden();
        }
        return false;
    }

private:
    std::function<void()> m_onHidden;
};

// Keeps a window above all others, or lets it go back among them, where it stands.
void setTopmost(QWidget* window, bool on)
{
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = window->isVisible();
    const QRect frame = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) {
        window->setGeometry(frame);
        window->show();
    }
}

QString bringToFrontCaption(int index, const QString& caption)
{
    return QStringLiteral("&%1 %2").arg(index + 1).arg(caption);
}

} // namespace

void TForm1::Cascade1Click()
{
    MdiArea->cascadeSubWindows();
}

// Windows one above another, each the full width of the area.
void TForm1::Tile1Click()
{
    QList<QMdiSubWindow*> windows = DocumentWindows();
    windows.removeIf([](const QMdiSubWindow* window) { return window->isMinimized(); });
    if (windows.isEmpty())
        return;
    const QRect area = MdiArea->viewport()->rect();
    const int height = area.height() / int(windows.size());
    for (int i = 0; i < windows.size(); ++i) {
        windows[i]->showNormal();
        const int bottom = i == windows.size() - 1 ? area.height() : (i + 1) * height;
        windows[i]->setGeometry(0, i * height, area.width(), bottom - i * height);
    }
}

void TForm1::MinimizeAll1Click()
{
    const QList<QMdiSubWindow*> windows = DocumentWindows();
    for (auto it = windows.crbegin(); it != windows.crend(); ++it)
        (*it)->showMinimized();
}

void TForm1::Window1Click()
{
    QMenu* list = findChild<QMenu*>(QStringLiteral("BringtoFront1"));
    list->clear();
    const QList<QMdiSubWindow*> windows = DocumentWindows();
    for (int i = 0; i < windows.size(); ++i) {
        QAction* item = list->addAction(bringToFrontCaption(i, windows[i]->windowTitle()));
        connect(item, &QAction::triggered, this, [this, item] { BringToFrontItemClick(item); });
    }
    action("ShowToolbar1")->setChecked(!ToolBar1->isHidden());
    for (const FloatingWindow& floating : floatingWindows())
        floating.showCommand->setChecked(floating.window->isVisible());
}

void TForm1::BringToFrontItemClick(const QAction* item)
{
    const QList<QMdiSubWindow*> windows = DocumentWindows();
    for (int i = 0; i < windows.size(); ++i) {
        if (bringToFrontCaption(i, windows[i]->windowTitle()) == item->text()) {
            if (windows[i]->isMinimized())
                windows[i]->showNormal();
            MdiArea->setActiveSubWindow(windows[i]);
            return;
        }
    }
}

// The window activated longest ago comes to the front: pressed repeatedly, it goes round
// all the windows.
void TForm1::oggleWindows1Click()
{
    const QList<QMdiSubWindow*> windows = DocumentWindows();
    if (!windows.isEmpty())
        MdiArea->setActiveSubWindow(windows.last());
}

void TForm1::ShowToolbar1Click()
{
    SetToolbarShown(ToolBar1->isHidden());
}

void TForm1::SetToolbarShown(bool shown)
{
    ToolBar1->setVisible(shown);
    action("ShowToolbar1")->setChecked(shown);
}

void TForm1::ShowOpenFiles1Click()
{
    SetOpenFilesShown(!Form7->isVisible());
}

void TForm1::SetOpenFilesShown(bool shown)
{
    setFloatingShown({Form7, action("ShowOpenFiles1")}, shown);
}

void TForm1::Overview1Click()
{
    setFloatingShown({Form10, action("Overview1")}, !Form10->isVisible());
}

// Hiding is closing: the Calculator gives back what it took when it closes.
void TForm1::setFloatingShown(const FloatingWindow& floating, bool shown)
{
    if (shown) {
        floating.window->show();
        floating.window->raise();
    } else {
        floating.window->close();
    }
    floating.showCommand->setChecked(floating.window->isVisible());
}

void TForm1::Calculator1Click()
{
    setFloatingShown({Form12, action("Calculator1")}, !Form12->isVisible());
    // Every showing starts cleared; not while Stay on Top holds it hidden.
    if (Form12->isVisible()) {
        Form12->FormShow();
        Form12->activateWindow();
    }
}

QList<TForm1::FloatingWindow> TForm1::floatingWindows() const
{
    QList<FloatingWindow> windows;
    if (Form7)
        windows << FloatingWindow{Form7, action("ShowOpenFiles1")};
    if (Form10)
        windows << FloatingWindow{Form10, action("Overview1")};
    if (Form12)
        windows << FloatingWindow{Form12, action("Calculator1")};
    return windows;
}

void TForm1::Stayontop1Click()
{
    const bool on = !StayOnTop;
    setTopmost(this, on);
    action("Stayontop1")->setChecked(on);
    StayOnTop = on;
    // The floating windows would fight the main window for the top: they go, and nothing
    // shows them again while it stays on top.
    for (const FloatingWindow& floating : floatingWindows()) {
        if (on && floating.window->isVisible())
            floating.showCommand->trigger();
        floating.window->HoldHidden(on);
    }
    UpdateCommandStates();
}

void TForm1::ShowSecondaryWindow(QWidget* window)
{
    // Hidden ones too: a first document opened meanwhile shows the Open Files window.
    for (const FloatingWindow& floating : floatingWindows())
        setTopmost(floating.window, false);
    StayOnTopSuspended = false;
    if (StayOnTop) {
        Stayontop1Click();
        StayOnTopSuspended = true;
    }
    // Disabling the main window disables the windows it owns too; the secondary one stays
    // usable.
    setEnabled(false);
    window->setEnabled(true);
    m_secondaryWindow = window;
    new HideWatcher(window, [this] { secondaryWindowClosed(); });
    window->show();
    window->raise();
    window->activateWindow();
}

// The Preferences dialog is filled by the command only: a window the window system shows
// again after minimising keeps what the user entered.
void TForm1::SetFilters1Click()
{
    setfilters->FormShow();
    ShowSecondaryWindow(setfilters);
}

// The browser is filled by the command only, as the Preferences dialog is.
void TForm1::BrowseFiles1Click()
{
    ShowSecondaryWindow(Form3);
    Form3->FormShow();
}

// A secondary window still open is hidden when the main window destroys it: by then the main
// window is half gone and must not answer.
void TForm1::releaseSecondaryWindows()
{
    qDeleteAll(findChildren<QObject*>(HideWatcherName));
}

void TForm1::secondaryWindowClosed()
{
    m_secondaryWindow = nullptr;
    setEnabled(true);
    if (StayOnTopSuspended)
        Stayontop1Click();
    // A Calculator still shown keeps the others disabled; one closed meanwhile left them so.
    const bool calculatorShown = Form12 && Form12->isVisible();
    for (const FloatingWindow& floating : floatingWindows()) {
        if (!calculatorShown)
            floating.window->setEnabled(true);
        setTopmost(floating.window, true);
    }
}
