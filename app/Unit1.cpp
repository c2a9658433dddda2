// The main window: creation, first showing, closing and the application title.

#include "app/Unit1.h"

#include "app/Recovery.h"
#include "app/Scrlmemo.h"
#include "app/Strset.h"

#include <QPrinter>

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

TForm1* Form1 = nullptr;

namespace
{

const QString AppTitle = QStringLiteral("Tavro");
// Differs from AppTitle, so that the first activation sets AppTitle.
const QString StartupTitle = QStringLiteral("Tavro (starting)");

constexpr int StatusPanelWidth = 100;

} // namespace

bool IsUntitledCaption(const QString& caption)
{
    return caption.left(8) == QLatin1String("Untitled");
}

QString CaptionPath(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QStringList ProgramArguments(int argc, const char* const* argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("--"))
        arguments.removeFirst();
    return arguments;
}

QString FileNamePart(const QString& caption)
{
    return IsUntitledCaption(caption) ? caption : QFileInfo(caption).fileName();
}

// The resources live in the static library: nothing would pull them into the program.
static void initResources()
{
    Q_INIT_RESOURCE(tavro);
}

TForm1::TForm1(Platform& platform, QWidget* parent) : QMainWindow(parent), m_platform(platform)
{
    initResources();
    Form1 = this;
    setObjectName("Form1");
    resize(800, 600);
    createMenus();
    connectMenuOpenings();
    createToolBar();
    createStatusBar();
    createEditingParts();

    MdiArea = new QMdiArea;
    MdiArea->setObjectName("MdiArea");
    MdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(MdiArea, &QMdiArea::subWindowActivated, this, &TForm1::activateDocument);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ToolBar1);
    layout->addWidget(MdiArea, 1);
    setCentralWidget(central);

    m_recovery = new TRecoveryKeeper(this);
    FormCreate();
}

TForm1::~TForm1()
{
    // The document windows die with the area; their handlers must not run on a main
    // window that is half destroyed.
    disconnect(qApp, nullptr, this, nullptr);
    MdiArea->disconnect(this);
    releaseSecondaryWindows();
    // Closed windows waiting to be freed are no longer in the area's list, but are children.
    for (QMdiSubWindow* window : MdiArea->findChildren<QMdiSubWindow*>()) {
        window->disconnect(this);
        MemoOf(window)->disconnect(this);
    }
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::createStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    m_statusPanel = new QLabel(StatusBar1);
    m_statusPanel->setObjectName("StatusPanel");
    m_statusPanel->setFixedWidth(StatusPanelWidth);
    StatusBar1->addWidget(m_statusPanel);
    // Shown while a large file loads.
    m_loadProgress = new QProgressBar(StatusBar1);
    m_loadProgress->setObjectName("LoadProgress");
    m_loadProgress->setRange(0, 100);
    m_loadProgress->setFixedWidth(150);
    m_loadProgress->hide();
    StatusBar1->addWidget(m_loadProgress);
    setStatusBar(StatusBar1);
}

void TForm1::ShowLoadProgress(int percent)
{
    m_loadProgress->setVisible(percent >= 0);
    if (percent >= 0)
        m_loadProgress->setValue(percent);
}

int TForm1::ClientHeight() const
{
    const QMenuBar* menu = menuBar();
    return height() - (menu->isNativeMenuBar() || menu->isHidden() ? 0 : menu->height());
}

int TForm1::ToolbarHeight() const
{
    return ToolBar1->isHidden() ? ToolBar1->sizeHint().height() : ToolBar1->height();
}

QString TForm1::StatusText() const
{
    return m_statusPanel->text();
}

void TForm1::SetStatusText(const QString& text)
{
    m_statusPanel->setText(text);
}

void TForm1::showError(const QString& text)
{
    ++m_errorsShown;
    m_platform.prompts.message(MessageKind::Error, text, MessageButtons::Ok);
}

void TForm1::FormCreate()
{
    SetApplicationTitle(StartupTitle);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive || state == Qt::ApplicationInactive)
                    ToggleApplicationTitle();
            });
    // The family is kept as named even where it does not exist; the editor control draws
    // it with the system's fixed-pitch font.
    DocumentFont =
        FontChoice{QFont(QStringLiteral("Fixedsys"), 8), palette().color(QPalette::Text)};
    setAcceptDrops(true);
    autocomp = new TStrSet(this);
    funcdata = new TStrSet(this);
    tmpset = new TStrSet(this);
    readSettingsFile();
    m_fileWatcher = new QFileSystemWatcher(this);
    connect(m_fileWatcher, &QFileSystemWatcher::fileChanged, this, &TForm1::documentFilesChanged);
    connect(m_fileWatcher, &QFileSystemWatcher::directoryChanged, this,
            &TForm1::documentFilesChanged);
    QClipboard* clipboard = QGuiApplication::clipboard();
    m_clipboardHasText = !clipboard->text().isEmpty();
    connect(clipboard, &QClipboard::dataChanged, this, [this, clipboard] {
        m_clipboardHasText = !clipboard->text().isEmpty();
        UpdateCommandStates();
    });
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    FormShow();
}

void TForm1::FormShow()
{
    CloseConfirmed = false;
    if (m_firstShowDone)
        return;
    m_firstShowDone = true;
    if (OpenNew) {
        New1Click();
    } else {
        EnableDocumentCommands(false);
        setFocus();
    }
    // A large file loads once the window is on screen, where its progress shows.
    if (TScrollMemo::LoadsInBackground(CaptionPath(CommandLineParameters.join(u' '))))
        QTimer::singleShot(0, this, &TForm1::openCommandLineFile);
    else
        openCommandLineFile();
    ApplyToolbarBits();
    offerRecoveredDocuments();
}

// The window system can close the main window while a secondary window keeps it disabled:
// the secondary window is closed first, by the user.
void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_secondaryWindow) {
        event->ignore();
        m_secondaryWindow->raise();
        m_secondaryWindow->activateWindow();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

// Every document window is asked, the active one first; the first refusal stops the close.
bool TForm1::FormCloseQuery()
{
    // Nothing may be appended to a document once it has been asked about.
    const AutoPastePause pause(Timer1);
    const QList<QMdiSubWindow*> windows = DocumentWindows();
    for (QMdiSubWindow* window : windows) {
        if (!DocumentCloseQuery(window))
            return false;
    }
    return true;
}

// The application title stands for the taskbar text, which the desktop takes from the main
// window's own title. (Qt's display name would be added to every title, so it stays unset.)
void TForm1::SetApplicationTitle(const QString& title)
{
    m_applicationTitle = title;
    setWindowTitle(title);
}

void TForm1::ToggleApplicationTitle()
{
    if (m_applicationTitle != AppTitle) {
        SetApplicationTitle(AppTitle);
        return;
    }
    if (QMdiSubWindow* window = ActiveDocumentWindow())
        SetApplicationTitle(FileNamePart(window->windowTitle()));
}
