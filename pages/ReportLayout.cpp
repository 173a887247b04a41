#include "ReportLayout.h"

#include "ReportPainter.h"

#include <QFontMetricsF>

ReportLayout::ReportLayout(QPaintDevice *device, const QRectF &content)
    : m_device(device)
    , m_content(content)
{ }

void ReportLayout::add(const Block &block)
{
    m_blocks.append(block);
}

void ReportLayout::addSpace(double heightMm, bool newPage)
{
    m_blocks.append({ReportPainter::mm(heightMm), [](QPainter &, const QRectF &) {}, newPage});
}

void ReportLayout::addText(const QString &text, const QFont &font, double spaceAfterMm,
                           bool heading)
{
    const QFontMetricsF metrics(font, m_device);
    const QRectF bounds = metrics.boundingRect(QRectF(0, 0, m_content.width(), 1e6),
                                               Qt::TextWordWrap | Qt::AlignLeft, text);
    m_blocks.append({bounds.height() + ReportPainter::mm(spaceAfterMm),
                     [text, font](QPainter &painter, const QRectF &rect) {
                         ReportPainter::paintText(painter, rect, text, font);
                     },
                     false, heading});
}

// As blocks of rows that fit a page each, every one with the header above its rows.
void ReportLayout::addTable(const QStringList &header, const QList<QStringList> &rows,
                            const QList<double> &shares)
{
    const QFont plain = ReportPainter::font(8);
    const QFont bold = ReportPainter::font(8, true);
    const double rowHeight = QFontMetricsF(plain, m_device).height() + ReportPainter::mm(1.6);
    const auto rowPainter = [&](const QStringList &cells, bool isHeader, bool shaded) {
        return Paint([cells, shares, isHeader, shaded, plain, bold](QPainter &painter,
                                                                    const QRectF &rect) {
            ReportPainter::paintRow(painter, rect, cells, shares, isHeader ? bold : plain, shaded);
        });
    };
    const int perBlock = qMax(1, int(m_content.height() / rowHeight) - 2);
    for (int start = 0; start < qMax(int(rows.size()), 1); start += perBlock) {
        QList<Paint> painters{rowPainter(header, true, false)};
        for (int r = start; r < qMin(int(rows.size()), start + perBlock); ++r)
            painters.append(rowPainter(rows.at(r), false, r % 2 == 1));
        m_blocks.append({rowHeight * painters.size(),
                         [painters, rowHeight](QPainter &painter, const QRectF &rect) {
                             for (int i = 0; i < painters.size(); ++i)
                                 painters.at(i)(painter,
                                                QRectF(rect.left(), rect.top() + i * rowHeight,
                                                       rect.width(), rowHeight));
                         }});
    }
}

QList<ReportLayout::Page> ReportLayout::pages() const
{
    QList<Page> pages{Page()};
    double y = m_content.top();
    for (int b = 0; b < m_blocks.size(); ++b) {
        const Block &block = m_blocks.at(b);
        // A heading goes on with as many headings and the block they lead to as fit.
        double needed = block.height;
        for (int next = b; m_blocks.at(next).keepWithNext && next + 1 < m_blocks.size(); ++next)
            needed += m_blocks.at(next + 1).height;
        const bool full = y + needed > m_content.bottom() && !pages.last().isEmpty();
        if ((block.newPage && !pages.last().isEmpty()) || full) {
            pages.append(Page());
            y = m_content.top();
        }
        pages.last().append({block, QRectF(m_content.left(), y, m_content.width(), block.height)});
        y += block.height;
    }
    return pages;
}
