// Loading a large file: the bytes are read and indexed by a worker thread while the window
// stays drawn and answers Esc.

#include "app/Scrlmemo.h"

#include "app/EscapeOnlyInput.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace
{

// Files from this size on load in the background; smaller ones take less than the blink of
// a progress bar.
constexpr qint64 BackgroundLoadSize = qint64(16) << 20;
// What is shown of a new document's file while the rest loads.
constexpr qint64 HeadBytes = 64 * 1024;
constexpr int ProgressDelayMs = 500;
constexpr qint64 ReadBlock = qint64(8) << 20;
constexpr int ProgressIntervalMs = 100;

// What the worker does and what the window asks of it.
struct LoadJob {
    QString path;
    qint64 size = 0;
    std::atomic<bool> cancel{false};
    std::atomic<int> permille{0};
    FileResult result;
    TextStore store;
    FileFormat format;
};

// Reads the file in blocks, so that the progress moves and Esc is heard, then indexes it.
void loadInWorker(LoadJob& job)
{
    QByteArray bytes;
    bytes.reserve(qBound<qint64>(0, job.size, MaxDocumentSize));
    // Refused at once by its size; one that grows while it is read, when it passes the limit.
    bool tooLarge = job.size > MaxDocumentSize;
    if (!tooLarge)
        job.result = ReadFileInBlocks(job.path, ReadBlock, [&](QByteArrayView block) {
            tooLarge = bytes.size() + block.size() > MaxDocumentSize;
            if (tooLarge || job.cancel)
                return false;
            bytes.append(block);
            // Reading is about half the work.
            job.permille =
                int(500 * qMin<qint64>(bytes.size(), job.size) / qMax<qint64>(1, job.size));
            return true;
        });
    if (tooLarge)
        job.result = FileResult::failure(TooLargeReason(MaxDocumentSize));
    if (!job.result.ok || job.cancel)
        return;
    if (!job.store.load(std::move(bytes), job.format))
        job.result =
            FileResult::failure(TScrollMemo::tr("It has too many characters and line breaks."));
    job.permille = 1000;
}

} // namespace

bool TScrollMemo::LoadsInBackground(const QString& path)
{
    return !path.isEmpty() && FileStampOf(path).size >= BackgroundLoadSize;
}

FileResult TScrollMemo::LoadLinesFromFile(const QString& path)
{
    m_loadCancelled = false;
    return LoadsInBackground(path) ? loadInBackground(path) : loadNow(path);
}

FileResult TScrollMemo::loadNow(const QString& path)
{
    // A device or pipe could block for ever or never end.
    QByteArray bytes;
    if (const FileResult read = ReadWholeFile(path, MaxDocumentSize, bytes); !read.ok)
        return read;
    TextStore store;
    FileFormat format;
    if (!store.load(std::move(bytes), format))
        return FileResult::failure(tr("It has too many characters and line breaks."));
    takeLoadedText(store, format);
    return {};
}

void TScrollMemo::takeLoadedText(TextStore& store, const FileFormat& format)
{
    m_store.swap(store);
    m_format = format;
    newText();
    select(0, 0, true);
    SetModifiedFlag(false);
}

// A new document shows the file's first lines at once; a document that has a text keeps
// showing it until the new one is complete. Either cannot be edited meanwhile.
FileResult TScrollMemo::loadInBackground(const QString& path)
{
    LoadJob job;
    job.path = path;
    job.size = FileStampOf(path).size;
    // The document's own text waits here while the file's first lines show.
    TextStore kept;
    const bool headShown = !ModifiedFlag() && m_store.length() == 0 && showFileHead(path, kept);
    const bool wasReadOnly = isReadOnly();
    setReadOnly(true);

    QEventLoop loop;
    QThread* worker = QThread::create([&job] { loadInWorker(job); });
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer progress;
    progress.setInterval(ProgressIntervalMs);
    connect(&progress, &QTimer::timeout, this, [&] {
        if (elapsed.elapsed() >= ProgressDelayMs)
            Q_EMIT LoadProgress(this, job.permille / 10);
    });
    {
        // The window and its text must stay until the load is over; Esc cancels it.
        EscapeOnlyInput escape([&job] { job.cancel = true; });
        progress.start();
        worker->start();
        loop.exec();
        worker->wait();
    }
    delete worker;
    Q_EMIT LoadProgress(this, -1);
    setReadOnly(wasReadOnly);

    m_loadCancelled = job.cancel;
    if (m_loadCancelled || !job.result.ok) {
        if (headShown) {
            m_store.swap(kept);
            textReset();
        }
        return m_loadCancelled ? FileResult::failure(tr("Loading was cancelled.")) : job.result;
    }
    takeLoadedText(job.store, job.format);
    return {};
}

// The first lines of the file, drawn while the rest loads; the document's text, its format
// and its undo steps stay (the text in kept) until the file is in.
bool TScrollMemo::showFileHead(const QString& path, TextStore& kept)
{
    QByteArray head;
    ReadFileInBlocks(path, HeadBytes, [&head](QByteArrayView block) {
        head = block.toByteArray();
        return false;
    });
    // Whole lines, of any break; else no character cut in two, which would make the head
    // Latin-1.
    qsizetype end = head.size();
    while (end > 0 && head[end - 1] != '\n' && head[end - 1] != '\r')
        --end;
    if (end == 0) {
        end = head.size();
        while (end > 0 && uchar(head[end - 1]) >= 0x80)
            --end;
    }
    head.truncate(end);
    FileFormat format;
    if (!kept.load(std::move(head), format))
        return false;
    m_store.swap(kept);
    textReset();
    viewport()->repaint();
    return true;
}
