#include "browser/BrowserLogic.h"

#include "app/TextCompare.h"
#include "platform/Shell.h"

QString UpperExtension(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? QString() : AsciiUpperCase(fileName.mid(dot));
}

bool IsListedFile(QStringView fileName, QStringView excludedExtensions)
{
    const QString extension = UpperExtension(fileName);
    return extension.isEmpty() || !excludedExtensions.contains(extension);
}

QString VolumeLabelText(const QString& label, bool readable)
{
    if (!readable)
        return QString();
    if (label.isEmpty())
        return QStringLiteral(" ");
    // The first character may be a surrogate pair.
    const qsizetype first = label.at(0).isHighSurrogate() && label.size() > 1 ? 2 : 1;
    return label.left(first).toUpper() + label.mid(first).toLower() + u' ';
}

QString DriveCaption(const Volume& volume)
{
    return VolumeLabelText(volume.label, volume.labelReadable) + u'(' + volume.rootPath + u')';
}

QString DriveOfCaption(const QString& caption)
{
    const qsizetype open = caption.indexOf(u'(');
    if (open < 0)
        return QString();
    const qsizetype close = caption.indexOf(u')', open + 1);
    return caption.mid(open + 1, close < 0 ? -1 : close - open - 1);
}

QString WithTrailingSlash(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}
