// The Browse Files window: finding the files that contain a text, and highlighting in the
// preview.

#include "browser/Unit3.h"

#include "app/BusyCursor.h"
#include "app/EscapeOnlyInput.h"
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
#include <QListWidget>

namespace
{

// Between two events the search reads on for at most this long.
constexpr qint64 EventInterval = 20;

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
        // While the search runs only Esc and repainting are served: Esc stops the search.
        const EscapeOnlyInput input([this] { SearchStopped = true; });
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
