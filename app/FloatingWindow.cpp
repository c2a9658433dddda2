#include "app/FloatingWindow.h"

void TFloatingWindow::HoldHidden(bool hold)
{
    m_heldHidden = hold;
    if (hold)
        hide();
}

void TFloatingWindow::setVisible(bool visible)
{
    if (visible && m_heldHidden)
        return;
    QWidget::setVisible(visible);
}
