#include "PortAccess.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

QString PortAccess::permissionProblem(const QString &portName)
{
    if (portName.isEmpty())
        return QString();
    const QString path
        = portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
    // The effective identity is the one open() is checked against.
    if (::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), R_OK | W_OK, AT_EACCESS) == 0
        || errno != EACCES)
        return QString();

    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QFileInfo port(canonical.isEmpty() ? path : canonical);
    const QString systemText = QString::fromLocal8Bit(std::strerror(EACCES));
    QString text = QCoreApplication::translate("PortAccess",
                                               "Cannot open the analyzer's port %1: %2.\n\n"
                                               "Install the Quorvex package: its udev rule "
                                               "(70-quorvex.rules) gives the analyzer's port to "
                                               "the user logged in at the computer. Then unplug "
                                               "the analyzer and plug it in again.")
                       .arg(path, systemText);
    // Joining the port's group only helps when the group may read and write it.
    const QString group = port.group();
    if (!group.isEmpty() && port.permission(QFile::ReadGroup)
        && port.permission(QFile::WriteGroup)) {
        const passwd *user = ::getpwuid(::geteuid());
        const QString userName
            = user ? QString::fromLocal8Bit(user->pw_name) : QStringLiteral("$USER");
        text += QLatin1Char('\n')
            + QCoreApplication::translate("PortAccess",
                                          "Or join the group that owns the port, \"%1\" (as "
                                          "root: adduser %2 %1), and log in again.")
                  .arg(group, userName);
    }
    return text;
}
