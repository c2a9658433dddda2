#pragma once

#include "platform/FileAccess.h"

#include <QObject>
#include <QStringList>

// Owns one string list; lines end with CR LF when loaded or saved. The files are UTF-8
// (those of one byte a character written earlier still read as they did), with the field
// separator of the list files as two raw bytes.
class TStrSet : public QObject
{
    Q_OBJECT

public:
    explicit TStrSet(QObject* owner = nullptr) : QObject(owner) {}

    QStringList& Strings() { return m_strings; }
    const QStringList& Strings() const { return m_strings; }
    // Copies the assigned list's contents into the owned one.
    void SetStrings(const QStringList& strings) { m_strings = strings; }

    // Reads the file's lines (CR LF, LF or CR breaks); on failure the list stays as it was.
    FileResult LoadFromFile(const QString& path, qint64 maxSize = MaxListFileSize);
    // Replaces the lines with those of the file when it exists and returns true; otherwise (no
    // file, or one that cannot be read) the lines stay as they were and the answer is false,
    // with the reason in error when the file exists but could not be read.
    bool LoadIfExists(const QString& path, QString* error = nullptr);
    // Writes every line followed by CR LF; a failure leaves the old file as it was.
    FileResult SaveToFile(const QString& path) const;

private:
    QStringList m_strings;
};
