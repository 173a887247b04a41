#pragma once

#include <qwt_picker_machine.h>

// Picker machine that selects one point at a right mouse press (the pattern's second mouse
// selection), so that a plot picker emits selected(QPointF) for right clicks.
class RightClickMachine : public QwtPickerMachine
{
public:
    RightClickMachine();

    QList<Command> transition(const QwtEventPattern &pattern, const QEvent *event) override;
};
