#include "app/EscapeOnlyInput.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace
{

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

EscapeOnlyInput::EscapeOnlyInput(std::function<void()> onEscape) : m_onEscape(std::move(onEscape))
{
    QCoreApplication::instance()->installEventFilter(this);
}

EscapeOnlyInput::~EscapeOnlyInput()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool EscapeOnlyInput::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        m_onEscape();
    if (!isUserInput(event->type()))
        return false;
    event->ignore();
    return true;
}
