#pragma once

// The pieces the drawings of the chart share: the fixed colours, the fonts
// at the device's scale, value marks and the left axis' tick step. Private
// to the chart's sources.

#include "chart.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace chart::detail {

inline const QColor kBackgroundEnd(164, 164, 255);
inline const QColor kBackgroundStart(Qt::white);
inline const QColor kLeftWall(228, 228, 228);
inline const QColor kBottomWall(0, 0, 132);
inline const QColor kMaroon(128, 0, 0);
inline const QColor kMarkFill(255, 255, 210);
inline const QColor kLineColour(0, 128, 0);
inline const QColor kGrid(160, 160, 160);

struct Frame
{
    double s = 1.0; // scale
    QFont title, foot, marks, axis;
};

// A value mark: a pale box with the text, its bottom centre at the anchor,
// kept inside the given bounds. Returns the box.
QRectF markRect(const QFontMetricsF& fm, const QString& text, QPointF anchor, const QRectF& bounds, double s);
void drawMarkBox(QPainter& painter, const QRectF& box, const QString& text, double s);
// A value mark turned by 90 degrees, reading upwards, standing on the point
// at top (x its centre), held inside bounds at the top.
void drawTurnedMark(QPainter& painter, const QFontMetricsF& fm, const QString& text, QPointF top,
                    const QRectF& bounds, double s);
// The bar's gradient across: its colour, lighter in the middle.
QLinearGradient barGradient(const QRectF& bar, const QColor& colour);

// The distance between two labelled ticks: the program's step, widened to
// 2, 5 or 10 times (and so on) until the labels no longer crowd each other.
double tickStep(double range, double step, double pixels, double labelHeight);

// The pie with its labels drawn into the area between title and foot.
void drawPie(const Chart& chart, QPainter& painter, const QRectF& area, const Frame& f);

// The calendar chart drawn into the area between title and foot.
void drawCalendarChart(const Chart& chart, QPainter& painter, const QRectF& area, const Frame& f);
// The slot under the position, or -1.
int calendarSlotAt(const Chart& chart, const QRectF& area, const Frame& f, const QPointF& position);
// The tooltip text of a slot.
QString calendarToolTip(const Chart& chart, int slot);

} // namespace chart::detail
