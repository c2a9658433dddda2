#pragma once

#include "platform/FileAccess.h"

#include <QString>
#include <QStringList>

// The programs that Open With remembers, one a line in openwith.ini in the program folder, and
// the files it hands to them.

// A program not yet remembered is added at the end; a list longer than this loses its last
// entry first, so the list never holds more than one entry over.
constexpr int MaxRememberedPrograms = 10;

// The full path of openwith.ini; with forWriting its folder is created when missing.
QString OpenWithFilePath(bool forWriting = false);

// Replaces the programs with the lines of openwith.ini when the file exists and returns true;
// otherwise (no file, or one that cannot be read) they stay as they were and the answer is
// false, with the reason in error when the file exists but could not be read.
bool LoadOpenWithPrograms(QStringList& programs, QString* error = nullptr);
// Writes every program as a line ended by CR LF; a failure leaves the old file as it was.
FileResult SaveOpenWithPrograms(const QStringList& programs);

// Adds the program, exactly as given (an empty one too), unless the list already holds it;
// true when the list changed.
bool RememberProgram(QStringList& programs, const QString& program);

// The folder of a document's preview file, which is also the program's working folder: the
// folder of the file the caption names when that folder exists, else PrivateTemporaryFolder
// (always so for an untitled document).
QString OpenWithFolder(const QString& caption);
// A folder of this user's own in the temporary folder ("tavro-" and the user's number),
// created when missing, so that nobody else can put a file or a link where a preview is
// written. Where someone else holds that name, a folder of a unique name stands in.
QString PrivateTemporaryFolder();
// The preview file of a document: "~" and the file-name part of the caption in OpenWithFolder,
// with ".txt" added to a name without an extension.
QString PreviewFileName(const QString& caption);

// The executable file that a program names: a path (absolute, or relative to the current
// folder) of an executable file, or a name without a folder found on PATH. Empty, with the
// reason in error, when there is none.
QString ResolveProgram(const QString& program, QString& error);
// Why the preview may not be written at path, or empty when it may: a link there (put by
// someone who wants another file overwritten) is not written through, nor is anything else
// that is not a file; and a preview needs a folder.
QString PreviewPathProblem(const QString& path);
