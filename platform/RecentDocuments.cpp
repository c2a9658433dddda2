#include "platform/RecentDocuments.h"

#include <QByteArray>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrl>

#include <glib.h>

namespace {

QString bookmarkFilePath()
{
    return QString::fromLocal8Bit(g_get_user_data_dir()) + QStringLiteral("/recently-used.xbel");
}

} // namespace

namespace RecentDocuments {

bool add(const QString& path, const QString& applicationName)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QByteArray uri = QUrl::fromLocalFile(absolute).toEncoded();
    const QByteArray file = QFile::encodeName(bookmarkFilePath());
    const QByteArray mime = QMimeDatabase().mimeTypeForFile(absolute).name().toUtf8();
    const QByteArray app = applicationName.toUtf8();
    const QByteArray exec = app + " %u";

    GBookmarkFile* bookmarks = g_bookmark_file_new();
    g_bookmark_file_load_from_file(bookmarks, file.constData(), nullptr); // a missing file is fine
    g_bookmark_file_set_mime_type(bookmarks, uri.constData(), mime.constData());
    g_bookmark_file_add_application(bookmarks, uri.constData(), app.constData(), exec.constData());
    GError* error = nullptr;
    const bool ok = g_bookmark_file_to_file(bookmarks, file.constData(), &error);
    if (error)
        g_error_free(error);
    g_bookmark_file_free(bookmarks);
    return ok;
}

QStringList localFiles()
{
    QStringList files;
    const QByteArray file = QFile::encodeName(bookmarkFilePath());
    GBookmarkFile* bookmarks = g_bookmark_file_new();
    if (g_bookmark_file_load_from_file(bookmarks, file.constData(), nullptr)) {
        gsize count = 0;
        gchar** uris = g_bookmark_file_get_uris(bookmarks, &count);
        for (gsize i = 0; i < count; ++i) {
            const QUrl url = QUrl::fromEncoded(QByteArray(uris[i]));
            if (url.isLocalFile())
                files << url.toLocalFile();
        }
        g_strfreev(uris);
    }
    g_bookmark_file_free(bookmarks);
    return files;
}

} // namespace RecentDocuments
