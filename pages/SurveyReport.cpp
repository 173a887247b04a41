#include "SurveyReport.h"

#include "ReportLayout.h"
#include "ReportPainter.h"
#include "data/Constants.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SurveyReport", text);
}

double mm(double millimetres)
{
    return ReportPainter::mm(millimetres);
}

QFont font(double points, bool bold = false)
{
    return ReportPainter::font(points, bold);
}

QString localTime(qint64 ms)
{
    return QLocale().toString(QDateTime::fromMSecsSinceEpoch(ms),
                              QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString duration(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg((seconds / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString orNotGiven(const QString &text)
{
    return text.trimmed().isEmpty() ? tr("not given") : text;
}

QString dbm(int value)
{
    return value == -128 ? QStringLiteral("-") : QStringLiteral("%1 dBm").arg(value);
}

} // namespace

QPageSize::PageSizeId SurveyReport::pageSizeFor(const QLocale &locale)
{
    // The countries of Letter paper.
    switch (locale.country()) {
    case QLocale::UnitedStates:
    case QLocale::Canada:
    case QLocale::Mexico:
    case QLocale::Chile:
    case QLocale::Colombia:
    case QLocale::Venezuela:
    case QLocale::Philippines:
    case QLocale::PuertoRico:
        return QPageSize::Letter;
    default:
        return QPageSize::A4;
    }
}

bool SurveyReport::write(const Input &input, const QString &path, QString *error,
                         const Progress &progress)
{
    const auto stopped = [&](int percent) { return progress && !progress(percent); };
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (stopped(0))
        return fail(tr("the report was cancelled"));
    const SurveyFigures figures = SurveyFigures::compute(input.history, input.options);
    if (stopped(10))
        return fail(tr("the report was cancelled"));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    QPdfWriter pdf(&file);
    pdf.setResolution(ReportPainter::k_dotsPerInch);
    pdf.setPageSize(QPageSize(pageSizeFor(QLocale())));
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    const ProjectInfoData &project = input.history.projectInfo;
    pdf.setTitle(tr("Site survey report")
                 + (project.projectName.isEmpty() ? QString()
                                                  : QStringLiteral(" - ") + project.projectName));
    pdf.setCreator(QStringLiteral("Quorvex ") + input.programVersion);
    const QRectF page(QPointF(0, 0), QSizeF(pdf.width(), pdf.height()));
    const QRectF content = page.adjusted(0, 0, 0, -mm(10));

    // The blocks of the report, in order.
    ReportLayout layout(&pdf, content);
    layout.addText(tr("Site survey report"), font(20, true), 1.0, false);
    layout.addText(tr("Quorvex RF spectrum analyzer, %1 band")
                       .arg(figures.band900 ? tr("900 MHz") : tr("2.4 GHz")),
                   font(11), 4.0, false);
    const bool any = figures.last > figures.first;
    const QList<QStringList> title{
        {tr("Project name"), orNotGiven(project.projectName)},
        {tr("Project ID"), orNotGiven(project.projectId)},
        {tr("Scan location"), orNotGiven(project.scanLocation)},
        {tr("Technician"), orNotGiven(project.technicianName)},
        {tr("Band"),
         figures.band900 ? tr("900 MHz (902 to 928 MHz)") : tr("2.4 GHz (2400 to 2500 MHz)")},
        {tr("First sweep"), any ? localTime(figures.firstMs) : tr("no sweep in the stretch")},
        {tr("Last sweep"), any ? localTime(figures.lastMs) : tr("no sweep in the stretch")},
        {tr("Duration"), any ? duration(figures.lastMs - figures.firstMs) : duration(0)},
        {tr("Sweeps"), QLocale().toString(figures.sweeps)},
        {tr("Program version"), input.programVersion}};
    layout.addTable({tr("Survey"), QString()}, title, {0.3, 0.7});
    layout.addSpace(6.0);
    layout.add({mm(125), [&](QPainter &painter, const QRectF &rect) {
                    ReportPainter::paintSpectrogram(painter, rect, input.history, figures);
                }});
    layout.add({mm(215),
                [&](QPainter &painter, const QRectF &rect) {
                    ReportPainter::paintWaterfall(painter, rect, input.history, figures);
                },
                true});

    // The channel table.
    layout.addSpace(6.0, true);
    layout.addText(figures.band900 ? tr("The band in 2 MHz segments") : tr("Wi-Fi channels"),
                   font(12, true));
    layout.addText(
        figures.band900
            ? tr("Busy: the share of each segment's sweep and frequency-step cells at or above %1 "
                 "dBm.")
                  .arg(input.options.thresholdDbm)
            : tr("Busy: the share of each channel's 22 MHz (sweep and frequency-step cells) at or "
                 "above %1 dBm. Access points: those the computer heard on the channel, at their "
                 "strongest.")
                  .arg(input.options.thresholdDbm),
        font(8));
    QList<QStringList> channelRows;
    for (const SurveyFigures::Channel &channel : figures.channels) {
        QStringList names;
        for (const SurveyFigures::AccessPoint &ap : channel.accessPoints)
            names << QStringLiteral("%1 (%2 dBm)").arg(ap.name).arg(ap.strongestDbm);
        channelRows.append({figures.band900 ? channel.name + QStringLiteral(" MHz") : channel.name,
                            QStringLiteral("%1-%2 MHz")
                                .arg(channel.lowMHz, 0, 'f', 0)
                                .arg(channel.highMHz, 0, 'f', 0),
                            channel.cells > 0
                                ? QString::number(channel.busyShare * 100.0, 'f', 1) + " %"
                                : QStringLiteral("-"),
                            dbm(channel.highestDbm), names.join(QStringLiteral(", "))});
    }
    layout.addTable({figures.band900 ? tr("Segment") : tr("Channel"), tr("Range"), tr("Busy"),
                     tr("Highest"), figures.band900 ? QString() : tr("Access points")},
                    channelRows, {0.14, 0.18, 0.1, 0.12, 0.46});

    // The VEXA ID ranking.
    layout.addSpace(6.0);
    layout.addText(tr("VEXA ID ranking"), font(12, true));
    layout.addText(figures.recommendation, font(9));
    layout.addText(tr("Filter: %1").arg(figures.filter), font(8));
    QList<QStringList> rankingRows;
    for (int r = 0; r < figures.ranking.size(); ++r) {
        const VexaIdAdvisor::Score &score = figures.ranking.at(r);
        const VexaIdDesc desc = Constants::k_vexaIdMap.value(score.id);
        rankingRows.append({QString::number(r + 1), QString::number(score.id), desc.type,
                            QString::number(score.universes),
                            QStringLiteral("%1-%2 MHz")
                                .arg(desc.lowerEdge(), 0, 'f', 2)
                                .arg(desc.upperEdge(), 0, 'f', 2),
                            QString::number(score.busyShare * 100.0, 'f', 2) + " %",
                            QString::number(score.meanDbm, 'f', 1) + " dBm"});
    }
    layout.addTable({tr("Rank"), tr("VEXA ID"), tr("Type"), tr("Universes"), tr("Range"),
                     tr("Busy"), tr("Mean")},
                    rankingRows, {0.08, 0.12, 0.14, 0.12, 0.26, 0.14, 0.14});

    // The time events and the strongest peaks.
    layout.addSpace(6.0);
    layout.addText(tr("Time events"), font(12, true));
    if (figures.events.isEmpty() && figures.found.isEmpty()) {
        layout.addText(tr("No time events in the stretch."), font(9), 2.0, false);
    } else {
        if (!figures.found.isEmpty()) {
            layout.addText(
                tr("With the events placed, where the air changed: a range quiet for the minute "
                   "before that turned busy (at or above %1 dBm) for two seconds or more.")
                    .arg(input.options.thresholdDbm),
                font(8));
        }
        // The events placed and those found, in time order.
        QList<std::pair<qint64, QString>> events;
        for (const TimeEvent &event : figures.events)
            events.append({event.dateTime.toMSecsSinceEpoch(), event.text});
        for (const EventFinder::Event &event : figures.found) {
            events.append({event.startMs,
                           tr("Turned busy: %1-%2 MHz, peak %3 dBm, for %4%5")
                               .arg(event.lowerMHz, 0, 'f', 1)
                               .arg(event.upperMHz, 0, 'f', 1)
                               .arg(event.peakDbm)
                               .arg(duration(event.durationMs()))
                               .arg(event.ongoing ? tr(" (still busy at the end)") : QString())});
        }
        std::stable_sort(events.begin(), events.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        QList<QStringList> eventRows;
        for (const auto &event : qAsConst(events))
            eventRows.append({localTime(event.first), event.second});
        layout.addTable({tr("Time"), tr("Text")}, eventRows, {0.25, 0.75});
    }
    layout.addSpace(6.0);
    layout.addText(tr("Strongest peaks"), font(12, true));
    if (figures.peaks.isEmpty()) {
        layout.addText(tr("No peaks in the stretch."), font(9), 2.0, false);
    } else {
        layout.addText(
            tr("The highest points of the Max Hold trace, at least %1 MHz apart, each rising at "
               "least %2 dB above the dips that part it from higher ones; busy: the share of "
               "sweeps at or above %3 dBm there.")
                .arg(figures.band900 ? 0.5 : 1.0)
                .arg(input.options.minProminenceDb)
                .arg(input.options.thresholdDbm),
            font(8));
        QList<QStringList> peakRows;
        for (int p = 0; p < figures.peaks.size(); ++p) {
            const SurveyFigures::Peak &peak = figures.peaks.at(p);
            peakRows.append({QString::number(p + 1),
                             QString::number(peak.frequencyMHz, 'f', 3) + " MHz", dbm(peak.maxDbm),
                             QString::number(peak.busyShare * 100.0, 'f', 1) + " %"});
        }
        layout.addTable({tr("Peak"), tr("Frequency"), tr("Max Hold"), tr("Busy")}, peakRows,
                        {0.12, 0.3, 0.3, 0.28});
    }

    // Laid out, then painted with the page numbers known.
    const QList<ReportLayout::Page> pages = layout.pages();
    const QString footer = any
        ? tr("Stretch: %1 to %2 (local time) - threshold %3 dBm")
              .arg(localTime(figures.firstMs), localTime(figures.lastMs))
              .arg(input.options.thresholdDbm)
        : tr("Stretch: no sweep - threshold %1 dBm").arg(input.options.thresholdDbm);
    QPainter painter;
    if (!painter.begin(&pdf))
        return fail(tr("the PDF cannot be started"));
    painter.setRenderHint(QPainter::Antialiasing);
    for (int p = 0; p < pages.size(); ++p) {
        if (stopped(20 + 70 * p / pages.size())) {
            painter.end();
            file.cancelWriting();
            return fail(tr("the report was cancelled"));
        }
        if (p > 0)
            pdf.newPage();
        for (const auto &[block, rect] : pages.at(p))
            block.paint(painter, rect);
        ReportPainter::paintFooter(
            painter, QRectF(content.left(), page.bottom() - mm(6), content.width(), mm(6)), footer,
            tr("Page %1 of %2").arg(p + 1).arg(pages.size()));
    }
    painter.end();
    if (stopped(95)) {
        file.cancelWriting();
        return fail(tr("the report was cancelled"));
    }
    if (!file.commit())
        return fail(file.errorString());
    if (progress)
        progress(100);
    return true;
}
