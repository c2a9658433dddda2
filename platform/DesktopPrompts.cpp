#include "platform/Prompts.h"

#include "platform/FontDialog.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>

QStringList qtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        // Here "*.*" would leave out every name without a dot.
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        result << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return result;
}

namespace
{

QMessageBox::Icon iconFor(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    case MessageKind::Plain:
        return QMessageBox::NoIcon;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsFor(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

FileDialogResult runFileDialog(QWidget* parent, const FileDialogRequest& request,
                               QFileDialog::AcceptMode mode, QFileDialog::FileMode fileMode)
{
    QFileDialog dialog(parent, request.title, request.folder);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    SetUpFileDialog(dialog, request);
    FileDialogResult result;
    if (dialog.exec() == QDialog::Accepted) {
        result.files = dialog.selectedFiles();
        result.filterIndex = int(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
    }
    return result;
}

} // namespace

void SetUpFileDialog(QFileDialog& dialog, const FileDialogRequest& request)
{
    // The descriptions are shown as they are written, without the patterns added to them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    const QStringList filters = qtNameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    // Opening takes a name as typed: here many files have no extension (README, Makefile),
    // and one added to them would name a file that does not exist.
    if (dialog.acceptMode() == QFileDialog::AcceptSave)
        dialog.setDefaultSuffix(request.defaultSuffix);
}

Answer DesktopPrompts::message(MessageKind kind, const QString& text, MessageButtons buttons)
{
    QMessageBox box(iconFor(kind), QStringLiteral("Tavro"), QString(text).replace('\r', '\n'),
                    buttonsFor(buttons), m_parent);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return buttons == MessageButtons::YesNoCancel ? Answer::Cancel : Answer::Ok;
    }
}

FileDialogResult DesktopPrompts::openFiles(const FileDialogRequest& request, bool multiple)
{
    return runFileDialog(m_parent, request, QFileDialog::AcceptOpen,
                         multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
}

FileDialogResult DesktopPrompts::saveFile(const FileDialogRequest& request)
{
    return runFileDialog(m_parent, request, QFileDialog::AcceptSave, QFileDialog::AnyFile);
}

QString DesktopPrompts::chooseFolder(const QString& title, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(m_parent, title, startFolder);
}

bool DesktopPrompts::chooseFont(FontChoice& choice, int minSize, int maxSize)
{
    FontDialog dialog(choice, minSize, maxSize, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = dialog.Choice();
    return true;
}

bool DesktopPrompts::inputBox(const QString& caption, const QString& prompt, QString& value)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok)
        value = answer;
    return ok;
}

bool DesktopPrompts::pageSetup(QPrinter& printer)
{
    QPageSetupDialog dialog(&printer, m_parent);
    return dialog.exec() == QDialog::Accepted;
}
