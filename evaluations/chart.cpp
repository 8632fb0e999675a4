#include "chart.h"
#include "chartdrawing.h"
#include "textforms.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPaintDevice>
#include <QPaintEvent>
#include <QPainterPath>
#include <QPolygonF>
#include <QRandomGenerator>
#include <QResizeEvent>
#include <QToolTip>
#include <QHelpEvent>

#include <algorithm>
#include <cmath>

namespace chart {

using namespace detail;

// ---------------------------------------------------------------------------
// Drawing

namespace {

QFont pixelFont(const QString& family, double pixels, bool bold = false, bool italic = false)
{
    QFont font(family);
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// Screen pixels to device pixels: a printer draws the same chart larger,
// a picture at screen resolution (or below) draws it 1:1.
double deviceScale(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    if (!device)
        return 1.0;
    return std::max(1.0, device->logicalDpiY() / 96.0);
}

} // namespace

namespace detail {

QRectF markRect(const QFontMetricsF& fm, const QString& text, QPointF anchor, const QRectF& bounds,
                double s)
{
    const double pad = 2 * s;
    const QSizeF size(fm.horizontalAdvance(text) + 2 * pad, fm.height() + pad);
    QRectF box(QPointF(anchor.x() - size.width() / 2, anchor.y() - size.height()), size);
    if (box.top() < bounds.top())
        box.moveTop(bounds.top());
    if (box.left() < bounds.left())
        box.moveLeft(bounds.left());
    if (box.right() > bounds.right())
        box.moveRight(bounds.right());
    return box;
}

void drawMarkBox(QPainter& painter, const QRectF& box, const QString& text, double s)
{
    painter.setPen(QPen(QColor(128, 128, 128), s));
    painter.setBrush(kMarkFill);
    painter.drawRect(box);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, text);
}

void drawTurnedMark(QPainter& painter, const QFontMetricsF& fm, const QString& text, QPointF top,
                    const QRectF& bounds, double s)
{
    const double thickness = fm.height() + 2 * s;
    const double length = fm.horizontalAdvance(text) + 4 * s;
    QRectF box(top.x() - thickness / 2, top.y() - 3 * s - length, thickness, length);
    if (box.top() < bounds.top())
        box.moveTop(bounds.top());
    painter.setPen(QPen(QColor(128, 128, 128), s));
    painter.setBrush(kMarkFill);
    painter.drawRect(box);
    painter.save();
    painter.translate(box.center());
    painter.rotate(-90);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(-length / 2, -thickness / 2, length, thickness), Qt::AlignCenter, text);
    painter.restore();
}

QLinearGradient barGradient(const QRectF& bar, const QColor& colour)
{
    QLinearGradient gradient(bar.topLeft(), bar.topRight());
    gradient.setColorAt(0, colour);
    gradient.setColorAt(0.2, colour);
    gradient.setColorAt(0.5, colour.lighter(160));
    gradient.setColorAt(0.8, colour);
    gradient.setColorAt(1, colour);
    return gradient;
}

} // namespace detail

