#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QMenu;
class Prompts;
class Shell;

// The File menu's Documents submenu: the recently used files of the desktop whose type
// occurs in the Open dialog's filter.

// "*" followed by the first four characters of the upper-cased extension of the file name,
// dot included: "*.TXT", "*.HTM" for .html, "*" alone for a name without extension.
QString RecentTypePattern(const QString& path);

// True when the file's type pattern occurs in the upper-cased filter text.
bool IsListedRecentDocument(const QString& path, const QString& openFilter);

// Rebuilds the submenu as it opens: every item but the last is deleted and the last one
// (the "No files" item at the first opening) is hidden; then each listed file gets an
// item, in the order of recentFiles, captioned with its full path and with the icon of its
// type, whose command calls onChosen(path). Items of earlier builds, the "No files" item
// included, are deleted by later builds: keep no pointers to them.
void RebuildRecentMenu(QMenu* menu, const QStringList& recentFiles, const QString& openFilter,
                       Shell& shell, const std::function<void(const QString&)>& onChosen);

// The check before a chosen recent file is opened: true when the path names an existing
// file; otherwise the error "Could not find file NAME." is shown and the answer is false.
bool ConfirmRecentFileExists(const QString& path, Prompts& prompts);
