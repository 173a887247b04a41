#pragma once

#include <QImage>
#include <qwt_interval.h>

class ColorLookup;
class QwtScaleMap;

// Renders a matrix raster into an image as the plotting library's spectrogram item does (the
// value at the plot position of every pixel, through the colour map), but separably: the
// column taps and weights are worked out once per image column, each image row first
// interpolates the matrix rows it needs into one row of values, and each pixel then only
// interpolates within that row and looks its colour up in a table. The image is split into
// bands of rows rendered in parallel.
class RasterImageRenderer
{
public:
    enum class Interpolation { Bilinear, Bicubic };

    // The matrix: numRows x numColumns cells spread over the x and y intervals.
    struct Grid
    {
        int numColumns = 0;
        int numRows = 0;
        QwtInterval x;
        QwtInterval y;
        double dx = 0.0;
        double dy = 0.0;
    };

    // The cells of one matrix row as doubles: either a pointer into the matrix, or the
    // values written into scratch (numColumns doubles) and scratch returned.
    class Rows
    {
    public:
        virtual ~Rows() = default;
        virtual const double *row(int index, double *scratch) const = 0;
    };

    // One raster with its colours.
    struct Layer
    {
        const Rows *rows = nullptr;
        Grid grid;
        Interpolation mode = Interpolation::Bilinear;
        const ColorLookup *colors = nullptr;
    };

    // Fills image (format ARGB32_Premultiplied, the colours premultiplied) with layer; xMap
    // and yMap take its pixel coordinates to plot coordinates. threads <= 0 uses one thread
    // per processor.
    //
    // With multiplied, the image holds what drawing layer over black and then multiplied over
    // it in Multiply mode gives, so that one image drawn over black shows both: each colour
    // channel is (S c * P c + P c * (255 - S alpha)) / 255 with the framework's rounding, P
    // the layer's colour and S the multiplied one's.
    static void render(const Layer &layer, const Layer *multiplied, const QwtScaleMap &xMap,
                       const QwtScaleMap &yMap, QImage &image, int threads);
};
