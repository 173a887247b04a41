#include "RightClickMachine.h"

#include <QMouseEvent>
#include <qwt_event_pattern.h>

RightClickMachine::RightClickMachine()
    : QwtPickerMachine(PointSelection)
{ }

QList<QwtPickerMachine::Command> RightClickMachine::transition(const QwtEventPattern &pattern,
                                                               const QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress
        && pattern.mouseMatch(QwtEventPattern::MouseSelect2,
                              static_cast<const QMouseEvent *>(event)))
        return {Begin, Append, End};
    return {};
}
