#pragma once

#include <QPointer>
#include <QWidget>

// Disabling a window or a pane takes the focus from the widget that has it; this gives it
// back, when it goes, to the widget of the window that had it when it was made.
class FocusKeeper
{
public:
    explicit FocusKeeper(const QWidget* window) : m_widget(window ? window->focusWidget() : nullptr)
    {
    }
    ~FocusKeeper()
    {
        if (m_widget && m_widget->isEnabled())
            m_widget->setFocus();
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    QPointer<QWidget> m_widget;
};
