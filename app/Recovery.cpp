#include "app/Recovery.h"

#include "app/Scrlmemo.h"
#include "app/Strset.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiSubWindow>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString InfoHeader = QStringLiteral("Tavro recovery 1");
const QString LockName = QStringLiteral("lock");
constexpr qint64 SliceMs = 8;             // of taking a text between the user's input
constexpr qsizetype SliceBytes = 1 << 18; // taken at a time within a slice

void makePrivateFolder(const QString& folder)
{
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(folder).constData(), S_IRWXU);
}

// The lock of a run's folder, held while the run lasts; -1 when another run holds it.
int lockFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(LockName));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void unlock(int fd)
{
    if (fd >= 0)
        ::close(fd); // closing releases the lock
}

QString encodingName(TextEncoding encoding)
{
    return encoding == TextEncoding::Latin1 ? QStringLiteral("latin-1") : QStringLiteral("utf-8");
}

QString lineBreakName(LineBreak lineBreak)
{
    switch (lineBreak) {
    case LineBreak::CrLf:
        return QStringLiteral("crlf");
    case LineBreak::Cr:
        return QStringLiteral("cr");
    case LineBreak::Lf:
        break;
    }
    return QStringLiteral("lf");
}

// The copy's text under a new name first, then its info, which makes it count and names
// it; then the text of the copy before goes. A copy cut short leaves the one before whole.
FileResult writeCopy(const QString& textPath, const QString& infoPath, const QByteArray& text,
                     const QStringList& info, const QString& textBefore)
{
    for (const auto& [path, bytes] :
         {std::pair<QString, QByteArray>{textPath, text},
          std::pair<QString, QByteArray>{infoPath, info.join(QStringLiteral("\r\n")).toUtf8()}}) {
        SafeFileWriter file(path, SafeFileWriter::Target::NameOnly);
        if (const FileResult opened = file.open(); !opened.ok)
            return opened;
        file.write(bytes);
        if (const FileResult written = file.commit(); !written.ok)
            return written;
    }
    if (!textBefore.isEmpty())
        QFile::remove(textBefore);
    return {};
}

} // namespace

QString RecoveryFolder(bool forWriting)
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    const QString tavro = QDir(state).filePath(QStringLiteral("tavro"));
    const QString folder = QDir(tavro).filePath(QStringLiteral("recovery"));
    if (forWriting) {
        makePrivateFolder(tavro);
        makePrivateFolder(folder);
    }
    return folder;
}

QStringList RecoveryInfoLines(const QString& caption, const FileFormat& format,
                              const QString& textName, qint64 textSize)
{
    return {InfoHeader,
            QString::fromLatin1(QUrl::toPercentEncoding(caption)),
            encodingName(format.encoding),
            lineBreakName(format.lineBreak),
            QString::number(textSize),
            textName};
}

bool ParseRecoveryInfo(const QStringList& lines, const QString& folder, RecoveryCopy& copy)
{
    if (lines.size() < 6 || lines.at(0) != InfoHeader || lines.at(5).isEmpty() ||
        lines.at(5).contains(u'/'))
        return false;
    const QString textPath = QDir(folder).filePath(lines.at(5));
    bool sized = false;
    const qint64 size = lines.at(4).toLongLong(&sized);
    if (!sized || QFileInfo(textPath).size() != size)
        return false; // the text was not completely written
    copy.caption = QUrl::fromPercentEncoding(lines.at(1).toLatin1());
    copy.textPath = textPath;
    copy.encoding = lines.at(2) == encodingName(TextEncoding::Latin1) ? TextEncoding::Latin1
                                                                      : TextEncoding::Utf8;
    copy.lineBreak = lines.at(3) == lineBreakName(LineBreak::CrLf) ? LineBreak::CrLf
                     : lines.at(3) == lineBreakName(LineBreak::Cr) ? LineBreak::Cr
                                                                   : LineBreak::Lf;
    return !copy.caption.isEmpty();
}

OrphanedCopies::OrphanedCopies()
{
    const QDir folder(RecoveryFolder());
    for (const QString& name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString runFolder = folder.filePath(name);
        const int lock = lockFolder(runFolder);
        if (lock < 0)
            continue; // its run is still going
        m_runs << Run{runFolder, lock};
        const QDir run(runFolder);
        for (const QString& info :
             run.entryList({QStringLiteral("*.info")}, QDir::Files, QDir::Name)) {
            TStrSet lines;
            RecoveryCopy copy;
            copy.infoPath = run.filePath(info);
            if (lines.LoadFromFile(copy.infoPath).ok &&
                ParseRecoveryInfo(lines.Strings(), runFolder, copy))
                m_copies << copy;
        }
    }
}

