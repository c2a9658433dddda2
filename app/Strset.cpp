#include "app/Strset.h"

#include "app/TextFile.h"

#include <QFileInfo>

FileResult TStrSet::LoadFromFile(const QString& path, qint64 maxSize)
{
    QByteArray bytes;
    const FileResult result = ReadWholeFile(path, maxSize, bytes);
    if (!result.ok)
        return result;
    QByteArrayView rest(bytes);
    if (rest.startsWith("\xEF\xBB\xBF")) // a byte-order mark another editor put there
        rest = rest.sliced(3);
    QStringList lines;
    while (!rest.isEmpty()) {
        qsizetype end = 0;
        while (end < rest.size() && rest[end] != '\r' && rest[end] != '\n')
            ++end;
        lines << DecodeListLine(rest.first(end));
        // The break that ends the last line does not start another one.
        if (end < rest.size() && rest[end] == '\r' && end + 1 < rest.size() &&
            rest[end + 1] == '\n')
            ++end;
        rest = rest.sliced(qMin(end + 1, rest.size()));
    }
    m_strings = lines;
    return {};
}

bool TStrSet::LoadIfExists(const QString& path, QString* error)
{
    if (!QFileInfo::exists(path))
        return false;
    const FileResult result = LoadFromFile(path);
    if (!result.ok && error)
        *error = result.error;
    return result.ok;
}

FileResult TStrSet::SaveToFile(const QString& path) const
{
    QByteArray bytes;
    for (const QString& line : m_strings)
        bytes += EncodeListLine(line) + "\r\n";
    SafeFileWriter file(path);
    if (const FileResult opened = file.open(); !opened.ok)
        return opened;
    file.write(bytes);
    return file.commit();
}
