#include "VenueSources.h"

#include "AppLog.h"
#include "PasswordStore.h"
#include "VenueDialog.h"
#include "pages/PageActions.h"
#include "pages/PageTimeBar.h"
#include "pages/TabPage2400.h"
#include "pages/TabPage900.h"
#include "venue/SensorTableModel.h"
#include "venue/VenueClient.h"

#include <QAction>
#include <QDateTime>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

VenueSources::VenueSources(QMainWindow *window, Hooks hooks)
    : QObject(window)
    , m_window(window)
    , m_hooks(std::move(hooks))
    , m_client(new VenueClient(this))
    , m_model(new SensorTableModel(this))
    , m_passwords(new PasswordStore(this))
{
    m_dock = new QDockWidget(tr("Sensors"), window);
    m_dock->setObjectName(QStringLiteral("dockSensors"));
    auto *contents = new QWidget(m_dock);
    auto *layout = new QVBoxLayout(contents);
    layout->setContentsMargins(2, 2, 2, 2);
    m_problem = new QLabel(contents);
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #ff8c42;"));
    m_problem->hide();
    m_table = new QTableView(contents);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setToolTip(tr("Double-click a sensor to bring its page to the front"));
    auto *bandRow = m_bandRow = new QHBoxLayout;
    bandRow->addWidget(new QLabel(tr("Every sensor to:"), contents));
    m_all2400 = new QPushButton(tr("2.4 GHz"), contents);
    m_all900 = new QPushButton(tr("900 MHz"), contents);
    for (QPushButton *button : {m_all2400, m_all900}) {
        button->setToolTip(tr("Switch every sensor on the broker to this band"));
        bandRow->addWidget(button);
    }
    bandRow->addStretch(1);
    connect(m_all2400, &QPushButton::clicked, this, [this] { switchAll(2400); });
    connect(m_all900, &QPushButton::clicked, this, [this] { switchAll(900); });
    layout->addLayout(bandRow);
    layout->addWidget(m_problem);
    layout->addWidget(m_table);
    m_dock->setWidget(contents);
    window->addDockWidget(Qt::BottomDockWidgetArea, m_dock);
    m_dock->hide();
    connect(m_table, &QTableView::doubleClicked, this,
            [this](const QModelIndex &index) { bringToFront(index.row()); });

    m_venueAction = new QAction(tr("Venue..."), this);
    m_venueAction->setToolTip(tr("Connect to the broker of the venue's sensors"));
    connect(m_venueAction, &QAction::triggered, this, &VenueSources::showDialog);

    connect(m_client, &VenueClient::sensorUpdated, this, &VenueSources::onSensorUpdated);
    connect(m_client, &VenueClient::sweepsReady, this, &VenueSources::onSweeps);
    connect(m_client, &VenueClient::connectionChanged, this,
            [this](bool, const QString &text) { m_hooks.status(text); });
    connect(m_client, &VenueClient::problem, this, [this](const QString &text) {
        m_problem->setText(text);
        m_problem->show();
        m_hooks.status(text);
    });
}

VenueSources::~VenueSources() = default;

void VenueSources::addDockButton(QAction *action)
{
    auto *button = new QToolButton(m_dock->widget());
    button->setDefaultAction(action);
    // Apart from the band buttons, before the stretch that ends the row.
    m_bandRow->insertSpacing(m_bandRow->count() - 1, 24);
    m_bandRow->insertWidget(m_bandRow->count() - 1, button);
}

void VenueSources::setPasswordStore(PasswordStore *store)
{
    if (m_passwords && m_passwords->parent() == this)
        m_passwords->deleteLater();
    m_passwords = store;
}

void VenueSources::connectToUrl(const QString &url)
{
    m_dock->show();
    VenueSettings settings = VenueSettings::load();
    if (settings.url != url || settings.user.isEmpty()) {
        if (settings.url != url) {
            settings = VenueSettings();
            settings.url = url;
        }
        connectTo(settings, QString());
        return;
    }
    QPointer<VenueSources> self(this);
    m_passwords->read(settings.passwordKey(),
                      [self, settings](const QString &password, const QString &error) {
                          if (!self)
                              return;
                          if (!error.isEmpty())
                              qCWarning(lcApp).noquote() << "Venue password not read:" << error;
                          self->connectTo(settings, password);
                      });
}

void VenueSources::connectTo(const VenueSettings &settings, const QString &password)
{
    BrokerSettings broker;
    QString error;
    m_dock->show();
    if (!settings.toBroker(password, &broker, &error)) {
        const QString text = tr("Cannot connect to the venue: %1").arg(error);
        m_problem->setText(text);
        m_problem->show();
        m_hooks.status(text);
        return;
    }
    m_problem->hide();
    m_client->setReplayMinutes(settings.replayMinutes);
    m_client->connectTo(broker);
}

