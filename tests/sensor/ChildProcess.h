#pragma once

#include <QProcess>
#include <csignal>
#include <sys/prctl.h>

// A program a test starts that ends with the test, however the test ends: a test that fails
// or crashes leaves no broker or sensor running behind it.
class ChildProcess : public QProcess
{
protected:
    void setupChildProcess() override { ::prctl(PR_SET_PDEATHSIG, SIGTERM); }
};
