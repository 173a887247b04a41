#pragma once

#include <QColor>
#include <QWidget>

// A slider over a 64-bit range with a lower and an upper value, drawn as a coloured
// selection on a thin bar, with a handle for either value or none. Without handles the whole
// selection is dragged, and the mouse wheel shifts it by a twentieth of the range: the band
// pages' time bar, whose range is the number of samples and whose selection is the visible
// window. It takes the focus (Tab or a click; a frame shows it) and moves the selection by
// keys, as a document moves: Left and Up by a tenth of the selection towards the start,
// Right and Down towards the end, Page Up and Page Down by a whole selection, Home to the
// start, End to the end (the live edge of the time bar).
class RangeSlider : public QWidget
{
    Q_OBJECT

public:
    enum Option {
        NoHandle = 0x0,
        LeftHandle = 0x1,
        RightHandle = 0x2,
        DoubleHandles = LeftHandle | RightHandle,
    };
    Q_DECLARE_FLAGS(Options, Option)

    explicit RangeSlider(QWidget *parent = nullptr);
    RangeSlider(Qt::Orientation orientation, Options options, QWidget *parent = nullptr);

    QSize minimumSizeHint() const override;

    qint64 minimun() const { return m_minimum; }
    qint64 maximun() const { return m_maximum; }
    qint64 lowerValue() const { return m_lowerValue; }
    qint64 upperValue() const { return m_upperValue; }
    qint64 intervalSize() const { return m_upperValue - m_lowerValue; }

    // Geometry in widget coordinates.
    QRectF barRect() const;
    QRect lowerHandleRect() const;
    QRect upperHandleRect() const;
    QRectF selectionRect() const;

Q_SIGNALS:
    void lowerValueChanged(qint64 aLowerValue);
    void upperValueChanged(qint64 aUpperValue);
    void rangeChanged(qint64 aMin, qint64 aMax);

public Q_SLOTS:
    void setRange(qint64 minimum, qint64 maximum);
    void setLowerValue(qint64 lowerValue);
    void setUpperValue(qint64 upperValue);
    void setMinimum(qint64 minimum);
    void setMaximum(qint64 maximum);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    static constexpr int k_margin = 1;
    static constexpr int k_barThickness = 9;
    static constexpr int k_handleSize = 15;

    bool hasLowerHandle() const { return m_options.testFlag(LeftHandle); }
    bool hasUpperHandle() const { return m_options.testFlag(RightHandle); }
    int length() const;
    int across() const;
    // Travel of the value positions, and a value's position along it.
    int travel() const;
    int position(qint64 value) const;
    int lowerHandleAlong() const;
    int upperHandleAlong() const;
    // A rectangle given along and across the slider, in widget coordinates.
    QRectF oriented(double along, double acrossPos, double alongSize, double acrossSize) const;
    void adjustValuesToRange();
    void moveSelection(qint64 newLower);

    qint64 m_minimum = 0;
    qint64 m_maximum = 100;
    qint64 m_lowerValue = 0;
    qint64 m_upperValue = 100;
    bool m_firstHandlePressed = false;
    bool m_secondHandlePressed = false;
    bool m_selectionPressed = false;
    qint64 m_interval = 100;
    int m_pressOffset = 0;
    QColor m_enabledColor = QColor(30, 144, 255);
    QColor m_disabledColor = QColor(0x80, 0x80, 0x80);
    QColor m_currentColor = m_enabledColor;
    Qt::Orientation m_orientation = Qt::Horizontal;
    Options m_options = NoHandle;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(RangeSlider::Options)
