// The Browse Files window: finding the files that contain a text, and highlighting in the
// preview.

#include "browser/Unit3.h"

#include "app/BusyCursor.h"
#include "app/FocusKeeper.h"
#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "browser/BrowserLogic.h"
#include "browser/FolderSearch.h"
#include "browser/Unit4.h"
#include "editing/MemoCommands.h"
#include "platform/Shell.h"

#include <QAction>
#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>

namespace
{

// Between two events the search reads on for at most this long.
constexpr qint64 EventInterval = 20;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// While a search runs only Esc and repainting are served: Esc stops the search, any other
// input waits for nothing and is dropped.
class SearchInput final : public QObject
{
public:
    explicit SearchInput(bool& stopped) : m_stopped(stopped)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~SearchInput() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            m_stopped = true;
        return isUserInput(event->type());
    }

private:
    bool& m_stopped;
};

} // namespace

void TForm3::FindandHighlight1Click()
{
    if (!FindHighlightText.isEmpty())
        FindHighlightText.clear();
    else
        Form4->Open(TForm4::HighlightPage, QStringLiteral("Find and Highlight"));
}

void TForm3::FindinFiles1Click()
{
    Form4->Open(TForm4::FindInFilesPage, QStringLiteral("Find in Files"));
}

void TForm3::Highlight1Click()
{
    ToggleHighlight(*ScrollMemo1, m_main.HighlightColor);
}

void TForm3::ClearHighlight1Click()
{
    ClearAllHighlights(*ScrollMemo1);
}

void TForm3::HighlightPreview(const QString& text, bool wholeWord)
{
    m_main.HighlightAllOccurrences(ScrollMemo1, text, wholeWord);
}

// Files are read in blocks; between blocks and between files the window repaints and Esc is
// seen. The pane, the status text, the sorting and the cursor come back however it ends.
void TForm3::FindInFolderFiles(const QString& text)
{
    if (Form4)
        Form4->close();
    const QString previewedPath = PanelText(2);
    setPanelText(2, QStringLiteral("Searching (Press Esc to abort)"));
    {
        const FocusKeeper focus(this);
        BusyCursor busy;
        Panel1->setEnabled(false);
        SearchStopped = false;
        ListView1->clear();
        ListView1->setSortingEnabled(false);
        m_searching = true;
        const SearchInput input(SearchStopped);
        QElapsedTimer sinceEvents;
        sinceEvents.start();
        const auto keepGoing = [this, &sinceEvents] {
            if (sinceEvents.elapsed() >= EventInterval) {
                QCoreApplication::processEvents();
                sinceEvents.restart();
            }
            return !SearchStopped;
        };
        QDirIterator entries(CurrentFolder,
                             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (!SearchStopped && entries.hasNext()) {
            const QFileInfo entry = entries.nextFileInfo();
            if (!entry.isDir() && IsListedFile(entry.fileName(), m_main.BrowsFilt) &&
                FileContainsText(entry.filePath(), text, keepGoing).found)
                addFileEntry(entry.fileName())
                    ->setIcon(m_platform.shell.fileTypeIcon(entry.fileName()));
            QCoreApplication::processEvents();
            sinceEvents.restart();
        }
        m_searching = false;
        Panel1->setEnabled(true);
        setPanelText(2, previewedPath);
        ListView1->setSortingEnabled(true);
        ListView1->sortItems();
    }
}
