#include "browser/FileCopy.h"

namespace
{

constexpr qint64 CopyBlock = qint64(1) << 20;

FileResult cannot(const char* what, const QString& path, const QString& reason)
{
    return FileResult::failure(QLatin1String(what) + path + QStringLiteral(".\r") + reason);
}

} // namespace

FileResult CopyFileContents(const QString& source, const QString& target)
{
    SafeFileWriter copy(target);
    if (const FileResult created = copy.open(); !created.ok)
        return cannot("Cannot create file ", target, created.error);
    bool written = true;
    const FileResult read = ReadFileInBlocks(source, CopyBlock, [&](QByteArrayView block) {
        written = copy.write(block);
        return written;
    });
    if (!read.ok) {
        copy.cancel();
        return cannot("Cannot open file ", source, read.error);
    }
    // A failed write is reported by the commit, which then leaves the target as it was.
    if (const FileResult committed = copy.commit(); !committed.ok)
        return cannot("Cannot create file ", target, committed.error);
    return {};
}
