#pragma once

#include <QString>

// Prepares the process for a test before the application object exists: the offscreen
// platform unless another is asked for, and private settings, data and runtime folders so that
// tests never read or write the user's settings, nor meet a running instance's local socket.
class TestEnvironment
{
public:
    static void prepare();
    // The private folder the XDG variables point into.
    static QString root();
};
