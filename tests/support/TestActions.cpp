#include "TestActions.h"

#include <QAction>
#include <QTest>
#include <QWidget>

bool triggerAction(QWidget* window, const char* objectName)
{
    auto* action = window->findChild<QAction*>(QString::fromLatin1(objectName));
    if (!action) {
        QTest::qFail(qPrintable(QStringLiteral("No action named %1").arg(objectName)), __FILE__,
                     __LINE__);
        return false;
    }
    if (!action->isEnabled()) {
        QTest::qFail(qPrintable(QStringLiteral("Action %1 is disabled").arg(objectName)), __FILE__,
                     __LINE__);
        return false;
    }
    action->trigger();
    return true;
}
