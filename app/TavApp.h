#pragma once

#include <QApplication>

class QFile;

// The application object. Turns the desktop's requests to open a file into a signal.
class TavApp : public QApplication
{
    Q_OBJECT

public:
    TavApp(int &argc, char **argv);

Q_SIGNALS:
    void fileOpenRequested(QFile &file);

protected:
    bool event(QEvent *event) override;
};