namespace {

// The lines as they fit the width: a line too long is broken at its
// blanks; only a single word wider than the width is shortened.
QStringList wrapped(const QStringList& lines, const QFontMetricsF& fm, double width)
{
    QStringList out;
    for (const QString& line : lines) {
        if (fm.horizontalAdvance(line) <= width) {
            out << line;
            continue;
        }
        QString current;
        for (const QString& word : line.split(u' ')) {
            const QString joined = current.isEmpty() ? word : current + u' ' + word;
            if (current.isEmpty() || fm.horizontalAdvance(joined) <= width) {
                current = joined;
                continue;
            }
            out << fm.elidedText(current, Qt::ElideRight, width);
            current = word;
        }
        out << fm.elidedText(current, Qt::ElideRight, width);
    }
    return out;
}

QRectF innerRect(const QRectF& rect, const Frame& f)
{
    const double margin = 6 * f.s;
    return rect.adjusted(margin, margin, -margin, -margin);
}

QStringList titleLines(const Chart& c, const QRectF& inner, const Frame& f)
{
    return wrapped(c.title, QFontMetricsF(f.title), inner.width());
}

QStringList footLines(const Chart& c, const QRectF& inner, const Frame& f)
{
    return wrapped(c.foot, QFontMetricsF(f.foot), inner.width());
}

// The rectangle between the title lines at the top and the foot lines at
// the bottom.
QRectF areaBetweenTitleAndFoot(const Chart& c, const QRectF& rect, const Frame& f)
{
    const QRectF inner = innerRect(rect, f);
    const double top = inner.top() + titleLines(c, inner, f).size() * QFontMetricsF(f.title).lineSpacing();
    const double bottom =
        std::max(top, inner.bottom() - footLines(c, inner, f).size() * QFontMetricsF(f.foot).lineSpacing());
    return QRectF(inner.left(), top, inner.width(), bottom - top);
}

// Title lines centred at the top, foot lines left-aligned at the bottom,
// each broken into lines that fit the chart's width.
void drawTitleAndFoot(const Chart& c, QPainter& painter, const QRectF& rect, const Frame& f)
{
    const QRectF inner = innerRect(rect, f);

    painter.setPen(kMaroon);
    painter.setFont(f.title);
    const QFontMetricsF tm(f.title);
    double y = inner.top();
    for (const QString& text : titleLines(c, inner, f)) {
        painter.drawText(QRectF(inner.left(), y, inner.width(), tm.height()),
                         Qt::AlignHCenter | Qt::AlignVCenter, text);
        y += tm.lineSpacing();
    }

    painter.setFont(f.foot);
    const QFontMetricsF fm(f.foot);
    const QStringList foot = footLines(c, inner, f);
    double fy = inner.bottom() - foot.size() * fm.lineSpacing();
    for (const QString& text : foot) {
        painter.drawText(QRectF(inner.left(), fy, inner.width(), fm.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
        fy += fm.lineSpacing();
    }
}

// Where the series chart goes inside its area.
struct SeriesLayout
{
    bool valid = false;
    double minimum = 0, maximum = 1;
    double widest = 0; // the left axis labels
    double band = 0;   // the bottom labels
    double wall = 0;
    double dx = 0, dy = 0; // 3D depth
    QRectF plot;
    double slot = 0; // width per point
    int points = 0;

    double yOf(double v) const
    {
        v = std::clamp(v, minimum, maximum);
        return plot.bottom() - (v - minimum) / (maximum - minimum) * plot.height();
    }
    double xOf(int i) const { return plot.left() + slot * (i + 0.5); }
};

// Both series share the slots; the longer one names them.
const QList<Point>& slotSeries(const Chart& c)
{
    return c.bars.size() >= c.line.size() ? c.bars : c.line;
}

SeriesLayout layoutSeries(const Chart& c, const QRectF& area, const Frame& f)
{
    const double s = f.s;
    const QList<Point>& points = slotSeries(c);
    SeriesLayout l;
    l.minimum = c.axisMinimum;
    l.maximum = c.axisMaximum;
    if (!std::isfinite(l.minimum))
        l.minimum = 0;
    if (!std::isfinite(l.maximum) || l.maximum <= l.minimum)
        l.maximum = l.minimum + 1;

    const QFontMetricsF am(f.axis);
    const QFontMetricsF mm(f.marks);
    for (double v : {l.minimum, l.maximum})
        l.widest = std::max(l.widest, am.horizontalAdvance(formatValue(v, c.axisFormat)));

    // Bottom labels: a band of 56 px, deeper when the longest label needs it.
    double longest = 0;
    for (const Point& p : points)
        longest = std::max(longest, am.horizontalAdvance(p.label));
    l.band = std::max(56 * s, longest + 8 * s);

    l.wall = 4 * s;
    const double availableWidth = area.width() - l.widest - 6 * s - l.wall;
    const double availableHeight = area.height() - l.band - l.wall;
    double depth = 0;
    if (c.view3D)
        depth = std::clamp(c.depthPercent, 0, 100) / 100.0
                * std::max(0.0, std::min(availableWidth, availableHeight)) * 0.5;
    l.dx = depth;
    l.dy = depth * 0.75;

    const double left = area.left() + l.widest + 6 * s + l.wall;
    const double right = area.right() - l.dx;
    const double top = area.top() + mm.height() * 0.5 + l.dy;
    const double bottom = area.bottom() - l.band - l.wall;
    l.valid = right - left >= 10 * s && bottom - top >= 10 * s;
    l.plot = QRectF(QPointF(left, top), QPointF(right, bottom));
    l.points = int(points.size());
    l.slot = points.isEmpty() ? 0 : l.plot.width() / points.size();
    return l;
}

} // namespace

double detail::tickStep(double range, double step, double pixels, double labelHeight)
{
    if (!(step > 0))
        step = range / 10;
    if (!(step > 0))
        return 1.0;
    const double need = labelHeight * 1.5;
    static const double factors[] = {1, 2, 5};
    for (double decade = 1; decade < 1e12; decade *= 10) {
        for (double factor : factors) {
            const double candidate = step * factor * decade;
            if (range / candidate * need <= pixels)
                return candidate;
        }
    }
    return range;
}

namespace {

// Every how many points a bottom label stands: 1, 2, 5, 10, 20, 50 ...,
// the first that leaves a label's thickness free between two labels.
int labelStep(double slot, double thickness)
{
    if (!(slot > 0))
        return 1;
    static const int factors[] = {1, 2, 5};
    for (long long decade = 1; decade < 1000000000LL; decade *= 10)
        for (int factor : factors)
            if (slot * double(factor * decade) >= 2 * thickness)
                return int(factor * decade);
    return 1000000000;
}

// What the pieces of one series chart share while it is drawn.
struct SeriesScene
{
    const Chart& c;
    QPainter& painter;
    const QRectF& area;
    const Frame& f;
    const SeriesLayout& l;
};

// Walls: flat strips in 2D, the left side and the floor in 3D.
void drawWalls(const SeriesScene& sc)
{
    QPainter& painter = sc.painter;
    const SeriesLayout& l = sc.l;
    const QRectF& plot = l.plot;
    const double left = plot.left(), right = plot.right(), top = plot.top(), bottom = plot.bottom();
    const double wall = l.wall, dx = l.dx, dy = l.dy;
    painter.setPen(QPen(QColor(96, 96, 96), sc.f.s));
    if (sc.c.view3D) {
        painter.setBrush(kLeftWall);
        painter.drawPolygon(QPolygonF({QPointF(left, bottom), QPointF(left, top),
                                       QPointF(left + dx, top - dy), QPointF(left + dx, bottom - dy)}));
        painter.setBrush(kBottomWall);
        painter.drawPolygon(QPolygonF({QPointF(left, bottom), QPointF(right, bottom),
                                       QPointF(right + dx, bottom - dy), QPointF(left + dx, bottom - dy)}));
        // The floor's front edge, seen even when the bars cover the floor.
        painter.drawPolygon(QPolygonF({QPointF(left, bottom), QPointF(right, bottom),
                                       QPointF(right + dx, bottom - dy),
                                       QPointF(right + dx, bottom - dy + wall),
                                       QPointF(right, bottom + wall), QPointF(left, bottom + wall)}));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(plot.translated(dx, -dy));
    } else {
        painter.setBrush(kLeftWall);
        painter.drawRect(QRectF(left - wall, top, wall, plot.height() + wall));
        painter.setBrush(kBottomWall);
        painter.drawRect(QRectF(left - wall, bottom, plot.width() + wall, wall));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(plot);
    }
}

// Ticks, grid on the back wall, labels at the front.
void drawValueAxis(const SeriesScene& sc)
{
    QPainter& painter = sc.painter;
    const SeriesLayout& l = sc.l;
    const double s = sc.f.s;
    const QFontMetricsF am(sc.f.axis);
    const double step = tickStep(l.maximum - l.minimum, sc.c.axisStep, l.plot.height(), am.height());
    painter.setFont(sc.f.axis);
    const double first = std::ceil(l.minimum / step - 1e-9) * step;
    for (int i = 0;; ++i) {
        const double v = first + i * step;
        if (v > l.maximum + step * 1e-9 || i > 1000)
            break;
        const double y = l.yOf(v);
        painter.setPen(QPen(kGrid, s, Qt::DotLine));
        painter.drawLine(QPointF(l.plot.left() + l.dx, y - l.dy), QPointF(l.plot.right() + l.dx, y - l.dy));
        if (sc.c.view3D)
            painter.drawLine(QPointF(l.plot.left(), y), QPointF(l.plot.left() + l.dx, y - l.dy));
        painter.setPen(Qt::black);
        const QRectF label(sc.area.left(), y - am.height() / 2, l.widest, am.height());
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, formatValue(v, sc.c.axisFormat));
    }
}

// The bars; returns where each bar's mark hangs from.
QList<QPointF> drawBars(const SeriesScene& sc)
{
    QPainter& painter = sc.painter;
    const SeriesLayout& l = sc.l;
    const double s = sc.f.s, dx = l.dx, dy = l.dy;
    const double base = l.yOf(std::max(l.minimum, std::min(0.0, l.maximum)));
    const double half = l.slot * 0.65 / 2;
    QList<QPointF> tops;
    for (int i = 0; i < sc.c.bars.size(); ++i) {
        const Point& p = sc.c.bars[i];
        const QColor colour = p.colour.isValid() ? p.colour : QColor(Qt::red);
        const double x0 = l.xOf(i) - half, x1 = l.xOf(i) + half;
        const double y = l.yOf(p.y);
        const QRectF bar(QPointF(x0, std::min(y, base)), QPointF(x1, std::max(y, base)));
        const QLinearGradient gradient = barGradient(bar, colour);
        // Upright rectangles need no smoothing; narrow bars get no
        // outline and no gradient so that they keep their colour.
        painter.setRenderHint(QPainter::Antialiasing, false);
        if (bar.width() >= 8 * s) {
            painter.setPen(QPen(colour.darker(150), s * 0.5));
            painter.setBrush(gradient);
        } else {
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
        }
        painter.drawRect(bar);
        painter.setRenderHint(QPainter::Antialiasing, true);
        if (sc.c.view3D) {
            painter.setBrush(colour.lighter(130));
            painter.drawPolygon(QPolygonF({bar.topLeft(), bar.topRight(), bar.topRight() + QPointF(dx, -dy),
                                           bar.topLeft() + QPointF(dx, -dy)}));
            painter.setBrush(colour.darker(130));
            painter.drawPolygon(QPolygonF({bar.topRight(), bar.bottomRight(), bar.bottomRight() + QPointF(dx, -dy),
                                           bar.topRight() + QPointF(dx, -dy)}));
        }
        tops.append(QPointF(l.xOf(i) + dx / 2, bar.top() - dy / 2));
    }
    return tops;
}

// The line; returns where each point's mark hangs from.
QList<QPointF> drawLine(const SeriesScene& sc)
{
    QPainter& painter = sc.painter;
    const SeriesLayout& l = sc.l;
    const double s = sc.f.s, dx = l.dx, dy = l.dy;
    QPolygonF front;
    for (int i = 0; i < sc.c.line.size(); ++i)
        front.append(QPointF(l.xOf(i), l.yOf(sc.c.line[i].y)));
    if (sc.c.view3D) {
        painter.setPen(QPen(kLineColour.darker(140), s * 0.5));
        for (int i = 0; i + 1 < front.size(); ++i) {
            const QPointF a = front[i], b = front[i + 1];
            painter.setBrush(b.y() <= a.y() ? kLineColour : kLineColour.darker(130));
            painter.drawPolygon(QPolygonF({a, b, b + QPointF(dx, -dy), a + QPointF(dx, -dy)}));
        }
        if (front.size() == 1) {
            painter.setPen(QPen(kLineColour, 2 * s));
            painter.drawLine(front[0], front[0] + QPointF(dx, -dy));
        }
    } else {
        painter.setPen(QPen(kLineColour, 2 * s));
        painter.setBrush(Qt::NoBrush);
        // Smoothing a line of thousands of points costs seconds where
        // they stand closer than a pixel or two: such a line is drawn
        // plain, in segments.
        if (l.slot < 3 * s) {
            painter.setRenderHint(QPainter::Antialiasing, false);
            QList<QLineF> segments;
            segments.reserve(front.size());
            for (int i = 0; i + 1 < front.size(); ++i)
                segments.append(QLineF(front[i], front[i + 1]));
            painter.drawLines(segments);
            painter.setRenderHint(QPainter::Antialiasing, true);
        } else {
            painter.drawPolyline(front);
        }
    }
    QList<QPointF> tops;
    for (const QPointF& p : front)
        tops.append(QPointF(p.x() + dx / 2, p.y() - dy / 2));
    return tops;
}

// Value marks, each on its pale box: all upright, all turned, or none.
void drawValueMarks(const SeriesScene& sc, const QList<Point>& series, const QList<QPointF>& tops)
{
    QPainter& painter = sc.painter;
    const double s = sc.f.s;
    const QFontMetricsF mm(sc.f.marks);
    painter.setFont(sc.f.marks);
    const QRectF markBounds(sc.area.left(), sc.area.top(), sc.area.width(), sc.l.plot.bottom() - sc.area.top());
    QStringList texts;
    QList<QRectF> upright;
    for (int i = 0; i < series.size(); ++i) {
        texts.append(formatValue(series[i].y, sc.c.markFormat));
        const QPointF anchor(tops[i].x(), tops[i].y() - 3 * s);
        upright.append(markRect(mm, texts.last(), anchor, markBounds, s));
    }
    // Upright when no mark covers another; the marks go from left to
    // right, so only those still reaching into a mark's column need a look.
    bool fit = true;
    QList<QRectF> reaching;
    for (int i = 0; i < upright.size() && fit; ++i) {
        const QRectF& box = upright[i];
        reaching.removeIf([&](const QRectF& drawn) { return drawn.right() + s < box.left(); });
        fit = std::none_of(reaching.cbegin(), reaching.cend(),
                           [&](const QRectF& drawn) { return box.intersects(drawn.adjusted(-s, 0, s, 0)); });
        reaching.append(box);
    }
    if (fit) {
        for (int i = 0; i < upright.size(); ++i)
            drawMarkBox(painter, upright[i], texts[i], s);
        return;
    }
    const double thickness = mm.height() + 2 * s;
    if (series.size() > 1 && thickness + s > sc.l.slot)
        return; // too dense: the values are in the tooltips
    for (int i = 0; i < series.size(); ++i)
        drawTurnedMark(painter, mm, texts[i], tops[i], markBounds, s);
}

// Bottom labels, turned by 90 degrees, reading upwards, at every n-th
// point: a label's thickness stays free between two labels.
void drawBottomLabels(const SeriesScene& sc, const QList<Point>& points)
{
    QPainter& painter = sc.painter;
    const SeriesLayout& l = sc.l;
    const double s = sc.f.s;
    const QFontMetricsF am(sc.f.axis);
    const double bottom = l.plot.bottom();
    painter.setFont(sc.f.axis);
    painter.setPen(Qt::black);
    const double labelTop = bottom + l.wall + 3 * s;
    const int every = labelStep(l.slot, am.height());
    if (every > 1) {
        painter.setPen(QPen(Qt::black, s));
        for (int i = 0; i < points.size(); i += every)
            painter.drawLine(QPointF(l.xOf(i), bottom + l.wall), QPointF(l.xOf(i), labelTop - s));
    }
    for (int i = 0; i < points.size(); i += every) {
        const QString& text = points[i].label;
        const double w = am.horizontalAdvance(text);
        painter.save();
        painter.translate(l.xOf(i), labelTop);
        painter.rotate(-90);
        painter.drawText(QRectF(-w - s, -am.height() / 2, w + s, am.height()), Qt::AlignRight | Qt::AlignVCenter,
                         text);
        painter.restore();
    }
}

void drawSeriesChart(const Chart& c, QPainter& painter, const QRectF& area, const Frame& f)
{
    const QList<Point>& points = slotSeries(c);
    const SeriesLayout l = layoutSeries(c, area, f);
    if (!l.valid)
        return;
    const SeriesScene sc{c, painter, area, f, l};
    drawWalls(sc);
    drawValueAxis(sc);
    if (points.isEmpty())
        return;
    const QList<QPointF> barTops = c.bars.isEmpty() ? QList<QPointF>() : drawBars(sc);
    const QList<QPointF> lineTops = c.line.isEmpty() ? QList<QPointF>() : drawLine(sc);
    drawValueMarks(sc, c.bars, barTops);
    drawValueMarks(sc, c.line, lineTops);
    drawBottomLabels(sc, points);
}

Frame makeFrame(double scale)
{
    Frame f;
    f.s = scale;
    f.title = pixelFont(QStringLiteral("Verdana"), 13 * f.s, true, true);
    f.foot = pixelFont(QStringLiteral("Arial"), 12 * f.s, false, true);
    f.marks = pixelFont(QStringLiteral("Verdana"), 11 * f.s);
    f.axis = pixelFont(QStringLiteral("Arial"), 11 * f.s);
    return f;
}

// Where the pie or the axes with the series go.
QRectF chartArea(const Chart& c, const QRectF& rect, const Frame& f)
{
    return areaBetweenTitleAndFoot(c, rect, f).adjusted(0, 4 * f.s, 0, -4 * f.s);
}

} // namespace

int pointAt(const Chart& c, const QRectF& rect, const QPointF& position)
{
    if (c.showsPie() || c.messageOnly)
        return -1;
    const Frame f = makeFrame(1.0);
    const QRectF area = chartArea(c, rect, f);
    if (!(area.width() > 0 && area.height() > 0))
        return -1;
    if (c.isCalendar())
        return calendarSlotAt(c, area, f, position);
    const SeriesLayout l = layoutSeries(c, area, f);
    if (!l.valid || l.points == 0 || !l.plot.adjusted(0, -l.dy, l.dx, 0).contains(position))
        return -1;
    return std::clamp(int((position.x() - l.plot.left()) / l.slot), 0, l.points - 1);
}

void render(const Chart& c, QPainter& painter, const QRectF& rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setClipRect(rect, Qt::IntersectClip);

    QLinearGradient background(rect.bottomLeft(), rect.topLeft());
    background.setColorAt(0, kBackgroundStart);
    background.setColorAt(1, kBackgroundEnd);
    painter.fillRect(rect, background);

    const Frame f = makeFrame(deviceScale(painter));
    drawTitleAndFoot(c, painter, rect, f);
    const QRectF area = chartArea(c, rect, f);
    if (!c.messageOnly && area.width() > 0 && area.height() > 0) {
        if (c.isCalendar())
            drawCalendarChart(c, painter, area, f);
        else if (c.showsPie())
            drawPie(c, painter, area, f);
        else
            drawSeriesChart(c, painter, area, f);
    }
    painter.restore();
}

// ---------------------------------------------------------------------------
// The view

ChartView::ChartView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
}

QImage ChartView::toImage() const
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    chart::render(m_chart, painter, QRectF(QPointF(0, 0), QSizeF(size())));
    return image;
}

QString ChartView::toolTipAt(const QPoint& position) const
{
    const int i = pointAt(m_chart, QRectF(rect()), QPointF(position));
    if (i < 0)
        return QString();
    if (m_chart.isCalendar())
        return calendarToolTip(m_chart, i);
    const Point& p = slotSeries(m_chart)[i];
    return p.label + QStringLiteral(": ") + formatValue(p.y, m_chart.markFormat);
}

bool ChartView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

void ChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    chart::render(m_chart, painter, QRectF(rect()));
}

void ChartView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Q_EMIT resized();
}

} // namespace chart
