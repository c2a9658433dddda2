#include "app/EscapeOnlyInput.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

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
    QApplication::instance()->installEventFilter(this);
}

EscapeOnlyInput::~EscapeOnlyInput()
{
    QApplication::instance()->removeEventFilter(this);
}

// A dialog that opens meanwhile (from a timer) is served as ever: the work may wait for it.
bool EscapeOnlyInput::eventFilter(QObject* watched, QEvent* event)
{
    if (!isUserInput(event->type()))
        return false;
    if (const QWidget* modal = QApplication::activeModalWidget()) {
        const auto* widget = qobject_cast<const QWidget*>(watched);
        if (watched == static_cast<QObject*>(modal->windowHandle()) ||
            (widget && (widget == modal || modal->isAncestorOf(widget))))
            return false;
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        m_onEscape();
    event->ignore();
    return true;
}
