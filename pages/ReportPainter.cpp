#include "ReportPainter.h"

#include "data/Constants.h"
#include "data/FrequencyAxis.h"
#include "data/SurveyFigures.h"
#include "plots/ColorLookup.h"
#include "plots/SpectroColorMap.h"
#include "plots/SpectroStatistics.h"
#include "plots/WaterfallColorMap.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <functional>
#include <vector>

namespace {

// The pictures' words are the report's.
QString tr(const char *text)
{
    return QCoreApplication::translate("SurveyReport", text);
}

constexpr double k_dpi = ReportPainter::k_dotsPerInch;

double mm(double millimetres)
{
    return millimetres * k_dpi / 25.4;
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

} // namespace

double ReportPainter::mm(double millimetres)
{
    return ::mm(millimetres);
}

QFont ReportPainter::font(double points, bool bold)
{
    return ::font(points, bold);
}

void ReportPainter::paintText(QPainter &painter, const QRectF &rect, const QString &text,
                              const QFont &font)
{
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(rect, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
}

void ReportPainter::paintRow(QPainter &painter, const QRectF &rect, const QStringList &cells,
                             const QList<double> &shares, const QFont &font, bool shaded)
{
    if (shaded)
        painter.fillRect(rect, QColor(235, 238, 242));
    painter.setPen(QPen(QColor(150, 150, 150), mm(0.1)));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.setFont(font);
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
}

void ReportPainter::paintFooter(QPainter &painter, const QRectF &rect, const QString &left,
                                const QString &right)
{
    painter.setFont(font(7));
    painter.setPen(QColor(80, 80, 80));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignBottom, left);
    painter.drawText(rect, Qt::AlignRight | Qt::AlignBottom, right);
}

void ReportPainter::paintSpectrogram(QPainter &painter, const QRectF &rect,
                                     const RfSpectrumHistory &history, const SurveyFigures &figures)
{
    const Frame frame = frameOf(rect);
    const SampleStore &samples = history.samples;
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
        const StepMap map{FrequencyAxis::of(history), frequencyAxis(figures.band900),
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

void ReportPainter::paintWaterfall(QPainter &painter, const QRectF &rect,
                                   const RfSpectrumHistory &history, const SurveyFigures &figures)
{
    const Frame frame = frameOf(rect);
    const SampleStore &samples = history.samples;
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
        const StepMap steps{FrequencyAxis::of(history), frequencyAxis(figures.band900),
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
