#pragma once

#include <QFont>
#include <QList>
#include <QPair>
#include <QRectF>
#include <QStringList>
#include <functional>

class QPaintDevice;
class QPainter;

// The pages of the site-survey report: its pieces (blocks) one under another in the order they
// are added, measured on the device they will be painted on and placed on pages of its content
// rectangle. A heading stays on the page of what follows it, a block may start a page of its
// own, and a table goes in pieces that fit a page each, its header above every piece.
class ReportLayout
{
public:
    using Paint = std::function<void(QPainter &, const QRectF &)>;

    // One piece of a page: its height, and how it paints itself into the rectangle it gets.
    struct Block
    {
        double height;
        Paint paint;
        bool newPage = false; // starts a page of its own
        bool keepWithNext = false; // a heading: on the page of what follows it
    };
    using Page = QList<QPair<Block, QRectF>>;

    ReportLayout(QPaintDevice *device, const QRectF &content);

    void add(const Block &block);
    // Empty room of the height (in millimetres).
    void addSpace(double heightMm, bool newPage = false);
    // A text wrapped to the content's width, with room after it (in millimetres); a heading
    // stays with what follows.
    void addText(const QString &text, const QFont &font, double spaceAfterMm = 2.0,
                 bool heading = true);
    // A table, the columns at the given shares of the width.
    void addTable(const QStringList &header, const QList<QStringList> &rows,
                  const QList<double> &shares);

    // The blocks placed top to bottom: the pages, each with the rectangles of its blocks.
    QList<Page> pages() const;

private:
    QPaintDevice *const m_device;
    const QRectF m_content;
    QList<Block> m_blocks;
};
