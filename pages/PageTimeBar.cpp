#include "PageTimeBar.h"

#include "PageActions.h"
#include "widgets/RangeSlider.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString clockText(qint64 msecsSinceEpoch)
{
    return QLocale::system().toString(QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).time(),
                                      QLocale::LongFormat);
}

} // namespace

PageTimeBar::PageTimeBar(const PageActions &actions, bool playback, QWidget *parent)
    : QWidget(parent)
    , m_slider(new RangeSlider(Qt::Horizontal, RangeSlider::NoHandle, this))
    , m_elapsed(new QLabel(this))
    , m_clock(new QLabel(this))
    , m_note(new QLabel(this))
{
    m_note->setStyleSheet(QStringLiteral("color: #ff8c42; font-weight: bold;"));
    m_note->hide();
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    // Scan and Stop on a live page; a playback page keeps the buttons hidden.
    auto *stop = new QToolButton(this);
    auto *record = new QToolButton(this);
    if (playback) {
        stop->hide();
        record->hide();
    } else {
        stop->setDefaultAction(actions.stop);
        record->setDefaultAction(actions.record);
    }
    m_slider->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_slider->setRange(0, 0);
    auto *labels = new QVBoxLayout;
    labels->addWidget(m_elapsed);
    labels->addWidget(m_clock);
    row->addWidget(stop);
    row->addWidget(record);
    m_stop = stop;
    m_record = record;
    row->addWidget(m_slider);
    row->addWidget(m_note);
    row->addLayout(labels);
}

void PageTimeBar::showNone()
{
    m_elapsed->setText(QStringLiteral("00:00:00"));
    m_clock->setText(clockText(QDateTime::currentMSecsSinceEpoch()));
}

void PageTimeBar::show(qint64 first, qint64 newest)
{
    m_elapsed->setText(elapsedText(newest - first));
    m_clock->setText(clockText(newest));
}

QString PageTimeBar::elapsedText(qint64 elapsedMs)
{
    const auto field = [](qint64 value) { return QString::number(value).rightJustified(2, '0'); };
    return QStringLiteral("%1:%2:%3")
        .arg(field((elapsedMs / 3600000) % 24))
        .arg(field((elapsedMs / 60000) % 60))
        .arg(field((elapsedMs / 1000) % 60));
}

void PageTimeBar::setNote(const QString &text)
{
    m_note->setText(text);
    m_note->setVisible(!text.isEmpty());
}

QString PageTimeBar::note() const
{
    return m_note->text();
}

void PageTimeBar::hideScanButtons()
{
    m_stop->hide();
    m_record->hide();
}
