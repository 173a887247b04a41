#include "SurveyReport.h"

#include "data/Constants.h"
#include "data/FrequencyAxis.h"
#include "plots/ColorLookup.h"
#include "plots/SpectroColorMap.h"
#include "plots/SpectroStatistics.h"
#include "plots/WaterfallColorMap.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SurveyReport", text);
}

constexpr double k_dpi = SurveyReport::k_dotsPerInch;

double mm(double millimetres)
{
    return millimetres * k_dpi / 25.4;
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

QFont font(double points, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(points);
    f.setBold(bold);
    // No ligatures where the script needs none: text copied or searched in the PDF reads as
    // typed ("Office", not a single "ffi" glyph).
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

// One piece of a page: its height, and how it paints itself into the rectangle it gets.
struct Block
{
    double height;
    std::function<void(QPainter &, const QRectF &)> paint;
    bool newPage = false; // starts a page of its own
    bool keepWithNext = false; // a heading: on the page of what follows it
};

// Places blocks top to bottom on pages of the given content rectangle.
QList<QList<QPair<Block, QRectF>>> layOut(const QList<Block> &blocks, const QRectF &content)
{
    QList<QList<QPair<Block, QRectF>>> pages{QList<QPair<Block, QRectF>>()};
    double y = content.top();
    for (int b = 0; b < blocks.size(); ++b) {
        const Block &block = blocks.at(b);
        // A heading goes on with as many headings and the block they lead to as fit.
        double needed = block.height;
        for (int next = b; blocks.at(next).keepWithNext && next + 1 < blocks.size(); ++next)
            needed += blocks.at(next + 1).height;
        const bool full = y + needed > content.bottom() && !pages.last().isEmpty();
        if ((block.newPage && !pages.last().isEmpty()) || full) {
            pages.append(QList<QPair<Block, QRectF>>());
            y = content.top();
        }
        pages.last().append({block, QRectF(content.left(), y, content.width(), block.height)});
        y += block.height;
    }
    return pages;
}

// The axes, ticks and labels around a picture's rectangle; ticks at multiples of the steps.
struct Axis
{
    double min;
    double max;
    double step;
    std::function<QString(double)> label;
};

void drawAxes(QPainter &painter, const QRectF &area, const Axis &x, const Axis &y,
              const QString &xTitle, const QString &yTitle)
{
    painter.save();
    painter.setPen(QPen(Qt::black, mm(0.2)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area);
    painter.setFont(font(7));
    const QFontMetricsF metrics(painter.font(), painter.device());
    const double tick = mm(1.2);
    for (double v = std::ceil(x.min / x.step) * x.step; v <= x.max + 1e-9; v += x.step) {
        const double px = area.left() + (v - x.min) / (x.max - x.min) * area.width();
        painter.drawLine(QPointF(px, area.bottom()), QPointF(px, area.bottom() + tick));
        const QString text = x.label(v);
        const double w = metrics.horizontalAdvance(text);
        painter.drawText(QPointF(px - w / 2, area.bottom() + tick + metrics.ascent() + mm(0.5)),
                         text);
    }
    double widest = 0.0;
    for (double v = std::ceil(y.min / y.step) * y.step; v <= y.max + 1e-9; v += y.step) {
        const double py = area.bottom() - (v - y.min) / (y.max - y.min) * area.height();
        painter.drawLine(QPointF(area.left() - tick, py), QPointF(area.left(), py));
        const QString text = y.label(v);
        const double w = metrics.horizontalAdvance(text);
        widest = qMax(widest, w);
        painter.drawText(
            QPointF(area.left() - tick - mm(0.8) - w, py + metrics.ascent() / 2 - mm(0.2)), text);
    }
    painter.setFont(font(8));
    const QFontMetricsF titles(painter.font(), painter.device());
    painter.drawText(QPointF(area.center().x() - titles.horizontalAdvance(xTitle) / 2,
                             area.bottom() + tick + metrics.height() + titles.ascent() + mm(1.5)),
                     xTitle);
    // Upright along the axis, clear of its widest label (times of day are wider than levels).
    painter.translate(area.left() - tick - mm(0.8) - widest - mm(1.5) - titles.descent(),
                      area.center().y() + titles.horizontalAdvance(yTitle) / 2);
    painter.rotate(-90);
    painter.drawText(QPointF(0, 0), yTitle);
    painter.restore();
}

// A colour bar for values min ... max beside a picture (premultiplied colours, over black),
// with its title and ticks.
void drawLegend(QPainter &painter, const QRectF &bar, const ColorLookup &colors, const Axis &scale,
                const QString &title)
{
    QImage image(1, 256, QImage::Format_RGB32);
    for (int i = 0; i < 256; ++i)
        image.setPixel(0, 255 - i,
                       colors.rgb(scale.min + (scale.max - scale.min) * (i + 0.5) / 256));
    painter.drawImage(bar, image);
    painter.save();
    painter.setPen(QPen(Qt::black, mm(0.2)));
    painter.drawRect(bar);
    painter.setFont(font(7));
    const QFontMetricsF metrics(painter.font(), painter.device());
    for (double v = scale.min; v <= scale.max + 1e-9; v += scale.step) {
        const double py = bar.bottom() - (v - scale.min) / (scale.max - scale.min) * bar.height();
        painter.drawLine(QPointF(bar.right(), py), QPointF(bar.right() + mm(1), py));
        painter.drawText(QPointF(bar.right() + mm(1.5), py + metrics.ascent() / 2 - mm(0.2)),
                         scale.label(v));
    }
    // Above the picture's top, ending no further right than the legend's labels.
    painter.setFont(font(8));
    const double width = QFontMetricsF(painter.font(), painter.device()).horizontalAdvance(title);
    painter.drawText(QPointF(qMin(bar.left(), bar.right() + mm(15) - width), bar.top() - mm(5)),
                     title);
    painter.restore();
}

// A value at a fractional column of a row, interpolated linearly between cell centres.
double across(const double *row, int columns, double column)
{
    const double c = qBound(0.0, column, double(columns - 1));
    const int left = int(c);
    const int right = qMin(left + 1, columns - 1);
    const double w = c - left;
    return row[left] * (1.0 - w) + row[right] * w;
}

struct Frame
{
    QRectF picture; // the colours
    QRectF legend; // the colour bar
};

// The rectangle of a figure split into its picture and legend, with room for axes and titles.
Frame frameOf(const QRectF &rect)
{
    const QRectF picture(rect.left() + mm(17), rect.top() + mm(8), rect.width() - mm(17 + 24),
                         rect.height() - mm(8 + 13));
    return {
        picture,
        QRectF(picture.right() + mm(5), picture.top() + mm(4), mm(4), picture.height() - mm(4))};
}

Axis frequencyAxis(bool band900)
{
    return band900
        ? Axis{902.0, 928.0, 2.0, [](double v) { return QString::number(v, 'f', 0); }}
        : Axis{2400.0, 2500.0, 10.0, [](double v) { return QString::number(v, 'f', 0); }};
}

// Where the frequency steps lie across a picture, as on the screen: step j at its frequency,
// the colours centred on it.
struct StepMap
{
    FrequencyAxis steps;
    Axis axis;
    double width; // of the picture, in its units

    double x(int step) const
    {
        return (steps.megahertz(step) - axis.min) / (axis.max - axis.min) * width;
    }
    // The fractional step at the middle of pixel column px of `pixels`.
    double stepAt(int px, int pixels) const
    {
        const double mhz = axis.min + (px + 0.5) / pixels * (axis.max - axis.min);
        return (mhz - steps.megahertz(0)) / steps.stepMegahertz();
    }
};

void paintSpectrogram(QPainter &painter, const QRectF &rect, const SurveyReport::Input &input,
                      const SurveyFigures &figures)
{
    const Frame frame = frameOf(rect);
    const SampleStore &samples = input.history.samples;
    const int yMin = Constants::k_nominalMinRssi;
    const int yMax = Constants::k_nominalMaxRssi;
    SpectroStatistics statistics;
    statistics.setWindow(samples, figures.first, figures.last);
    const SpectroStatistics::Result result = statistics.compute(yMin, yMax);
    const int n = result.numColumns;
    const int rows = result.numRows;

    painter.fillRect(frame.picture, Qt::black);
    if (n > 0 && rows > 0) {
        const QRect pixels = frame.picture.toAlignedRect();
        QImage image(pixels.size(), QImage::Format_RGB32);
        const StepMap map{FrequencyAxis::of(input.history), frequencyAxis(figures.band900),
                          frame.picture.width()};
        const SpectroColorMap colorMap;
        // Premultiplied: the colours as drawn over the picture's black, as on screen.
        const ColorLookup colors(colorMap, QwtInterval(0.0, 0.5), true);
        std::vector<double> below(static_cast<size_t>(n));
        for (int py = 0; py < image.height(); ++py) {
            // The row's amplitude, as a fractional density row (row r spans yMin + r ... + 1).
            const double dbm = yMax - (py + 0.5) / image.height() * (yMax - yMin);
            const double row = qBound(0.0, dbm - yMin - 0.5, double(rows - 1));
            const int low = int(row);
            const int high = qMin(low + 1, rows - 1);
            const double w = row - low;
            for (int j = 0; j < n; ++j)
                below[size_t(j)] = result.density.at(low * n + j) * (1.0 - w)
                    + result.density.at(high * n + j) * w;
            QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(py));
            for (int px = 0; px < image.width(); ++px)
                line[px] = colors.rgb(across(below.data(), n, map.stepAt(px, image.width())));
        }
        painter.drawImage(frame.picture, image);

        // The Max Hold trace over it, as a vector line.
        QPainterPath trace;
        for (int j = 0; j < n; ++j) {
            const double x = frame.picture.left() + map.x(j);
            const double v = qBound(double(yMin), double(result.max.at(j)), double(yMax));
            const double y
                = frame.picture.bottom() - (v - yMin) / (yMax - yMin) * frame.picture.height();
            if (j == 0)
                trace.moveTo(x, y);
            else
                trace.lineTo(x, y);
        }
        painter.save();
        painter.setClipRect(frame.picture);
        painter.setPen(QPen(QColor(255, 255, 255), mm(0.35)));
        painter.drawPath(trace);
        painter.restore();
        const SpectroColorMap legendMap;
        drawLegend(painter, frame.legend, ColorLookup(legendMap, QwtInterval(0.0, 0.5), true),
                   {0.0, 0.5, 0.1, [](double v) { return QString::number(v * 100.0, 'f', 0); }},
                   tr("Density [%]"));
    }
    drawAxes(
        painter, frame.picture, frequencyAxis(figures.band900),
        {double(yMin), double(yMax), 10.0, [](double v) { return QString::number(v, 'f', 0); }},
        tr("Frequency [MHz]"), tr("Amplitude [dBm]"));
    painter.setFont(font(10, true));
    painter.setPen(Qt::black);
    painter.drawText(QPointF(rect.left(), rect.top() + mm(4)),
                     tr("Density spectrogram, with the Max Hold trace in white"));
}

void paintWaterfall(QPainter &painter, const QRectF &rect, const SurveyReport::Input &input,
                    const SurveyFigures &figures)
{
    const Frame frame = frameOf(rect);
    const SampleStore &samples = input.history.samples;
    const int sweeps = figures.last - figures.first;
    const int n = samples.columns();
    const double minDbm = Constants::k_nominalMinRssi;
    const double maxDbm = Constants::k_nominalMaxRssi;
    painter.fillRect(frame.picture, Qt::black);
    const WaterfallColorMap map;
    const ColorLookup colors(map, QwtInterval(minDbm, maxDbm), true);
    if (sweeps > 0 && n > 0) {
        const QRect pixels = frame.picture.toAlignedRect();
        QImage image(pixels.size(), QImage::Format_RGB32);
        const StepMap steps{FrequencyAxis::of(input.history), frequencyAxis(figures.band900),
                            frame.picture.width()};
        std::vector<qint8> peaks(static_cast<size_t>(n));
        std::vector<double> row(static_cast<size_t>(n));
        for (int py = 0; py < image.height(); ++py) {
            // The newest sweeps on top. Each pixel row is the highest value of the sweeps it
            // covers; with fewer sweeps than rows, the sweep it falls on.
            const int from
                = figures.first + int(qint64(image.height() - 1 - py) * sweeps / image.height());
            const int to
                = qMax(from + 1,
                       figures.first + int(qint64(image.height() - py) * sweeps / image.height()));
            samples.maxima(from, to, peaks.data());
            for (int j = 0; j < n; ++j)
                row[size_t(j)] = peaks[size_t(j)];
            QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(py));
            for (int px = 0; px < image.width(); ++px)
                line[px] = colors.rgb(across(row.data(), n, steps.stepAt(px, image.width())));
        }
        painter.drawImage(frame.picture, image);
    }
    drawLegend(painter, frame.legend, colors,
               {minDbm, maxDbm, 10.0, [](double v) { return QString::number(v, 'f', 0); }},
               tr("Amplitude [dBm]"));
    // Time of day upwards; ticks at a round step giving about six of them.
    const double span = qMax<double>(1000.0, double(figures.lastMs - figures.firstMs));
    static const double steps[] = {1e3,   2e3,   5e3,   10e3,   15e3,   30e3,   60e3,    120e3,
                                   300e3, 600e3, 900e3, 1800e3, 3600e3, 7200e3, 10800e3, 21600e3};
    double step = steps[0];
    for (double candidate : steps) {
        step = candidate;
        if (span / candidate <= 7.0)
            break;
    }
    // Ticks land on round times of the local day.
    const qint64 offset = QDateTime::fromMSecsSinceEpoch(figures.firstMs).offsetFromUtc() * 1000LL;
    drawAxes(painter, frame.picture, frequencyAxis(figures.band900),
             {double(figures.firstMs + offset), double(figures.firstMs + offset) + span, step,
              [offset](double v) {
                  return QDateTime::fromMSecsSinceEpoch(qint64(v) - offset)
                      .toString(QStringLiteral("HH:mm:ss"));
              }},
             tr("Frequency [MHz]"), tr("Time of day"));
    painter.setFont(font(10, true));
    painter.setPen(Qt::black);
    painter.drawText(
        QPointF(rect.left(), rect.top() + mm(4)),
        sweeps > n
            ? tr("Waterfall, newest on top; each row the highest level of the sweeps it covers")
            : tr("Waterfall, newest on top"));
}

// A text that may wrap, as a block of the height it needs; a heading stays with what follows.
Block textBlock(QPaintDevice *device, const QString &text, const QFont &f, double width,
                double spaceAfter = mm(2), bool heading = true)
{
    const QFontMetricsF metrics(f, device);
    const QRectF bounds
        = metrics.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap | Qt::AlignLeft, text);
    return {bounds.height() + spaceAfter,
            [text, f](QPainter &painter, const QRectF &rect) {
                painter.setFont(f);
                painter.setPen(Qt::black);
                painter.drawText(rect, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
            },
            false, heading};
}

// A table as blocks of rows that fit a page each, every one with the header above its rows;
// the columns at the given shares of the width.
QList<Block> tableBlocks(QPaintDevice *device, const QStringList &header,
                         const QList<QStringList> &rows, const QList<double> &shares,
                         double pageHeight)
{
    const QFont plain = font(8);
    const QFont bold = font(8, true);
    const double rowHeight = QFontMetricsF(plain, device).height() + mm(1.6);
    const auto rowPainter = [&](const QStringList &cells, bool isHeader, bool shaded) {
        return std::function<void(QPainter &, const QRectF &)>(
            [cells, shares, isHeader, shaded, plain, bold](QPainter &painter, const QRectF &rect) {
                if (shaded)
                    painter.fillRect(rect, QColor(235, 238, 242));
                painter.setPen(QPen(QColor(150, 150, 150), mm(0.1)));
                painter.drawLine(rect.bottomLeft(), rect.bottomRight());
                painter.setFont(isHeader ? bold : plain);
                painter.setPen(Qt::black);
                double x = rect.left();
                for (int c = 0; c < cells.size() && c < shares.size(); ++c) {
                    const QRectF cell(x + mm(1), rect.top(), rect.width() * shares.at(c) - mm(2),
                                      rect.height());
                    painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                                     QFontMetricsF(painter.font(), painter.device())
                                         .elidedText(cells.at(c), Qt::ElideRight, cell.width()));
                    x += rect.width() * shares.at(c);
                }
            });
    };
    const int perBlock = qMax(1, int(pageHeight / rowHeight) - 2);
    QList<Block> blocks;
    for (int start = 0; start < qMax(int(rows.size()), 1); start += perBlock) {
        QList<std::function<void(QPainter &, const QRectF &)>> painters{
            rowPainter(header, true, false)};
        for (int r = start; r < qMin(int(rows.size()), start + perBlock); ++r)
            painters.append(rowPainter(rows.at(r), false, r % 2 == 1));
        blocks.append({rowHeight * painters.size(),
                       [painters, rowHeight](QPainter &painter, const QRectF &rect) {
                           for (int i = 0; i < painters.size(); ++i)
                               painters.at(i)(painter,
                                              QRectF(rect.left(), rect.top() + i * rowHeight,
                                                     rect.width(), rowHeight));
                       }});
    }
    return blocks;
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
    pdf.setResolution(k_dotsPerInch);
    pdf.setPageSize(QPageSize(pageSizeFor(QLocale())));
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    const ProjectInfoData &project = input.history.projectInfo;
    pdf.setTitle(tr("Site survey report")
                 + (project.projectName.isEmpty() ? QString()
                                                  : QStringLiteral(" - ") + project.projectName));
    pdf.setCreator(QStringLiteral("Quorvex ") + input.programVersion);
    const QRectF page(QPointF(0, 0), QSizeF(pdf.width(), pdf.height()));
    const QRectF content = page.adjusted(0, 0, 0, -mm(10));
    const double width = content.width();

    // The blocks of the report, in order.
    QList<Block> blocks;
    blocks.append(textBlock(&pdf, tr("Site survey report"), font(20, true), width, mm(1), false));
    blocks.append(textBlock(&pdf,
                            tr("Quorvex RF spectrum analyzer, %1 band")
                                .arg(figures.band900 ? tr("900 MHz") : tr("2.4 GHz")),
                            font(11), width, mm(4), false));
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
    for (const Block &row :
         tableBlocks(&pdf, {tr("Survey"), QString()}, title, {0.3, 0.7}, content.height()))
        blocks.append(row);
    blocks.append({mm(6), [](QPainter &, const QRectF &) {}});
    blocks.append({mm(125), [&](QPainter &painter, const QRectF &rect) {
                       paintSpectrogram(painter, rect, input, figures);
                   }});
    blocks.append({mm(215),
                   [&](QPainter &painter, const QRectF &rect) {
                       paintWaterfall(painter, rect, input, figures);
                   },
                   true});

    // The channel table.
    blocks.append({mm(6), [](QPainter &, const QRectF &) {}, true});
    blocks.append(
        textBlock(&pdf, figures.band900 ? tr("The band in 2 MHz segments") : tr("Wi-Fi channels"),
                  font(12, true), width));
    blocks.append(textBlock(
        &pdf,
        figures.band900
            ? tr("Busy: the share of each segment's sweep and frequency-step cells at or above %1 "
                 "dBm.")
                  .arg(input.options.thresholdDbm)
            : tr("Busy: the share of each channel's 22 MHz (sweep and frequency-step cells) at or "
                 "above %1 dBm. Access points: those the computer heard on the channel, at their "
                 "strongest.")
                  .arg(input.options.thresholdDbm),
        font(8), width));
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
    for (const Block &row :
         tableBlocks(&pdf,
                     {figures.band900 ? tr("Segment") : tr("Channel"), tr("Range"), tr("Busy"),
                      tr("Highest"), figures.band900 ? QString() : tr("Access points")},
                     channelRows, {0.14, 0.18, 0.1, 0.12, 0.46}, content.height()))
        blocks.append(row);

    // The VEXA ID ranking.
    blocks.append({mm(6), [](QPainter &, const QRectF &) {}});
    blocks.append(textBlock(&pdf, tr("VEXA ID ranking"), font(12, true), width));
    blocks.append(textBlock(&pdf, figures.recommendation, font(9), width));
    blocks.append(textBlock(&pdf, tr("Filter: %1").arg(figures.filter), font(8), width));
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
    for (const Block &row :
         tableBlocks(&pdf,
                     {tr("Rank"), tr("VEXA ID"), tr("Type"), tr("Universes"), tr("Range"),
                      tr("Busy"), tr("Mean")},
                     rankingRows, {0.08, 0.12, 0.14, 0.12, 0.26, 0.14, 0.14}, content.height()))
        blocks.append(row);

    // The time events and the strongest peaks.
    blocks.append({mm(6), [](QPainter &, const QRectF &) {}});
    blocks.append(textBlock(&pdf, tr("Time events"), font(12, true), width));
    if (figures.events.isEmpty() && figures.found.isEmpty()) {
        blocks.append(
            textBlock(&pdf, tr("No time events in the stretch."), font(9), width, mm(2), false));
    } else {
        if (!figures.found.isEmpty()) {
            blocks.append(textBlock(
                &pdf,
                tr("With the events placed, where the air changed: a range quiet for the minute "
                   "before that turned busy (at or above %1 dBm) for two seconds or more.")
                    .arg(input.options.thresholdDbm),
                font(8), width));
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
        for (const Block &row :
             tableBlocks(&pdf, {tr("Time"), tr("Text")}, eventRows, {0.25, 0.75}, content.height()))
            blocks.append(row);
    }
    blocks.append({mm(6), [](QPainter &, const QRectF &) {}});
    blocks.append(textBlock(&pdf, tr("Strongest peaks"), font(12, true), width));
    if (figures.peaks.isEmpty()) {
        blocks.append(
            textBlock(&pdf, tr("No peaks in the stretch."), font(9), width, mm(2), false));
    } else {
        blocks.append(textBlock(
            &pdf,
            tr("The highest points of the Max Hold trace, at least %1 MHz apart, each rising at "
               "least %2 dB above the dips that part it from higher ones; busy: the share of "
               "sweeps at or above %3 dBm there.")
                .arg(figures.band900 ? 0.5 : 1.0)
                .arg(input.options.minProminenceDb)
                .arg(input.options.thresholdDbm),
            font(8), width));
        QList<QStringList> peakRows;
        for (int p = 0; p < figures.peaks.size(); ++p) {
            const SurveyFigures::Peak &peak = figures.peaks.at(p);
            peakRows.append({QString::number(p + 1),
                             QString::number(peak.frequencyMHz, 'f', 3) + " MHz", dbm(peak.maxDbm),
                             QString::number(peak.busyShare * 100.0, 'f', 1) + " %"});
        }
        for (const Block &row :
             tableBlocks(&pdf, {tr("Peak"), tr("Frequency"), tr("Max Hold"), tr("Busy")}, peakRows,
                         {0.12, 0.3, 0.3, 0.28}, content.height()))
            blocks.append(row);
    }

    // Laid out, then painted with the page numbers known.
    const auto pages = layOut(blocks, content);
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
        painter.setFont(font(7));
        painter.setPen(QColor(80, 80, 80));
        const QRectF foot(content.left(), page.bottom() - mm(6), content.width(), mm(6));
        painter.drawLine(foot.topLeft(), foot.topRight());
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom, footer);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom,
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
