#include "prefs/FilterPage.h"

#include "platform/Prompts.h"
#include "prefs/Filters.h"
#include "prefs/PageParts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

const QString InvalidFilterMessage =
    QStringLiteral("A filter description and a file extension cannot contain the following\r"
                   "characters: |,[ and ]. The file extension must contain a . (e.g. *.txt).\r"
                   "\r"
                   "Both must also be specified.");

} // namespace

TFilterPage::TFilterPage(const FilterPageNames& names, Prompts& prompts, QWidget* parent)
    : QWidget(parent), m_prompts(prompts)
{
    setObjectName(QString::fromLatin1(names.page));
    // Created in their tab order.
    auto* descriptionLabel = Named(new QLabel(tr("&Description:"), this), names.descriptionLabel);
    Description = Named(new QLineEdit(this), names.description);
    auto* patternLabel = Named(new QLabel(tr("File e&xtension:"), this), names.patternLabel);
    Pattern = Named(new QLineEdit(this), names.pattern);
    List = Named(new QListWidget(this), names.list);
    AddButton = Named(new QPushButton(tr("&Add"), this), names.add);
    RemoveButton = Named(new QPushButton(tr("&Remove"), this), names.remove);
    UpButton = ArrowButton(Qt::UpArrow, names.up, this);
    DownButton = ArrowButton(Qt::DownArrow, names.down, this);
    descriptionLabel->setBuddy(Description);
    patternLabel->setBuddy(Pattern);
    List->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* arrows = new QHBoxLayout;
    arrows->addWidget(UpButton);
    arrows->addWidget(DownButton);
    arrows->addStretch();
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(AddButton);
    buttons->addWidget(RemoveButton);
    buttons->addLayout(arrows);
    buttons->addStretch();

    auto* layout = new QGridLayout(this);
    layout->addWidget(descriptionLabel, 0, 0);
    layout->addWidget(Description, 0, 1, 1, 2);
    layout->addWidget(patternLabel, 1, 0);
    layout->addWidget(Pattern, 1, 1, 1, 2);
    layout->addWidget(List, 2, 0, 1, 2);
    layout->addLayout(buttons, 2, 2);
    layout->setColumnStretch(1, 1);
}

void TFilterPage::Fill(const QString& filter)
{
    List->clear();
    List->addItems(FilterEntries(filter));
}

QString TFilterPage::Filter() const
{
    QStringList entries;
    for (int i = 0; i < List->count(); ++i)
        entries << List->item(i)->text();
    return FilterString(entries);
}

void TFilterPage::Clear()
{
    List->clear();
}

void TFilterPage::Add()
{
    const QString description = Description->text();
    if (!IsValidFilter(description, Pattern->text())) {
        m_prompts.message(MessageKind::Information, InvalidFilterMessage, MessageButtons::Ok);
        return;
    }
    Pattern->setText(CompletedPattern(Pattern->text()));
    List->addItem(FilterEntry(description, Pattern->text()));
    if (m_partner) {
        m_partner->Description->setText(description);
        m_partner->Pattern->setText(Pattern->text());
    }
}

void TFilterPage::Remove()
{
    RemoveSelectedRow(List);
}

void TFilterPage::ListClick()
{
    if (const int row = SelectedRow(List); row >= 0)
        RemoveButton->setEnabled(List->item(row)->text() != AllFilesEntry);
}

void TFilterPage::MoveUp()
{
    MoveSelectedRow(List, -1);
}

void TFilterPage::MoveDown()
{
    MoveSelectedRow(List, 1);
}
