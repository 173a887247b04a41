#include "SpectrogramData.h"

SpectrogramData::SpectrogramData()
{
    setValueMatrix(QVector<double>{0.0}, 1);
    setResampleMode(BilinearInterpolation);
    setInterval(Qt::ZAxis, QwtInterval(0.0, 0.5));
}
