#include "platform/RecentDocuments.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>

#include <glib.h>

namespace
{

QByteArray dataFolder()
{
    return QByteArray(g_get_user_data_dir());
}

QByteArray bookmarkFile()
{
    return dataFolder() + "/recently-used.xbel";
}

// GLib would wait for ever on a pipe in the list's place.
bool isReadableList(const QByteArray& file)
{
    const QFileInfo info(QFile::decodeName(file));
    return !info.exists() || info.isFile();
}

// The URI as every GLib program writes it, so that a file they recorded keeps one entry.
QByteArray fileUri(const QString& absolutePath)
{
    gchar* uri = g_filename_to_uri(QFile::encodeName(absolutePath).constData(), nullptr, nullptr);
    const QByteArray result(uri);
    g_free(uri);
    return result;
}

// The local file a URI names; empty when it names none.
QString localFile(const gchar* uri)
{
    gchar* name = g_filename_from_uri(uri, nullptr, nullptr);
    const QString path = name ? QFile::decodeName(name) : QString();
    g_free(name);
    return path;
}

} // namespace

namespace RecentDocuments
{

bool add(const QString& path, const QString& applicationName)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QByteArray uri = fileUri(absolute);
    if (uri.isEmpty())
        return false;
    const QByteArray file = bookmarkFile();
    const QByteArray mime = QMimeDatabase().mimeTypeForFile(absolute).name().toUtf8();
    const QByteArray app = applicationName.toUtf8();
    const QByteArray exec = app + " %u";

    if (!isReadableList(file))
        return false;
    GBookmarkFile* bookmarks = g_bookmark_file_new();
    GError* loadError = nullptr;
    g_bookmark_file_load_from_file(bookmarks, file.constData(), &loadError);
    // A missing list starts afresh; a list that cannot be read is the other programs' history
    // too, and is left alone.
    const bool usable = !loadError || g_error_matches(loadError, G_FILE_ERROR, G_FILE_ERROR_NOENT);
    if (loadError)
        g_error_free(loadError);
    if (!usable) {
        g_bookmark_file_free(bookmarks);
        return false;
    }
    g_bookmark_file_set_mime_type(bookmarks, uri.constData(), mime.constData());
    g_bookmark_file_add_application(bookmarks, uri.constData(), app.constData(), exec.constData());
    // A new account may not have its data folder yet.
    g_mkdir_with_parents(dataFolder().constData(), 0700);
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
    if (!isReadableList(bookmarkFile()))
        return files;
    GBookmarkFile* bookmarks = g_bookmark_file_new();
    if (g_bookmark_file_load_from_file(bookmarks, bookmarkFile().constData(), nullptr)) {
        gsize count = 0;
        gchar** uris = g_bookmark_file_get_uris(bookmarks, &count);
        for (gsize i = 0; i < count; ++i) {
            const QString path = localFile(uris[i]);
            if (!path.isEmpty())
                files << path;
        }
        g_strfreev(uris);
    }
    g_bookmark_file_free(bookmarks);
    return files;
}

} // namespace RecentDocuments
