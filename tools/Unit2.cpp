#include "tools/Unit2.h"

#include "app/ScreenFit.h"
#include "app/Unit1.h"
#include "platform/Shell.h"
#include "prefs/PageParts.h"
#include "tools/JpegImage.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResource>
#include <QShowEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QVBoxLayout>

TForm2* Form2 = nullptr;

namespace
{

constexpr QSize ClientSize(345, 188);
constexpr QPoint VersionPlace(104, 24);
constexpr QRect NoticePlace(104, 48, 233, 69);
constexpr QPoint DownloadLinkPlace(104, 128);
constexpr QPoint MailLinkPlace(104, 146);
constexpr QRect OkPlace(262, 155, 75, 25);
// Room for the focus frame around a link's text, which stays where it would be without it.
constexpr int LinkMargin = 2;
constexpr int Spacing = 8;

const QString PictureResource = QStringLiteral(":/about.jpg");
const QString Notice = QStringLiteral("Copyright \u00a9 2019-2026\n"
                                      "All rights reserved.\n"
                                      "\n"
                                      "Tavro is freeware.");
const QString MailSubject = QStringLiteral("Tavro 2.1");

// A colour of the text that stays when the widget is disabled.
void keepColourWhenDisabled(QPalette& palette, QPalette::ColorRole role)
{
    palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
}

} // namespace

QString DownloadPageAddress()
{
    return QStringLiteral(TAVRO_DOWNLOAD_URL);
}

QString BugMailbox()
{
    return QStringLiteral(TAVRO_BUG_MAILBOX);
}

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(34, 57, 221));
    setPalette(colours);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setMargin(LinkMargin);
    adjustSize();
}

void TLinkLabel::mousePressEvent(QMouseEvent* event)
{
    event->setAccepted(event->button() == Qt::LeftButton);
}

// As with a button, the click counts where the mouse button is let go over the text.
void TLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    Q_EMIT clicked();
}

void TLinkLabel::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Q_EMIT clicked();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void TLinkLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect frame;
    frame.initFrom(this);
    frame.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
}

TForm2::TForm2(TForm1& mainWindow, Shell& shell)
    : QDialog(&mainWindow), m_main(mainWindow), m_shell(shell)
{
    Form2 = this;
    setObjectName("Form2");
    setWindowTitle(QStringLiteral("About Tavro"));
    MakeSecondaryDialog(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    createPicture();
    createTexts();
    createLinksAndButton();
    // Not resizable; larger only where the fonts of this desktop push OK further out.
    const QRect ok = Button1->geometry();
    setFixedSize(
        ClientSize.expandedTo(QSize(ok.right(), ok.bottom()) + QSize(Spacing + 1, Spacing + 1)));

    // OK, Esc and the close box all end here.
    connect(this, &QDialog::finished, this, &TForm2::FormClose);
}

TForm2::~TForm2()
{
    if (Form2 == this)
        Form2 = nullptr;
}

// The picture comes with the program; should it not decode, the window goes without it.
void TForm2::createPicture()
{
    Image1 = Named(new QLabel(this), "Image1");
    QString error;
    const QImage picture = DecodeJpeg(QResource(PictureResource).uncompressedData(), &error);
    if (picture.isNull())
        qWarning("The About picture cannot be shown: %s", qPrintable(error));
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->move(0, 0);
    Image1->adjustSize();
}

// The texts stand over the picture's white right edge.
void TForm2::createTexts()
{
    Label3 = Named(new QLabel(QStringLiteral("Tavro 2.1a"), this), "Label3");
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    Label3->move(VersionPlace);
    Label3->adjustSize();

    Panel1 = Named(new QWidget(this), "Panel1");
    Panel1->setGeometry(NoticePlace);
    Panel1->setEnabled(false);
    Memo1 = Named(new QPlainTextEdit(Notice, Panel1), "Memo1");
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::NoTextInteraction);
    Memo1->setFocusPolicy(Qt::NoFocus);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->document()->setDocumentMargin(0); // the text lines up with the labels
    QPalette notice = Memo1->palette();
    notice.setColor(QPalette::Base, Qt::white);
    keepColourWhenDisabled(notice, QPalette::Base);
    keepColourWhenDisabled(notice, QPalette::Text);
    Memo1->setPalette(notice);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(Memo1);
}

void TForm2::createLinksAndButton()
{
    const QPoint focusRoom(LinkMargin, LinkMargin);
    Label1 = Named(new TLinkLabel(QStringLiteral("Go to download page >>"), this), "Label1");
    Label1->move(DownloadLinkPlace - focusRoom);
    Label2 = Named(new TLinkLabel(QStringLiteral("Comment or report a bug >>"), this), "Label2");
    Label2->move(MailLinkPlace - focusRoom);

    Button1 = Named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    Button1->setDefault(true);
    const int linksRight = qMax(Label1->geometry().right(), Label2->geometry().right());
    Button1->setGeometry(QRect(QPoint(qMax(OkPlace.left(), linksRight + Spacing), OkPlace.top()),
                               OkPlace.size().expandedTo(Button1->sizeHint())));

    setTabOrder(Label1, Label2);
    setTabOrder(Label2, Button1);
    connect(Label1, &TLinkLabel::clicked, this, &TForm2::Label1Click);
    connect(Label2, &TLinkLabel::clicked, this, &TForm2::Label2Click);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    move(PlaceOnScreens(std::nullopt, frameGeometry().size()));
    Button1->setFocus();
}

// What the desktop does with the addresses is not examined: without a browser or mail
// program nothing happens.
void TForm2::Label1Click()
{
    m_shell.openWithDefault(DownloadPageAddress());
}

void TForm2::Label2Click()
{
    m_shell.openWithDefault(QStringLiteral("mailto:") + BugMailbox() + QStringLiteral("?subject=") +
                            MailSubject);
}

void TForm2::Button1Click()
{
    close();
}

// Re-enabling the main window is its own part of the closing (TForm1::ShowSecondaryWindow).
void TForm2::FormClose()
{
    m_main.activateWindow();
}
