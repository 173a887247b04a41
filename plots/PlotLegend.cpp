#include "PlotLegend.h"

#include <QLabel>
#include <QVBoxLayout>
#include <qwt_color_map.h>
#include <qwt_thermo.h>

QList<QWidget *> addCanvasLegend(QWidget *canvas, const QString &title, QwtColorMap *colorMap,
                                 double min, double max, double value)
{
    auto *label = new QLabel(title, canvas);
    auto *thermo = new QwtThermo(canvas);
    thermo->setOrientation(Qt::Vertical);
    thermo->setScalePosition(QwtThermo::LeadingScale);
    thermo->setColorMap(colorMap);
    thermo->setScale(min, max);
    thermo->setValue(value);
    thermo->setBorderWidth(0);

    auto *layout = new QVBoxLayout(canvas);
    layout->addWidget(label);
    layout->addWidget(thermo, 1, Qt::AlignRight);
    layout->addStretch(2);
    layout->setAlignment(Qt::AlignRight);
    return {label, thermo};
}
