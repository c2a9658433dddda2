#pragma once

#include <QObject>
#include <QStringList>

// Owns one string list; lines end with CR LF when loaded or saved. The files are one byte
// a character, or UTF-8 when a line needs characters beyond that.
class TStrSet : public QObject
{
    Q_OBJECT

public:
    explicit TStrSet(QObject* owner = nullptr) : QObject(owner) {}

    QStringList& Strings() { return m_strings; }
    const QStringList& Strings() const { return m_strings; }
    // Copies the assigned list's contents into the owned one.
    void SetStrings(const QStringList& strings) { m_strings = strings; }

    // Reads the file's lines (CR LF, LF or CR breaks); false when unreadable.
    bool LoadFromFile(const QString& path);
    // Writes every line followed by CR LF, atomically; false when the file cannot be written.
    bool SaveToFile(const QString& path) const;

private:
    QStringList m_strings;
};
