#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

// Reading and writing the files a user names or the program keeps. Every read goes through
// ReadWholeFile or ReadFileInBlocks, every write through SafeFileWriter.

// Errors are values: ok, or the reason the operation failed.
struct FileResult {
    bool ok = true;
    QString error;
    static FileResult failure(const QString& why) { return {false, why}; }
};

// Documents and files inserted into them.
constexpr qint64 MaxDocumentSize = qint64(1536) << 20;
// Settings, list and macro files.
constexpr qint64 MaxListFileSize = qint64(16) << 20;

// One state of a file on disk, to tell whether someone changed it: whether it exists, and its
// identity, size and modification time (links followed).
struct FileStamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp& other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode &&
               size == other.size && modifiedNs == other.modifiedNs;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};
FileStamp FileStampOf(const QString& path);

// Why a file larger than maxSize is refused.
QString TooLargeReason(qint64 maxSize);

// Reads the whole file into bytes. Only regular files are read: a folder, pipe, device or
// socket is refused without being read (nothing blocks on it), and so is a file larger
// than maxSize. On failure bytes is left as it was and the error says why.
FileResult ReadWholeFile(const QString& path, qint64 maxSize, QByteArray& bytes);

// Reads the file from its start in blocks of at most blockSize bytes, handing each to
// consume, which returns false to stop early (not a failure). Refuses what ReadWholeFile
// refuses, with the same reasons, but not for its size: memory stays within blockSize.
// A failure after some blocks were consumed says why the rest could not be read.
FileResult ReadFileInBlocks(const QString& path, qint64 blockSize,
                            const std::function<bool(QByteArrayView block)>& consume);

// Writes a file so that a failure leaves the old one as it was: the bytes go to a file with
// a short temporary name in the same folder, which replaces the old file when complete.
// Permissions, owner and group of the old file are kept where the system allows. A file
// with several hard links, or one in a folder where no file can be created although the
// file itself is writable, is written in place instead, after the space for it has been
// reserved. A symbolic link is followed: the file it points to is written.
//
// A file the program makes for another program (Open With's preview) may have a name that
// someone else can put a link or a hard link at. With NameOnly, the name alone is written: a
// link there is replaced, not followed, a file with several names gets a new one under this
// name, and writing in place never goes through a link or touches such a file.
class SafeFileWriter
{
public:
    enum class Target { FollowLinks, NameOnly };
    explicit SafeFileWriter(const QString& path, Target target = Target::FollowLinks);
    ~SafeFileWriter(); // cancels what was not committed
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    FileResult open();
    // False when the bytes could not be written; commit() then reports why.
    bool write(QByteArrayView bytes);
    FileResult commit();
    void cancel();

private:
    bool fail(int error);
    FileResult openInPlace();
    FileResult commitInPlace();
    FileResult commitReplacement();

    QString m_path;
    Target m_mode;
    QByteArray m_target;    // the file to write, links followed, in the system's encoding
    QByteArray m_temporary; // empty when writing in place
    QByteArray m_pending;   // in place: everything, written at commit
    int m_fd = -1;
    int m_error = 0;
};
