#include "platform/FileAccess.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

QString TooLargeReason(qint64 maxSize)
{
    return QStringLiteral("It is larger than %1 MB.").arg(maxSize >> 20);
}

namespace
{

QString systemReason(int error)
{
    return qt_error_string(error);
}

QString notRegularReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("It is a folder.");
    if (S_ISFIFO(mode))
        return QStringLiteral("It is a named pipe.");
    if (S_ISSOCK(mode))
        return QStringLiteral("It is a socket.");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("It is a device.");
    return QStringLiteral("It is not a regular file.");
}

// Why a file of this kind and size cannot be read; empty when it can.
QString refusalOf(const struct stat& st, qint64 maxSize)
{
    if (!S_ISREG(st.st_mode))
        return notRegularReason(st.st_mode);
    if (st.st_size > maxSize)
        return TooLargeReason(maxSize);
    return {};
}

// Read from the system's account of the process: setting and restoring it would leave
// files made meanwhile by another thread open to everyone.
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            bool ok = false;
            const mode_t mask = mode_t(line.mid(6).trimmed().toUInt(&ok, 8));
            if (line.startsWith("Umask:") && ok)
                return mask & 0777;
        }
    }
    return 022; // the usual one, where the system does not say
}

// Writes all of the bytes at offset (or at the file position when offset < 0); false with
// errno set when that failed.
bool writeAll(int fd, const char* data, qint64 size, qint64 offset = -1)
{
    while (size > 0) {
        const ssize_t written =
            offset < 0 ? ::write(fd, data, size_t(size)) : ::pwrite(fd, data, size_t(size), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
        if (offset >= 0)
            offset += written;
    }
    return true;
}

// The folder's entries reach the disk too, so that a replaced file survives a crash.
void syncFolderOf(const QByteArray& path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// An open file descriptor, closed when it goes.
class Descriptor
{
public:
    Descriptor() = default;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd) { m_fd = fd; }

private:
    int m_fd = -1;
};

// Opens a regular file of at most maxSize bytes for reading; st describes it once open.
// Everything else is refused, looked at before opening (opening some devices already does
// something) and again on what was opened.
FileResult openForReading(const QString& path, qint64 maxSize, Descriptor& fd, struct stat& st)
{
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) != 0)
        return FileResult::failure(systemReason(errno));
    if (const QString refusal = refusalOf(st, maxSize); !refusal.isEmpty())
        return FileResult::failure(refusal);
    // Non-blocking: should the name be a pipe by now, opening it does not wait for a writer.
    fd.reset(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0)
        return FileResult::failure(systemReason(errno));
    if (::fstat(fd.get(), &st) != 0)
        return FileResult::failure(systemReason(errno));
    if (const QString refusal = refusalOf(st, maxSize); !refusal.isEmpty())
        return FileResult::failure(refusal);
    return {};
}

