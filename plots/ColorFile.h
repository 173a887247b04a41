#pragma once

#include <QColor>
#include <QString>
#include <QVector>

class QwtLinearColorMap;

// The user-editable colour file "customColors.txt": a JSON object whose keys ("SpectroPlot",
// "WaterfallPlot") hold arrays of stops {"value", "color", "alpha"}, written from the top of
// the scale (first element, value 1.0) down to the bottom (last element, value 0.0). The
// program reads the copy in the user's desktop folder if there is one, else its own copy in
// the resources.
class ColorFile
{
public:
    struct Stop
    {
        double value = 0.0;
        QColor color;
    };

    // The desktop copy's path.
    static QString desktopPath();
    static QString resourcePath() { return QStringLiteral(":/customColors.txt"); }

    // The stops under key in the file at path, top first; empty when the file cannot be read,
    // is no JSON object, or holds fewer than two elements under key.
    static QVector<Stop> readStops(const QString &path, const QString &key);

    // Sets map's colours from the desktop copy, or from the resource copy when the desktop
    // copy is missing or unusable. Returns false, leaving map as it is, when neither gives
    // colours for key.
    static bool apply(QwtLinearColorMap *map, const QString &key);
    // Sets map's colours from stops read by readStops (at least two).
    static void applyStops(QwtLinearColorMap *map, const QVector<Stop> &stops);
};
