#include "platform/Shell.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

namespace
{

QString permissionText(QFile::Permissions p)
{
    auto bit = [p](QFile::Permission flag, char c) {
        return p.testFlag(flag) ? QChar(c) : QChar('-');
    };
    return QString() + bit(QFile::ReadOwner, 'r') + bit(QFile::WriteOwner, 'w') +
           bit(QFile::ExeOwner, 'x') + bit(QFile::ReadGroup, 'r') + bit(QFile::WriteGroup, 'w') +
           bit(QFile::ExeGroup, 'x') + bit(QFile::ReadOther, 'r') + bit(QFile::WriteOther, 'w') +
           bit(QFile::ExeOther, 'x');
}

} // namespace

void showOwnPropertiesDialog(const QString& path, QWidget* parent)
{
    const QFileInfo info(path);
    const QLocale locale;
    auto* dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName("PropertiesDialog");
    dialog->setWindowTitle(info.fileName() + " Properties");
    auto* form = new QFormLayout;
    auto addRow = [form](const QString& label, const QString& value) {
        auto* field = new QLabel(value);
        field->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(label, field);
    };
    addRow("Path:", info.absoluteFilePath());
    addRow("Size:",
           locale.formattedDataSize(info.size()) + " (" + locale.toString(info.size()) + " bytes)");
    addRow("Modified:", locale.toString(info.lastModified(), QLocale::LongFormat));
    addRow("Accessed:", locale.toString(info.lastRead(), QLocale::LongFormat));
    addRow("Permissions:", permissionText(info.permissions()));
    addRow("Owner:", info.owner());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    dialog->show();
}
