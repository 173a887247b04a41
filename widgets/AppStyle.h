#pragma once

#include <QString>

class QApplication;

// The program's dark look: the style sheet of the resources, with a frame on the tool-bar
// button that has the focus (the sheet marks focused text fields but not buttons, and the
// tool-bar buttons are reached by Tab). The window, the manual's pictures, the benchmarks and
// the tests that judge what the user sees all take it from here.
class AppStyle
{
public:
    // The sheet; empty when the resources lack it.
    static QString sheet();
    // Sets the sheet on the application; false, leaving the platform's look, when it is missing.
    static bool apply(QApplication &app);
};