OrphanedCopies::~OrphanedCopies()
{
    for (const Run& run : std::as_const(m_runs)) {
        // A folder left without copies has nothing more to offer.
        if (QDir(run.folder).entryList({QStringLiteral("*.info")}, QDir::Files).isEmpty())
            QDir(run.folder).removeRecursively();
        unlock(run.lock);
    }
}

void OrphanedCopies::Remove(const RecoveryCopy& copy)
{
    QFile::remove(copy.infoPath);
    QFile::remove(copy.textPath);
}

void OrphanedCopies::Discard()
{
    for (const Run& run : std::as_const(m_runs))
        QDir(run.folder).removeRecursively();
    m_copies.clear();
}

// One document's copy: when it is due, the text taken so far, and the thread writing it.
struct TRecoveryKeeper::Job {
    QPointer<QMdiSubWindow> window;
    QPointer<TScrollMemo> memo;
    QMetaObject::Connection changes;
    QString base; // "<folder>/<n>"
    QString infoPath;
    int version = 0; // of the text last written
    QString textPath(int ofVersion) const
    {
        return base + QStringLiteral("-%1.text").arg(ofVersion);
    }
    QTimer* pause = nullptr; // after the last change
    QTimer* slice = nullptr; // taking the text
    QElapsedTimer sinceCopy;
    quint64 copiedEdits = ~quint64(0); // the edit count of the text last copied
    quint64 takingEdits = 0;
    int nextLine = 0;
    QByteArray taken;
    bool taking = false;
    bool writing = false;
    bool forgotten = false; // its files go when the writing ends
    bool closed = false;    // and so does the job
};

TRecoveryKeeper::TRecoveryKeeper(QObject* parent) : QObject(parent)
{
    // Made and locked under a hidden name first: a run starting at the same moment must not
    // take it for the folder of a run that has ended.
    QDir recovery(RecoveryFolder(true));
    const QString name = QStringLiteral("%1-%2")
                             .arg(::getpid())
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
    const QString hidden = recovery.filePath(u'.' + name);
    makePrivateFolder(hidden);
    m_lock = lockFolder(hidden);
    if (m_lock >= 0 && recovery.rename(u'.' + name, name))
        m_folder = recovery.filePath(name);
}

// A normal end: the threads still writing finish, then the run's copies go.
TRecoveryKeeper::~TRecoveryKeeper()
{
    for (QThread* thread : findChildren<QThread*>())
        thread->wait();
    for (Job* job : std::as_const(m_jobs))
        deleteJob(job);
    if (!m_folder.isEmpty())
        QDir(m_folder).removeRecursively();
    unlock(m_lock);
}

void TRecoveryKeeper::deleteJob(Job* job)
{
    disconnect(job->changes);
    delete job->pause;
    delete job->slice;
    delete job;
}

TRecoveryKeeper::Job* TRecoveryKeeper::jobOf(const QMdiSubWindow* window) const
{
    return m_jobs.value(window);
}

bool TRecoveryKeeper::Idle() const
{
    for (const Job* job : m_jobs) {
        if (job->writing || job->taking || job->pause->isActive())
            return false;
    }
    return true;
}

void TRecoveryKeeper::Watch(QMdiSubWindow* window)
{
    if (m_folder.isEmpty() || jobOf(window))
        return;
    auto* job = new Job;
    job->window = window;
    job->memo = window->findChild<TScrollMemo*>(QStringLiteral("memo"));
    const QString base = QDir(m_folder).filePath(QString::number(++m_nextNumber));
    job->base = base;
    job->infoPath = base + QStringLiteral(".info");
    job->pause = new QTimer(this);
    job->pause->setSingleShot(true);
    job->slice = new QTimer(this);
    job->slice->setSingleShot(true);
    connect(job->pause, &QTimer::timeout, this, [this, job] { takeSlice(*job); });
    connect(job->slice, &QTimer::timeout, this, [this, job] { takeSlice(*job); });
    job->changes =
        connect(job->memo, &TScrollMemo::OnChange, this, [this, job] { schedule(*job); });
    m_jobs.insert(window, job);
    schedule(*job);
}