// Reads up to size bytes; the count read (0 at the end), or -1 with errno set.
ssize_t readSome(int fd, char* data, qint64 size)
{
    for (;;) {
        const ssize_t got = ::read(fd, data, size_t(size));
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

} // namespace

FileResult ReadWholeFile(const QString& path, qint64 maxSize, QByteArray& bytes)
{
    Descriptor fd;
    struct stat st {
    };
    if (const FileResult opened = openForReading(path, maxSize, fd, st); !opened.ok)
        return opened;
    // One byte more than allowed tells a file that grew meanwhile.
    QByteArray data(qMin<qint64>(st.st_size, maxSize) + 1, Qt::Uninitialized);
    qint64 size = 0;
    for (;;) {
        if (size == data.size()) {
            if (size > maxSize)
                return FileResult::failure(TooLargeReason(maxSize));
            data.resize(qMin<qint64>(maxSize + 1, 2 * size));
        }
        const ssize_t got = readSome(fd.get(), data.data() + size, data.size() - size);
        if (got < 0)
            return FileResult::failure(systemReason(errno));
        if (got == 0)
            break;
        size += got;
    }
    if (size > maxSize)
        return FileResult::failure(TooLargeReason(maxSize));
    data.truncate(size);
    bytes = std::move(data);
    return {};
}

FileResult ReadFileInBlocks(const QString& path, qint64 blockSize,
                            const std::function<bool(QByteArrayView block)>& consume)
{
    Descriptor fd;
    struct stat st {
    };
    const qint64 unlimited = std::numeric_limits<qint64>::max();
    if (const FileResult opened = openForReading(path, unlimited, fd, st); !opened.ok)
        return opened;
    blockSize = qMax<qint64>(1, blockSize);
    // A small file needs no more room than itself (and one byte to see its end).
    QByteArray buffer(qMin<qint64>(blockSize, st.st_size + 1), Qt::Uninitialized);
    for (;;) {
        const ssize_t got = readSome(fd.get(), buffer.data(), buffer.size());
        if (got < 0)
            return FileResult::failure(systemReason(errno));
        if (got == 0)
            return {};
        if (!consume(QByteArrayView(buffer.constData(), got)))
            return {};
        // The file grew since it was looked at: blocks as large as allowed from now on.
        if (got == buffer.size() && buffer.size() < blockSize)
            buffer.resize(blockSize);
    }
}

SafeFileWriter::SafeFileWriter(const QString& path, Target target) : m_path(path), m_mode(target) {}

SafeFileWriter::~SafeFileWriter()
{
    cancel();
}

bool SafeFileWriter::fail(int error)
{
    if (m_error == 0)
        m_error = error;
    return false;
}

FileResult SafeFileWriter::open()
{
    const QFileInfo info(m_path);
    QString target = m_path;
    if (info.isSymLink() && m_mode == Target::FollowLinks)
        target = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    m_target = QFile::encodeName(target);
    m_error = 0;

    struct stat st {
    };
    const bool nameOnly = m_mode == Target::NameOnly;
    bool exists =
        (nameOnly ? ::lstat(m_target.constData(), &st) : ::stat(m_target.constData(), &st)) == 0;
    if (!exists && errno != ENOENT)
        return FileResult::failure(systemReason(errno));
    // A link in the name's place is replaced like a file that was not there.
    if (exists && nameOnly && S_ISLNK(st.st_mode))
        exists = false;
    if (exists && !S_ISREG(st.st_mode))
        return FileResult::failure(notRegularReason(st.st_mode));
    // A replacement would be a new file under one of the names only.
    if (exists && st.st_nlink > 1 && !nameOnly)
        return openInPlace();

    // A short name: the file's own name may already be as long as names can be.
    QByteArray temporary =
        QFile::encodeName(QFileInfo(target).absolutePath()) + QByteArrayLiteral("/.tavro-XXXXXX");
    m_fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (m_fd < 0) {
        const int error = errno;
        if (exists && (error == EACCES || error == EPERM) && !(nameOnly && st.st_nlink > 1) &&
            ::access(m_target.constData(), W_OK) == 0)
            return openInPlace();
        return FileResult::failure(systemReason(error));
    }
    m_temporary = temporary;
    if (exists) {
        // Only the owner's own group may be kept by someone else; neither is essential.
        if (::fchown(m_fd, st.st_uid, st.st_gid) != 0)
            (void)::fchown(m_fd, uid_t(-1), st.st_gid);
        ::fchmod(m_fd, st.st_mode & 07777);
    } else {
        ::fchmod(m_fd, 0666 & ~currentUmask());
    }
    return {};
}

FileResult SafeFileWriter::openInPlace()
{
    const int noLinks = m_mode == Target::NameOnly ? O_NOFOLLOW : 0;
    m_fd = ::open(m_target.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC | noLinks);
    if (m_fd < 0)
        return FileResult::failure(systemReason(errno));
    m_temporary.clear();
    m_pending.clear();
    return {};
}

bool SafeFileWriter::write(QByteArrayView bytes)
{
    if (m_fd < 0 || m_error != 0)
        return fail(EBADF);
    if (m_temporary.isEmpty()) {
        m_pending.append(bytes);
        return true;
    }
    return writeAll(m_fd, bytes.data(), bytes.size()) || fail(errno);
}

FileResult SafeFileWriter::commit()
{
    if (m_fd < 0)
        return FileResult::failure(systemReason(m_error ? m_error : EBADF));
    const FileResult result = m_temporary.isEmpty() ? commitInPlace() : commitReplacement();
    cancel();
    return result;
}

FileResult SafeFileWriter::commitReplacement()
{
    if (m_error == 0 && ::fsync(m_fd) != 0)
        fail(errno);
    if (::close(m_fd) != 0)
        fail(errno);
    m_fd = -1;
    if (m_error == 0 && ::rename(m_temporary.constData(), m_target.constData()) != 0)
        fail(errno);
    if (m_error != 0)
        return FileResult::failure(systemReason(m_error));
    m_temporary.clear(); // it is the file now
    syncFolderOf(m_target);
    return {};
}

// The old contents are overwritten only once the space for the new ones is certain.
FileResult SafeFileWriter::commitInPlace()
{
    const qint64 size = m_pending.size();
    if (m_error == 0 && size > 0) {
        const int error = ::posix_fallocate(m_fd, 0, size);
        if (error == ENOSPC || error == EFBIG || error == EIO)
            fail(error);
    }
    if (m_error == 0 && !writeAll(m_fd, m_pending.constData(), size, 0))
        fail(errno);
    if (m_error == 0 && ::ftruncate(m_fd, size) != 0)
        fail(errno);
    if (m_error == 0 && ::fsync(m_fd) != 0)
        fail(errno);
    if (::close(m_fd) != 0)
        fail(errno);
    m_fd = -1;
    m_pending.clear();
    return m_error == 0 ? FileResult() : FileResult::failure(systemReason(m_error));
}

void SafeFileWriter::cancel()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.isEmpty()) {
        ::unlink(m_temporary.constData());
        m_temporary.clear();
    }
    m_pending.clear();
}

FileStamp FileStampOf(const QString& path)
{
    struct stat st {
    };
    FileStamp stamp;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = quint64(st.st_dev);
    stamp.inode = quint64(st.st_ino);
    stamp.size = qint64(st.st_size);
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}
