#include "ColorFile.h"

#include "PlotLog.h"

#include <QFile>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QVariantMap>
#include <qwt_color_map.h>

QString ColorFile::desktopPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
        + QStringLiteral("/customColors.txt");
}

QVector<ColorFile::Stop> ColorFile::readStops(const QString &path, const QString &key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcPlots) << "Cannot read the colour file" << path << file.errorString();
        return {};
    }
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError) {
        qCWarning(lcPlots) << "The colour file" << path << "is no JSON:" << error.errorString();
        return {};
    }
    if (!doc.isObject()) {
        qCWarning(lcPlots) << "The colour file" << path << "holds no JSON object";
        return {};
    }
    const QVariantList list = doc.toVariant().toMap().value(key).toList();
    if (list.size() < 2) {
        qCWarning(lcPlots) << "The colour file" << path << "has fewer than two colours under"
                           << key;
        return {};
    }
    QVector<Stop> stops;
    stops.reserve(list.size());
    for (const QVariant &element : list) {
        const QVariantMap map = element.toMap();
        Stop stop;
        stop.value = map.value(QStringLiteral("value")).toDouble();
        stop.color = QColor(map.value(QStringLiteral("color")).toString());
        stop.color.setAlpha(map.value(QStringLiteral("alpha")).toInt());
        stops.append(stop);
    }
    return stops;
}

bool ColorFile::apply(QwtLinearColorMap *map, const QString &key)
{
    QVector<Stop> stops;
    const QString desktop = desktopPath();
    if (QFile::exists(desktop))
        stops = readStops(desktop, key);
    if (stops.isEmpty() && QFile::exists(resourcePath()))
        stops = readStops(resourcePath(), key);
    if (stops.isEmpty())
        return false;
    applyStops(map, stops);
    return true;
}

void ColorFile::applyStops(QwtLinearColorMap *map, const QVector<Stop> &stops)
{
    if (stops.size() < 2)
        return;
    // First element the top colour, last the bottom; their "value" is not read.
    map->setColorInterval(stops.last().color, stops.first().color);
    for (int i = 1; i < stops.size() - 1; ++i)
        map->addColorStop(stops.at(i).value, stops.at(i).color);
}