// A copy is taken once the typing pauses, and not sooner than a while after the last.
void TRecoveryKeeper::schedule(Job& job)
{
    if (!job.memo)
        return;
    // Undone back to the text of the file: the copy would bring back what was undone.
    if (!job.memo->ModifiedFlag()) {
        if (!job.writing)
            Forget(job.window);
        return;
    }
    qint64 wait = PauseMs;
    if (job.sinceCopy.isValid())
        wait = qMax<qint64>(wait, MinimumGapMs - job.sinceCopy.elapsed());
    job.slice->stop();
    job.taking = false;
    job.taken.clear();
    job.pause->start(int(wait));
}

// Takes lines for a few milliseconds; a change meanwhile starts the copy again later.
void TRecoveryKeeper::takeSlice(Job& job)
{
    if (!job.memo || job.writing || !job.memo->ModifiedFlag())
        return;
    if (!job.taking) {
        if (job.memo->EditCount() == job.copiedEdits)
            return;
        job.taking = true;
        job.takingEdits = job.memo->EditCount();
        job.nextLine = 0;
        job.taken.clear();
        // Growing a large copy step by step would move it again and again. A character takes
        // up to three bytes; pages never written cost nothing.
        job.taken.reserve(qsizetype(job.memo->TextLength()) * 3 + SliceBytes);
    } else if (job.memo->EditCount() != job.takingEdits) {
        schedule(job);
        return;
    }
    QElapsedTimer slice;
    slice.start();
    while (job.nextLine >= 0 && slice.elapsed() < SliceMs)
        job.taken +=
            job.memo->SavedBytesFrom(job.nextLine, SliceBytes, TextEncoding::Utf8, job.nextLine);
    if (job.nextLine >= 0) {
        job.slice->start(0);
        return;
    }
    job.taking = false;
    startWriting(job);
}

void TRecoveryKeeper::startWriting(Job& job)
{
    job.writing = true;
    job.forgotten = false;
    job.sinceCopy.start();
    const int version = ++job.version;
    const QString textPath = job.textPath(version);
    const QStringList info =
        RecoveryInfoLines(job.window ? job.window->windowTitle() : QString(), job.memo->Format(),
                          QFileInfo(textPath).fileName(), job.taken.size());
    auto written = std::make_shared<bool>(false);
    auto* thread =
        QThread::create([text = std::exchange(job.taken, {}), textPath, infoPath = job.infoPath,
                         info, textBefore = job.textPath(version - 1), written] {
            *written = writeCopy(textPath, infoPath, text, info, textBefore).ok;
        });
    thread->setParent(this);
    Job* writing = &job;
    // A copy that could not be written is tried again at the next change.
    const quint64 edits = job.takingEdits;
    connect(thread, &QThread::finished, this, [this, writing, thread, edits, written] {
        thread->deleteLater();
        writing->writing = false;
        if (writing->forgotten)
            removeFiles(*writing);
        if (writing->closed) {
            deleteJob(writing);
            return;
        }
        if (!writing->forgotten && *written) {
            writing->copiedEdits = edits;
            Q_EMIT copyWritten(writing->window);
        }
        if (writing->memo && writing->memo->EditCount() != edits)
            schedule(*writing);
    });
    thread->start(QThread::LowPriority);
}

void TRecoveryKeeper::CopyNow(const QMdiSubWindow* window)
{
    Job* job = jobOf(window);
    if (!job || !job->memo)
        return;
    for (QThread* thread : findChildren<QThread*>())
        thread->wait();
    QByteArray text;
    for (int next = 0; next >= 0;)
        text += job->memo->SavedBytesFrom(next, SliceBytes, TextEncoding::Utf8, next);
    const int version = ++job->version;
    writeCopy(job->textPath(version), job->infoPath, text,
              RecoveryInfoLines(window->windowTitle(), job->memo->Format(),
                                QFileInfo(job->textPath(version)).fileName(), text.size()),
              job->textPath(version - 1));
    job->copiedEdits = job->memo->EditCount();
    job->sinceCopy.start();
}

void TRecoveryKeeper::removeFiles(const Job& job) const
{
    QFile::remove(job.infoPath);
    QFile::remove(job.textPath(job.version));
    QFile::remove(job.textPath(job.version - 1));
}

void TRecoveryKeeper::Forget(const QMdiSubWindow* window, bool closed)
{
    Job* job = jobOf(window);
    if (!job)
        return;
    job->pause->stop();
    job->slice->stop();
    job->taking = false;
    job->taken.clear();
    job->copiedEdits = ~quint64(0);
    removeFiles(*job);
    if (closed)
        m_jobs.remove(window);
    // A copy being written goes when the writing ends, and so does the job of a closed
    // window.
    if (job->writing) {
        job->forgotten = true;
        job->closed = closed;
    } else if (closed) {
        deleteJob(job);
    }
}
