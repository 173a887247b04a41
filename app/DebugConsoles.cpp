#include "DebugConsoles.h"

#include "comms/DeviceComms.h"
#include "widgets/DebugWindow.h"
#include "widgets/UserPrompts.h"

#include <QDir>
#include <QUrl>

DebugWindow *DebugConsoles::open(QWidget *window, DeviceComms &comms, const Prompts &prompts)
{
    QStringList ports;
    for (const auto &port : comms.ports())
        ports.append(port.first);
    auto *console = new DebugWindow(window, ports);
    console->setWindowFlags(Qt::Window);
    console->show();
    console->placeBeside(window);
    console->setFileChooser([prompts](QWidget *parent) {
        const QUrl url = prompts()->saveFileUrl(parent, tr("Save Log"),
                                                QDir::homePath() + QStringLiteral("/quorvex.log"),
                                                tr("Log Files:") + QStringLiteral(" *.log *.txt"));
        return url.isLocalFile() ? url.toLocalFile() : QString();
    });
    console->setErrorSink([prompts](QWidget *parent, const QString &text) {
        prompts()->critical(parent, tr("Error"), text);
    });
    console->attachTo(&comms);
    DeviceComms::printPortsInfo();
    return console;
}
