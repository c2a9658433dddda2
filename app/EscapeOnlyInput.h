#pragma once

#include <QObject>

#include <functional>

// While it lives, the program serves painting and timers but drops the user's input, except
// Esc, which calls onEscape; no window closes meanwhile. For long work that lets events in
// now and then and can be stopped.
class EscapeOnlyInput final : public QObject
{
public:
    explicit EscapeOnlyInput(std::function<void()> onEscape);
    ~EscapeOnlyInput() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_onEscape;
};
