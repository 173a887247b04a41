#pragma once

#include "RecordingPrompts.h"
#include "app/MainWindow.h"

// The main window with its dialogs answered by RecordingPrompts and, unless a test says
// otherwise, no serial port in sight: the Connect of the start-up then finds no analyzer and
// says so to the prompts instead of opening a real port.
class QuietMainWindow : public MainWindow
{
public:
    explicit QuietMainWindow(const DeviceComms::PortList &ports = {})
        : prompts(new RecordingPrompts)
    {
        setUserPrompts(std::unique_ptr<UserPrompts>(prompts));
        deviceComms()->setPortSource([ports] { return ports; });
    }

    RecordingPrompts *const prompts;
};
