#pragma once

class QWidget;

// Invokes the action with this object name in the window, as a menu click does. A missing
// or disabled action fails the running test and returns false.
bool triggerAction(QWidget* window, const char* objectName);

// In a test function: trigger the action, or end the test when that failed.
#define TRIGGER_ACTION(window, objectName)                                                         \
    do {                                                                                           \
        if (!triggerAction(window, objectName))                                                    \
            return;                                                                                \
    } while (false)
