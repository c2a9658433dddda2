#pragma once

#include <QString>
#include <QStringList>

// The desktop's recently-used list (recently-used.xbel in the XDG data folder).
namespace RecentDocuments
{
bool add(const QString& path, const QString& applicationName);
// Local files listed, in the file's order.
QStringList localFiles();
} // namespace RecentDocuments
