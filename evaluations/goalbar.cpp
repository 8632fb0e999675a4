#include "goalbar.h"

#include <QPainter>

#include <algorithm>

GoalBar::GoalBar(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void GoalBar::setValues(double done, double planned, double due)
{
    m_done = done;
    m_planned = planned;
    m_due = due;
    update();
}

QSize GoalBar::sizeHint() const
{
    return {200, fontMetrics().height() + 6};
}

QSize GoalBar::minimumSizeHint() const
{
    return {60, fontMetrics().height() + 6};
}

void GoalBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect frame = rect().adjusted(0, 2, -1, -3);
    p.fillRect(frame, QColor(235, 235, 235));
    if (m_planned > 0.0) {
        const auto x = [&](double km) {
            return frame.left() + int(std::clamp(km / m_planned, 0.0, 1.0) * frame.width());
        };
        // Ahead of the plan green, behind it orange.
        const QColor fill = m_done >= m_due ? QColor(76, 160, 76) : QColor(230, 150, 40);
        p.fillRect(QRect(frame.topLeft(), QPoint(x(m_done), frame.bottom())), fill);
        p.setPen(QPen(Qt::black, 2));
        const int due = x(m_due);
        p.drawLine(due, rect().top(), due, rect().bottom());
    }
    p.setPen(Qt::gray);
    p.drawRect(frame);
}
