#include "app/DocumentBar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

TDocumentBar::TDocumentBar(const QString& text, const QList<Choice>& choices, QWidget* parent)
    : QFrame(parent)
{
    setObjectName("DocumentBar");
    // The editor's font is the document's; the bar speaks as the rest of the program does.
    setFont(QApplication::font());
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    m_label = new QLabel(text, this);
    m_label->setObjectName("DocumentBarText");
    m_label->setWordWrap(false);
    m_label->setTextFormat(Qt::PlainText);
    layout->addWidget(m_label, 1);
    for (const Choice& choice : choices) {
        auto* button = new QPushButton(choice.caption, this);
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
        // An answer may remove the bar: the control deletes it later, not during the click.
        connect(button, &QPushButton::clicked, this, choice.act);
        layout->addWidget(button);
    }
}

QString TDocumentBar::Text() const
{
    return m_label->text();
}