void VenueSources::showDialog()
{
    auto *dialog = new VenueDialog(VenueSettings::load(), m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const VenueSettings settings = dialog->settings();
        const QString password = dialog->password();
        settings.save();
        if (!settings.user.isEmpty()) {
            m_passwords->write(settings.passwordKey(), password, [](const QString &error) {
                if (!error.isEmpty())
                    qCWarning(lcApp).noquote() << "Venue password not kept:" << error;
            });
        }
        connectTo(settings, password);
    });
    dialog->open();
}

TabPage *VenueSources::pageOf(const QString &sensorId, int band) const
{
    return m_pages.value({sensorId, band}).data();
}

QList<TabPage *> VenueSources::pages() const
{
    QList<TabPage *> result;
    for (const QPointer<TabPage> &page : m_pages) {
        if (page)
            result.append(page);
    }
    return result;
}

QList<QPair<QString, TabPage *>> VenueSources::pagesOfBand(int band) const
{
    QList<QPair<QString, TabPage *>> result;
    for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
        if (it.key().second == band && it.value())
            result.append({m_names.value(it.key()), it.value().data()});
    }
    return result;
}

QString VenueSources::lastProblem() const
{
    return m_problem->isHidden() ? QString() : m_problem->text();
}

TabPage *VenueSources::ensurePage(const QString &sensorId, int band)
{
    if (TabPage *page = pageOf(sensorId, band))
        return page;
    if (band != 900 && band != 2400)
        return nullptr;
    const SensorInfo info = m_client->sensor(sensorId);
    const QString name = info.status.id.isEmpty() ? sensorId : info.displayName();
    TabPage *page = band == 900 ? static_cast<TabPage *>(new TabPage900(m_hooks.actions(), nullptr))
                                : new TabPage2400(m_hooks.actions(), nullptr, false);
    // The sensor's position is where the scan was made: its recording and its journal say so.
    ProjectInfoData where;
    where.scanLocation = name;
    page->setProjectInfo(where);
    page->bottomBar()->hideScanButtons();
    m_pages.insert({sensorId, band}, page);
    m_names.insert({sensorId, band}, name);
    m_hooks.addPage(page, QStringLiteral("%1 %2").arg(name, page->bandName()));
    showOnPages(info);
    emit pageAdded(page, name, band);
    return page;
}

void VenueSources::onSensorUpdated(const SensorInfo &info)
{
    m_model->update(info);
    if (info.status.band == 900 || info.status.band == 2400)
        ensurePage(info.status.id, info.status.band);
    showOnPages(info);
}

void VenueSources::showOnPages(const SensorInfo &info)
{
    const SensorStatus &status = info.status;
    QString note;
    if (!info.isOnline()) {
        note = tr("%1 is offline, last heard at %2")
                   .arg(info.displayName(),
                        QDateTime::fromMSecsSinceEpoch(info.lastHeardMs).toString("HH:mm:ss"));
    } else if (status.state == QLatin1String(SensorStatus::k_noAnalyzer)) {
        note = tr("%1 has lost its analyzer").arg(info.displayName());
    } else if (status.state == QLatin1String(SensorStatus::k_stopped)) {
        note = tr("%1 has stopped").arg(info.displayName());
    }
    for (int band : {900, 2400}) {
        if (TabPage *page = pageOf(status.id, band)) {
            // A page of the band the sensor left says where its sweeps went.
            const bool left = status.band != band && info.isOnline() && note.isEmpty();
            page->bottomBar()->setNote(
                left ? tr("%1 scans the other band now").arg(info.displayName()) : note);
        }
    }
}

void VenueSources::onSweeps(const QString &sensorId, const SweepBatch &batch)
{
    TabPage *page = ensurePage(sensorId, batch.band.mhz);
    if (!page)
        return;
    QVector<RfSpectrumSample> sweeps;
    sweeps.reserve(batch.count());
    for (int i = 0; i < batch.count(); ++i)
        sweeps.append(RfSpectrumSample{batch.timestamps.at(i), batch.scan(i), {}});
    page->addSweeps(sweeps);
}

void VenueSources::bringToFront(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const SensorStatus &status = m_model->sensorAt(row).status;
    TabPage *page = pageOf(status.id, status.band);
    if (!page)
        page = pageOf(status.id, status.band == 900 ? 2400 : 900);
    if (!page)
        return;
    for (QObject *up = page->parent(); up; up = up->parent()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(up)) {
            tabs->setCurrentWidget(page);
            return;
        }
    }
}

void VenueSources::switchAll(int band)
{
    m_client->setBand(QString(), band);
    m_hooks.status(
        tr("Every sensor asked to scan %1").arg(band == 900 ? tr("900 MHz") : tr("2.4 GHz")));
}
