#pragma once

#include <QWidget>

// A window that floats above the main window: Open Files, Overview, Calculator. While the
// main window stays on top they are held hidden, whatever asks to show them.
class TFloatingWindow : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

    void HoldHidden(bool hold);
    bool HeldHidden() const { return m_heldHidden; }
    void setVisible(bool visible) override;

private:
    bool m_heldHidden = false;
};
