#include "tools/Unit14.h"

#include "app/ScreenFit.h"
#include "app/Strset.h"
#include "app/Unit1.h"
#include "platform/Shell.h"
#include "prefs/PageParts.h"
#include "tools/Favourites.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

TForm14* Form14 = nullptr;

namespace
{

constexpr QSize ClientSize(289, 320);

} // namespace

TForm14::TForm14(TForm1& mainWindow, Prompts& prompts)
    : QDialog(&mainWindow), m_main(mainWindow), m_prompts(prompts)
{
    Form14 = this;
    setObjectName("Form14");
    setWindowTitle(tr("Favourites"));
    MakeSecondaryDialog(this);
    favs = new TStrSet(this);
    m_fileRequest.title = tr("Select file");
    createControls();
    createLayout();
    // Not resizable; larger only where the fonts of this desktop need more room.
    setFixedSize(ClientSize.expandedTo(minimumSizeHint()));

    // Close, Esc and the close box all end here.
    connect(this, &QDialog::finished, this, &TForm14::FormClose);
}

TForm14::~TForm14()
{
    if (Form14 == this)
        Form14 = nullptr;
}

// Created in their tab order.
void TForm14::createControls()
{
    GroupBox1 = Named(new QGroupBox(tr("Add"), this), "GroupBox1");
    Edit1 = Named(new QLineEdit(GroupBox1), "Edit1");
    Edit2 = Named(new QLineEdit(GroupBox1), "Edit2");
    Button1 = Named(new QPushButton(tr("Add"), GroupBox1), "Button1");
    Button1->setDefault(true); // Enter in a field adds the entry
    isfolder = Named(new QRadioButton(tr("&Directory"), GroupBox1), "isfolder");
    isfolder->setChecked(true);
    isfile = Named(new QRadioButton(tr("&File"), GroupBox1), "isfile");
    SpeedButton1 = Named(new QToolButton(GroupBox1), "SpeedButton1");
    SpeedButton1->setIcon(QIcon::fromTheme(QStringLiteral("folder-open"), iconForFolder()));
    SpeedButton1->setToolTip(tr("Browse"));
    SpeedButton1->setAccessibleName(tr("Browse"));

    GroupBox2 = Named(new QGroupBox(tr("Organize"), this), "GroupBox2");
    ListBox1 = EntryList("ListBox1", GroupBox2);
    SpeedButton2 = ArrowButton(Qt::UpArrow, "SpeedButton2", GroupBox2);
    SpeedButton3 = ArrowButton(Qt::DownArrow, "SpeedButton3", GroupBox2);
    Button2 = Named(new QPushButton(tr("Remove"), GroupBox2), "Button2");
    Button3 = Named(new QPushButton(tr("Close"), this), "Button3");

    const QList<QWidget*> tabOrder{Edit1,        Edit2,        Button1,  isfolder,
                                   isfile,       SpeedButton1, ListBox1, SpeedButton2,
                                   SpeedButton3, Button2,      Button3};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(SpeedButton1, &QToolButton::clicked, this, &TForm14::SpeedButton1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm14::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm14::Button2Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm14::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm14::SpeedButton3Click);
    connect(Button3, &QPushButton::clicked, this, &TForm14::Button3Click);
}

void TForm14::createLayout()
{
    auto* pathLabel = Named(new QLabel(tr("&Path:"), GroupBox1), "Label1");
    pathLabel->setBuddy(Edit1);
    auto* descriptionLabel = Named(new QLabel(tr("D&escription: "), GroupBox1), "Label2");
    descriptionLabel->setBuddy(Edit2);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(isfolder);
    kinds->addWidget(isfile);
    kinds->addStretch();
    kinds->addWidget(Button1);
    auto* add = new QGridLayout(GroupBox1);
    add->addWidget(pathLabel, 0, 0);
    add->addWidget(Edit1, 0, 1);
    add->addWidget(SpeedButton1, 0, 2);
    add->addWidget(descriptionLabel, 1, 0);
    add->addWidget(Edit2, 1, 1, 1, 2);
    add->addLayout(kinds, 2, 0, 1, 3);

    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(SpeedButton2);
    listButtons->addWidget(SpeedButton3);
    listButtons->addStretch();
    listButtons->addWidget(Button2);
    auto* organize = new QVBoxLayout(GroupBox2);
    organize->addWidget(ListBox1, 1);
    organize->addLayout(listButtons);

    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(Button3);
    auto* window = new QVBoxLayout(this);
    window->addWidget(GroupBox1);
    window->addWidget(GroupBox2, 1);
    window->addLayout(closeRow);
}

void TForm14::FormShow()
{
    PlaceOverMiddle(this, m_main, QPoint(width() / 2, height() / 2));
    ListBox1->clear();
    favs->Strings().clear();
    m_keepFile = false;
    QString error;
    if (!LoadFavourites(*favs, &error) && !error.isEmpty()) {
        m_keepFile = true;
        m_prompts.message(MessageKind::Error,
                          QStringLiteral("Could not read file ") + FavouritesFilePath() +
                              QStringLiteral(".\r") + error,
                          MessageButtons::Ok);
    }
    for (const QString& line : favs->Strings())
        ListBox1->addItem(SplitFavourite(line).description);
}

void TForm14::SpeedButton1Click()
{
    if (isfolder->isChecked()) {
        const QString folder = m_prompts.chooseFolder(tr("Select directory:"), Edit1->text());
        if (!folder.isEmpty())
            Edit1->setText(folder);
        return;
    }
    const FileDialogRequest openDialog = m_main.OpenDialogFilter();
    m_fileRequest.filter = openDialog.filter;
    m_fileRequest.filterIndex = openDialog.filterIndex;
    const FileDialogResult chosen = m_prompts.openFiles(m_fileRequest, false);
    if (!chosen.accepted())
        return;
    const QString file = QFileInfo(chosen.files.first()).absoluteFilePath();
    m_fileRequest.folder = QFileInfo(file).absolutePath();
    Edit1->setText(file);
}

// Nothing is checked: empty fields, duplicates and paths that do not exist are all taken.
void TForm14::Button1Click()
{
    favs->Strings() << JoinFavourite(Edit2->text(), Edit1->text());
    ListBox1->addItem(Edit2->text());
    Edit1->clear();
    Edit2->clear();
    m_keepFile = false;
}

void TForm14::Button2Click()
{
    if (const int row = RemoveSelectedRow(ListBox1); row >= 0) {
        favs->Strings().removeAt(row);
        m_keepFile = false;
    }
}

void TForm14::SpeedButton2Click()
{
    MoveSelectedEntry(ListBox1, favs->Strings(), -1);
}

void TForm14::SpeedButton3Click()
{
    MoveSelectedEntry(ListBox1, favs->Strings(), 1);
}

// A list that could not be written stays open as it is, so nothing the user entered is lost.
void TForm14::Button3Click()
{
    if (!m_keepFile) {
        const QString path = FavouritesFilePath(true);
        if (const FileResult saved = favs->SaveToFile(path); !saved.ok) {
            m_prompts.message(MessageKind::Error,
                              QStringLiteral("Cannot create file ") + path + u'\r' + saved.error,
                              MessageButtons::Ok);
            return;
        }
    }
    close();
}

// Re-enabling the other windows and giving back Stay on Top are the main window's part of
// the closing (TForm1::ShowSecondaryWindow).
void TForm14::FormClose()
{
    m_main.activateWindow();
}
