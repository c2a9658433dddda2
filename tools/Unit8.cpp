// The Open With dialog.

#include "tools/Unit8.h"

#include "app/ScreenFit.h"
#include "app/Scrlmemo.h"
#include "app/Unit1.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "prefs/PageParts.h"
#include "tools/OpenWith.h"

#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QGridLayout>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>

TForm8* Form8 = nullptr;

namespace
{

constexpr QSize ClientSize(337, 96);
constexpr QPoint PlaceOffset(172, 61);
// Programs have no extension here: the Browse dialog shows every file.
const QString ProgramFilter = QStringLiteral("Program files|*.*");
const QString ProgramFolder = QStringLiteral("/usr/bin");

} // namespace

TForm8::TForm8(TForm1& mainWindow, Platform& platform)
    : QDialog(&mainWindow), m_main(mainWindow), m_platform(platform)
{
    Form8 = this;
    setObjectName("Form8");
    setWindowTitle(tr("Open With"));
    MakeSecondaryDialog(this);
    createControls();
    createLayout();
    // Not resizable; larger only where the fonts of this desktop need more room.
    setFixedSize(ClientSize.expandedTo(minimumSizeHint()));

    // Close, Esc and the close box all end here.
    connect(this, &QDialog::finished, this, &TForm8::FormClose);
    FormCreate();
}

TForm8::~TForm8()
{
    if (Form8 == this)
        Form8 = nullptr;
}

// Created in their tab order.
void TForm8::createControls()
{
    ComboBox1 = Named(new QComboBox(this), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setAccessibleName(tr("Program"));
    // Only Open adds to the list; program names differ by case here.
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->completer()->setCaseSensitivity(Qt::CaseSensitive);
    // A long path in the list must not widen the dialog.
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox1->setMinimumContentsLength(10);
    Button1 = Named(new QPushButton(tr("&Browse..."), this), "Button1");
    RadioButton1 = Named(new QRadioButton(tr("Create and use preview file"), this), "RadioButton1");
    RadioButton1->setChecked(true);
    RadioButton2 = Named(new QRadioButton(tr("Save and use original"), this), "RadioButton2");
    Button2 = Named(new QPushButton(tr("&Open"), this), "Button2");
    Button2->setDefault(true);
    Button3 = Named(new QPushButton(tr("&Close"), this), "Button3");

    const QList<QWidget*> tabOrder{ComboBox1,    Button1, RadioButton1,
                                   RadioButton2, Button2, Button3};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm8::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm8::Button3Click);
}

// The program and Browse above, the modes at the left and Open and Close at the right below.
void TForm8::createLayout()
{
    auto* grid = new QGridLayout(this);
    grid->addWidget(ComboBox1, 0, 0);
    grid->addWidget(Button1, 0, 1);
    grid->addWidget(RadioButton1, 1, 0);
    grid->addWidget(Button2, 1, 1);
    grid->addWidget(RadioButton2, 2, 0);
    grid->addWidget(Button3, 2, 1);
    grid->setColumnStretch(0, 1);
}

void TForm8::FormCreate()
{
    PlaceOverMiddle(this, m_main, PlaceOffset);
}

QStringList TForm8::programs() const
{
    QStringList list;
    for (int i = 0; i < ComboBox1->count(); ++i)
        list << ComboBox1->itemText(i);
    return list;
}

// The program box keeps its text whatever the list becomes.
void TForm8::setPrograms(const QStringList& programs)
{
    const QString text = ComboBox1->currentText();
    ComboBox1->clear();
    ComboBox1->addItems(programs);
    ComboBox1->setCurrentIndex(ComboBox1->findText(text));
    ComboBox1->setEditText(text);
}

// Without openwith.ini the list stays as it was.
void TForm8::FormShow()
{
    m_keepFile = false;
    QStringList list;
    QString error;
    if (LoadOpenWithPrograms(list, &error)) {
        setPrograms(list);
    } else if (!error.isEmpty()) {
        m_keepFile = true;
        m_main.showError(QStringLiteral("Could not read file ") + OpenWithFilePath() +
                         QStringLiteral(".\r") + error);
    }
}

void TForm8::Button1Click()
{
    FileDialogRequest request;
    request.title = tr("Browse");
    request.filter = ProgramFilter;
    request.folder = ProgramFolder;
    const FileDialogResult chosen = m_platform.prompts.openFiles(request, false);
    if (chosen.accepted())
        ComboBox1->setEditText(QFileInfo(chosen.files.first()).absoluteFilePath());
    // The file dialog gives the focus back to the main window, which is disabled meanwhile.
    activateWindow();
}

// The program joins the list even without a document. The dialog stays open.
void TForm8::Button2Click()
{
    const QString program = ComboBox1->currentText();
    QStringList list = programs();
    if (RememberProgram(list, program)) {
        setPrograms(list);
        m_keepFile = false;
    }
    QMdiSubWindow* window = m_main.ActiveDocumentWindow();
    if (!window)
        return;
    const QString folder = OpenWithFolder(window->windowTitle());
    if (RadioButton1->isChecked())
        writePreview(window);
    else
        SaveForOpenWith(window);
    // After a failed write an older file of that name is still handed over; an untitled
    // document whose saving was cancelled has no file.
    if (DocumentFileExists(PreviewTarget))
        startProgram(program, folder);
    // A message box gives the focus back to the main window, which is disabled meanwhile.
    activateWindow();
}

// The text as the editor holds it, in the document's encoding and line breaks; the document
// itself stays as it was, modified or not.
void TForm8::writePreview(QMdiSubWindow* window)
{
    const QString preview = PreviewFileName(window->windowTitle());
    // Nothing is handed over through a link or without a folder; after a failed write an
    // older preview of that name is.
    const QString problem = PreviewPathProblem(preview);
    PreviewTarget = problem.isEmpty() ? preview : QString();
    const FileResult written =
        problem.isEmpty()
            ? TForm1::MemoOf(window)->SaveLinesToFile(preview, SafeFileWriter::Target::NameOnly)
            : FileResult::failure(problem);
    if (!written.ok)
        m_main.showError(QStringLiteral("Could not save to file ") + preview +
                         QStringLiteral(".\rThe file might be in use.\r") + written.error);
}

// Saves the document as Save does (Save As for an untitled one): a save that fails or is
// cancelled leaves it modified, and a cancelled one leaves it untitled.
void TForm8::SaveForOpenWith(QMdiSubWindow* window)
{
    m_main.SaveDocument(window);
    PreviewTarget = window->windowTitle();
}

// The file is one argument, whatever blanks or quotes it holds; no shell sees it.
void TForm8::startProgram(const QString& program, const QString& workingFolder)
{
    QString error;
    const QString executable = ResolveProgram(program, error);
    if (executable.isEmpty() ||
        !m_platform.shell.startProgram(executable, PreviewTarget, workingFolder, error))
        m_main.showInformation(QStringLiteral("Could not start ") + program + u'.' + u'\r' + error);
}

void TForm8::Button3Click()
{
    close();
}

// Re-enabling the other windows and giving back Stay on Top are the main window's part of
// the closing (TForm1::ShowSecondaryWindow).
void TForm8::FormClose()
{
    if (!m_keepFile) {
        if (const FileResult saved = SaveOpenWithPrograms(programs()); !saved.ok)
            m_main.showError(QStringLiteral("Cannot create file ") + OpenWithFilePath() + u'\r' +
                             saved.error);
    }
    m_main.activateWindow();
}
