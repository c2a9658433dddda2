#pragma once

#include "app/TextFile.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QMdiSubWindow;
class QTimer;
class TScrollMemo;

// Copies of the modified documents, kept while the program runs so that a crash, a power cut
// or a killed session costs no more than a few seconds of typing.
//
// Each run has a folder of its own in $XDG_STATE_HOME/tavro/recovery (readable by the user
// only), locked while the run lasts. A document's copy is two files: "<n>-<version>.text",
// its text in UTF-8 with each line's own break (so that any text reads back as it was), and
// "<n>.info", its caption, the encoding and line-break style of its file and the name and
// size of the text, written last, so that a copy counts only when both are complete; each
// copy's text has a new name, so that one cut short leaves the one before whole.

// The folder of every run's copies; created (user only) when asked for writing.
QString RecoveryFolder(bool forWriting = false);

struct RecoveryCopy {
    QString caption;
    QString infoPath;
    QString textPath;
    TextEncoding encoding = TextEncoding::Utf8;
    LineBreak lineBreak = LineBreak::Lf;
};

// The lines of a copy's info file, and back; false for lines that are not a complete copy's.
// The text lies in the same folder as the info, under textName.
QStringList RecoveryInfoLines(const QString& caption, const FileFormat& format,
                              const QString& textName, qint64 textSize);
bool ParseRecoveryInfo(const QStringList& lines, const QString& folder, RecoveryCopy& copy);

// The copies of runs that ended without closing: their folders are locked by this object
// while it lives, so that no other run offers them too.
class OrphanedCopies
{
public:
    OrphanedCopies(); // looks for them
    ~OrphanedCopies();
    OrphanedCopies(const OrphanedCopies&) = delete;
    OrphanedCopies& operator=(const OrphanedCopies&) = delete;

    const QList<RecoveryCopy>& Copies() const { return m_copies; }
    // Removes the copies and their folders.
    void Discard();
    // Removes one copy (restored); folders left without copies go when this object does.
    void Remove(const RecoveryCopy& copy);

private:
    struct Run {
        QString folder;
        int lock;
    };
    QList<Run> m_runs;
    QList<RecoveryCopy> m_copies;
};

// Writes the copies of this run's modified documents: after a pause in typing and at most
// every few seconds, the text is taken a few lines at a time between the user's input and
// written by another thread.
class TRecoveryKeeper final : public QObject
{
    Q_OBJECT

public:
    explicit TRecoveryKeeper(QObject* parent = nullptr);
    ~TRecoveryKeeper() override; // a normal end: the run's copies go

    // Keeps a copy of the window's text while it is modified.
    void Watch(QMdiSubWindow* window);
    // Writes the window's copy at once, before this returns (a text restored from another
    // run's copy, which then goes).
    void CopyNow(const QMdiSubWindow* window);
    // The window's copy goes: it was saved or reloaded, or it is closing (closed).
    void Forget(const QMdiSubWindow* window, bool closed = false);
    // True while nothing is being taken or written (for tests and the end of the run).
    bool Idle() const;

    static constexpr int PauseMs = 1000;      // after the last change
    static constexpr int MinimumGapMs = 3000; // between two copies of a document

Q_SIGNALS:
    void copyWritten(const QMdiSubWindow* window);

private:
    struct Job;
    void schedule(Job& job);
    void takeSlice(Job& job);
    void startWriting(Job& job);
    void removeFiles(const Job& job) const;
    void deleteJob(Job* job);
    Job* jobOf(const QMdiSubWindow* window) const;

    QString m_folder; // this run's; empty when no copy can be kept
    int m_lock = -1;
    quint64 m_nextNumber = 0;
    QHash<const QMdiSubWindow*, Job*> m_jobs;
};
