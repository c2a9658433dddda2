#include "app/Strset.h"

#include "app/TextFile.h"

#include <QFile>
#include <QSaveFile>

bool TStrSet::LoadFromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QString text = decodeEightBitText(file.readAll());
    m_strings.clear();
    if (text.isEmpty())
        return true;
    // The break that ends the last line does not start another one.
    if (text.endsWith('\n'))
        text.chop(1);
    m_strings = text.split('\n');
    return true;
}

bool TStrSet::SaveToFile(const QString& path) const
{
    QString text;
    for (const QString& line : m_strings)
        text += line + QStringLiteral("\r\n");
    const QByteArray bytes = encodeEightBitText(text);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
