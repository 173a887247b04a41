#pragma once

#include <QCoreApplication>
#include <functional>

class DebugWindow;
class DeviceComms;
class QWidget;
class UserPrompts;

// The debug console opened by "-debug": a window of its own beside the main window, attached
// to the analyzer's session, saving its log where the user chooses.
class DebugConsoles
{
    Q_DECLARE_TR_FUNCTIONS(DebugConsoles)

public:
    // The prompts of the moment (tests replace them).
    using Prompts = std::function<UserPrompts *()>;

    // Opens a further console.
    static DebugWindow *open(QWidget *window, DeviceComms &comms, const Prompts &prompts);
};
