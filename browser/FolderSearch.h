#pragma once

#include "platform/FileAccess.h"

#include <QString>

#include <functional>

// The search of Find in Files: whether one file holds a text.

struct FileSearchResult {
    bool found = false;
    FileResult read; // read.ok false: the file could not be read (reason in read.error)
};

// Whether the file's text contains text, comparing a-z and A-Z alike and every other
// character as it is. The file's text is the one a document opened from it shows (UTF-8
// when the whole file is valid UTF-8 a document can hold as such, else one byte a
// character), its lines joined with each one ended by CR LF; text is compared as given, so
// a line feed not after a CR occurs in no file. An empty text, or one no document can
// show (half of a character pair, U+2029), is found in no file, which is then not read.
// The file is read in blocks, so memory stays bounded whatever its size, and the work is
// linear in the file's size whatever the text. keepGoing is asked between blocks; false
// stops the search with found false.
FileSearchResult FileContainsText(const QString& path, const QString& text,
                                  const std::function<bool()>& keepGoing = {});

// The same, reading blocks of blockSize bytes (the work stays linear for texts shorter than
// a block).
FileSearchResult FileContainsTextInBlocks(const QString& path, const QString& text,
                                          qint64 blockSize,
                                          const std::function<bool()>& keepGoing = {});
