#pragma once

#include <QFont>
#include <QList>
#include <QRectF>
#include <QStringList>

class QPainter;
class SurveyFigures;
struct RfSpectrumHistory;

// How the site-survey report draws on its pages, lengths in millimetres of a page at
// k_dotsPerInch: wrapped text, the rows of its tables, the footer, and its two pictures, the
// density spectrogram with its Max Hold trace and the waterfall, each with vector axes, titles
// and a colour bar, their colours rendered at print resolution.
class ReportPainter
{
public:
    // Resolution of the pictures' colours in the PDF.
    static constexpr int k_dotsPerInch = 300;

    // A length on the page, in the page's dots.
    static double mm(double millimetres);
    // The report's typeface at a size in points.
    static QFont font(double points, bool bold = false);

    // Black text wrapped at words, from the rectangle's top left.
    static void paintText(QPainter &painter, const QRectF &rect, const QString &text,
                          const QFont &font);
    // A row of a table: its cells at the given shares of the width, each cut short with an
    // ellipsis where it would not fit, shaded or not, a thin rule under it.
    static void paintRow(QPainter &painter, const QRectF &rect, const QStringList &cells,
                         const QList<double> &shares, const QFont &font, bool shaded);
    // A rule over the rectangle, one text at its bottom left and one at its bottom right.
    static void paintFooter(QPainter &painter, const QRectF &rect, const QString &left,
                            const QString &right);

    // The density of the sweeps first ... last of the figures over frequency and amplitude,
    // the Max Hold trace over it.
    static void paintSpectrogram(QPainter &painter, const QRectF &rect,
                                 const RfSpectrumHistory &history, const SurveyFigures &figures);
    // The sweeps first ... last of the figures, newest on top, over the time of day.
    static void paintWaterfall(QPainter &painter, const QRectF &rect,
                               const RfSpectrumHistory &history, const SurveyFigures &figures);
};
