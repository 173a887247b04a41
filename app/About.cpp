#include "About.h"
#include "ui_About.h"

#include "MainWindow.h"

#include <QFileInfo>
#include <QPixmap>
#include <QRegularExpression>
#include <dlfcn.h>
#include <qwt_global.h>
#include <qwt_plot.h>

const QString About::k_qwtWebSite = QStringLiteral("https://qwt.sourceforge.io");
const QString About::k_qtWebSite = QStringLiteral("https://www.qt.io");
const QString About::k_lgplText = QStringLiteral("https://www.gnu.org/licenses/lgpl-3.0.html");

namespace {

QString link(const QString &address)
{
    return QStringLiteral("<a href=\"%1\">%1</a>").arg(address);
}

} // namespace

About::About(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::About>())
{
    ui->setupUi(this);
    ui->lblAppIcon->setPixmap(QPixmap(QStringLiteral(":/QuorvexAppIcon.png"))
                                  .scaled(128, 128, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    ui->lblVersion->setText(tr("Application Version:") + QLatin1Char(' ')
                            + MainWindow::k_appVersion);
    ui->lblQwt->setText(tr("Based on Qwt") + QLatin1Char(' ') + qwtVersion().toHtmlEscaped()
                        + QStringLiteral(" (") + link(k_qwtWebSite) + QLatin1Char(')'));
    ui->lblQt->setText(tr("Based on Qt") + QLatin1Char(' ')
                       + QString::fromLatin1(qVersion()).toHtmlEscaped() + QStringLiteral(" (")
                       + link(k_qtWebSite) + QLatin1Char(')'));
    ui->lblQtLicense->setText(tr("Qt Libraries are distributed under the ")
                              + QStringLiteral("<a href=\"%1\">LGPL v3.0</a>").arg(k_lgplText)
                              + tr(" terms"));
    ui->lblCopyright->setText(tr("Copyright \u00a9 2026 Tavorin. All rights reserved."));
}

About::~About() = default;

QString About::qwtVersion()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void *>(&QwtPlot::staticMetaObject), &info) != 0
        && info.dli_fname) {
        const QString file = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
        const QRegularExpressionMatch version
            = QRegularExpression(QStringLiteral("libqwt[^/]*\\.so\\.(\\d+\\.\\d+\\.\\d+)$"))
                  .match(file);
        if (version.hasMatch())
            return version.captured(1);
    }
    return QStringLiteral(QWT_VERSION_STR);
}
