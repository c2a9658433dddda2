#pragma once

#include "platform/FileAccess.h"

#include <QString>

// Copies the bytes of a file to a new file at target, replacing one that is there. The copy
// is written beside the target under a temporary name and takes the target's name only when
// complete, so a failed copy leaves an existing target as it was. The error names the file
// and the system's reason.
FileResult CopyFileContents(const QString& source, const QString& target);
