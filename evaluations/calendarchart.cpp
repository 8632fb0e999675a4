// The calendar chart: series over days, weeks or months, with a legend and
// a bottom axis that names as many slots as there is room for.

#include "chartdrawing.h"

#include <QLineF>
#include <QLinearGradient>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <vector>

namespace chart::detail {

namespace {

QString valueString(const Chart& c, double value, const QString& format)
{
    return c.valueText ? c.valueText(value) : formatValue(value, format);
}

// The slot a value stands in, or -1 outside the chart.
int slotOf(const Chart& c, double x)
{
    if (!std::isfinite(x))
        return -1;
    const long long i = std::llround(x);
    return i >= 0 && i < c.slots ? int(i) : -1;
}

struct LegendItem
{
    QRectF box;
    QPointF text; // left end of the text's middle line
    QString name;
    QColor colour;
};

// The legend's items laid out in rows across the area's top, each row
// centred; returns its height (0 without a legend).
double layoutLegend(const Chart& c, const QRectF& area, const Frame& f, QList<LegendItem>& items)
{
    QList<const Series*> named;
    for (const Series& series : c.series)
        if (!series.name.isEmpty())
            named.append(&series);
    if (named.size() < 2)
        return 0;
    const double s = f.s;
    const QFontMetricsF am(f.axis);
    const double box = std::round(am.height() * 0.7);
    const double gap = 4 * s, between = 14 * s;
    const double rowHeight = am.lineSpacing();

    QList<QList<LegendItem>> rows(1);
    QList<double> widths(1, 0.0);
    for (const Series* series : named) {
        const QString name = am.elidedText(series->name, Qt::ElideRight, std::max(20 * s, area.width() - box - gap));
        const double width = box + gap + am.horizontalAdvance(name);
        double& used = widths.last();
        if (used > 0 && used + between + width > area.width()) {
            rows.append(QList<LegendItem>());
            widths.append(0.0);
        }
        double& row = widths.last();
        const double x = row > 0 ? row + between : 0;
        const double y = (rows.size() - 1) * rowHeight;
        rows.last().append(LegendItem{QRectF(x, y + (rowHeight - box) / 2, box, box),
                                      QPointF(x + box + gap, y + rowHeight / 2), name,
                                      series->colour.isValid() ? series->colour : QColor(Qt::gray)});
        row = x + width;
    }
    for (int r = 0; r < rows.size(); ++r) {
        const QPointF shift(area.left() + (area.width() - widths[r]) / 2, area.top());
        for (LegendItem& item : rows[r]) {
            item.box.translate(shift);
            item.text += shift;
            items.append(item);
        }
    }
    return rows.size() * rowHeight + 4 * s;
}

// The labels under the bottom axis, by slot: the candidates of the lowest
// rank for which they and those of every higher rank keep a label's
// thickness free between neighbours. A label that would crowd one of a
// higher rank gives way to it; when even the highest rank crowds, every
// n-th of it stands.
QList<const AxisLabel*> chooseLabels(const QList<AxisLabel>& candidates, int slots, double slotWidth,
                                     double thickness)
{
    std::vector<const AxisLabel*> all;
    all.reserve(candidates.size());
    for (const AxisLabel& label : candidates)
        if (label.slot >= 0 && label.slot < slots)
            all.push_back(&label);
    if (all.empty() || !(slotWidth > 0))
        return {};
    std::stable_sort(all.begin(), all.end(), [](const AxisLabel* a, const AxisLabel* b) { return a->slot < b->slot; });
    int lowest = all.front()->rank, highest = lowest;
    for (const AxisLabel* label : all) {
        lowest = std::min(lowest, label->rank);
        highest = std::max(highest, label->rank);
    }

    const double need = 2 * thickness - 1e-6; // between the centres of two labels
    const double room = slots * slotWidth + need;
    auto fits = [&](const std::vector<const AxisLabel*>& chosen) {
        for (size_t i = 1; i < chosen.size(); ++i)
            if ((chosen[i]->slot - chosen[i - 1]->slot) * slotWidth < need)
                return false;
        return true;
    };
    auto crowds = [&](const std::vector<const AxisLabel*>& kept, const AxisLabel* label) {
        const auto next = std::lower_bound(kept.begin(), kept.end(), label->slot,
                                           [](const AxisLabel* a, int slot) { return a->slot < slot; });
        if (next != kept.end() && ((*next)->slot - label->slot) * slotWidth < need)
            return true;
        return next != kept.begin() && (label->slot - (*(next - 1))->slot) * slotWidth < need;
    };

    for (int rank = lowest; rank <= highest; ++rank) {
        const auto count = std::count_if(all.begin(), all.end(), [&](const AxisLabel* l) { return l->rank >= rank; });
        if (count * need > room)
            continue; // too many to fit, whichever give way
        std::vector<const AxisLabel*> kept;
        for (int r = highest; r >= rank; --r) {
            std::vector<const AxisLabel*> added;
            for (const AxisLabel* label : all)
                if (label->rank == r && (r == highest || !crowds(kept, label)))
                    added.push_back(label);
            std::vector<const AxisLabel*> merged;
            merged.reserve(kept.size() + added.size());
            std::merge(kept.begin(), kept.end(), added.begin(), added.end(), std::back_inserter(merged),
                       [](const AxisLabel* a, const AxisLabel* b) { return a->slot < b->slot; });
            kept.swap(merged);
        }
        if (fits(kept))
            return QList<const AxisLabel*>(kept.begin(), kept.end());
    }

    std::vector<const AxisLabel*> top;
    for (const AxisLabel* label : all)
        if (label->rank == highest)
            top.push_back(label);
    for (size_t every = 2; every < top.size(); ++every) {
        std::vector<const AxisLabel*> chosen;
        for (size_t i = 0; i < top.size(); i += every)
            chosen.push_back(top[i]);
        if (fits(chosen))
            return QList<const AxisLabel*>(chosen.begin(), chosen.end());
    }
    return {top.front()};
}

// How thick a turned bottom label is: the inked height of its text in the
// real font, measured on a sample of the candidates (the first dozen and
// the first of each rank; they share their forms).
double labelThickness(const QList<AxisLabel>& candidates, const QFontMetricsF& fm)
{
    QString sample;
    QList<int> ranks;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        if (i < 12 || !ranks.contains(candidates[i].rank))
            sample += candidates[i].text;
        if (!ranks.contains(candidates[i].rank))
            ranks.append(candidates[i].rank);
    }
    const double inked = fm.tightBoundingRect(sample).height();
    return inked > 0 ? inked : fm.height();
}

struct CalendarLayout
{
    bool valid = false;
    double minimum = 0, maximum = 1;
    double widest = 0; // the left axis labels
    double band = 0;   // the bottom labels
    double wall = 0;
    double step = 1; // between labelled ticks of the left axis
    double legendHeight = 0;
    QRectF plot;
    double slot = 0; // width per slot
    QList<LegendItem> legend;
    QList<const AxisLabel*> labels;

    double yOf(double v) const
    {
        v = std::clamp(v, minimum, maximum);
        return plot.bottom() - (v - minimum) / (maximum - minimum) * plot.height();
    }
    double xOf(double x) const { return plot.left() + slot * (x + 0.5); }
};

// The first labelled tick value of the left axis.
double firstTick(double minimum, double step)
{
    return std::ceil(minimum / step - 1e-9) * step;
}

CalendarLayout layoutCalendar(const Chart& c, const QRectF& area, const Frame& f)
{
    const double s = f.s;
    CalendarLayout l;
    l.minimum = std::isfinite(c.axisMinimum) ? c.axisMinimum : 0.0;
    l.maximum = c.axisMaximum;
    if (!std::isfinite(l.maximum) || l.maximum <= l.minimum)
        l.maximum = l.minimum + 1;
    const double range = l.maximum - l.minimum;

    const QFontMetricsF am(f.axis);
    const QFontMetricsF mm(f.marks);
    l.legendHeight = layoutLegend(c, area, f, l.legend);
    l.wall = 4 * s;
    const double top = area.top() + l.legendHeight + std::max(am.height(), mm.height()) * 0.5;

    // The left axis is as wide as its widest label at the finest step the
    // height could take; every coarser step labels a part of those values.
    const double tallest = area.bottom() - 56 * s - l.wall - top;
    if (tallest < 10 * s)
        return l;
    const double fine = tickStep(range, c.axisStep, tallest, am.height());
    for (double v : {l.minimum, l.maximum})
        l.widest = std::max(l.widest, am.horizontalAdvance(valueString(c, v, c.axisFormat)));
    const double first = firstTick(l.minimum, fine);
    for (int i = 0; i <= 1000; ++i) {
        const double v = first + i * fine;
        if (v > l.maximum + fine * 1e-9)
            break;
        l.widest = std::max(l.widest, am.horizontalAdvance(valueString(c, v, c.axisFormat)));
    }

    const double left = area.left() + l.widest + 6 * s + l.wall;
    // Half a label's thickness of room for a label at the last slot.
    const double right = area.right() - am.height() / 2;
    if (right - left < 10 * s)
        return l;
    l.slot = (right - left) / c.slots;
    l.labels = chooseLabels(c.axisLabels, c.slots, l.slot, labelThickness(c.axisLabels, am));
    double longest = 0;
    for (const AxisLabel* label : l.labels)
        longest = std::max(longest, am.horizontalAdvance(label->text));
    l.band = std::max(56 * s, longest + 8 * s);
    const double bottom = area.bottom() - l.band - l.wall;
    l.valid = bottom - top >= 10 * s;
    l.plot = QRectF(QPointF(left, top), QPointF(right, bottom));
    l.step = tickStep(range, c.axisStep, l.plot.height(), am.height());
    return l;
}

void drawAxes(const Chart& c, QPainter& painter, const QRectF& area, const Frame& f, const CalendarLayout& l)
{
    const double s = f.s;
    const QRectF& plot = l.plot;
    const QFontMetricsF am(f.axis);

    // Walls: flat strips at the left and the bottom.
    painter.setPen(QPen(QColor(96, 96, 96), s));
    painter.setBrush(kLeftWall);
    painter.drawRect(QRectF(plot.left() - l.wall, plot.top(), l.wall, plot.height() + l.wall));
    painter.setBrush(kBottomWall);
    painter.drawRect(QRectF(plot.left() - l.wall, plot.bottom(), plot.width() + l.wall, l.wall));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(plot);

    painter.setFont(f.axis);
    const double first = firstTick(l.minimum, l.step);
    for (int i = 0; i <= 1000; ++i) {
        const double v = first + i * l.step;
        if (v > l.maximum + l.step * 1e-9)
            break;
        const double y = l.yOf(v);
        painter.setPen(QPen(kGrid, s, Qt::DotLine));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), y - am.height() / 2, l.widest, am.height()),
                         Qt::AlignRight | Qt::AlignVCenter, valueString(c, v, c.axisFormat));
    }
    // Values below 0: a clear line where they start.
    if (l.minimum < 0 && l.maximum > 0) {
        painter.setPen(QPen(Qt::black, 1.5 * s));
        const double y = l.yOf(0);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
}

void drawBars(const Chart& c, QPainter& painter, const Frame& f, const CalendarLayout& l)
{
    const double half = std::max(f.s, l.slot * 0.4) / 2;
    const double base = l.yOf(std::clamp(0.0, l.minimum, l.maximum));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    for (const Series& series : c.series) {
        if (series.kind != Series::Kind::Bars)
            continue;
        QList<QRectF> bars;
        bars.reserve(series.values.size());
        for (const QPointF& value : series.values) {
            const int i = slotOf(c, value.x());
            if (i < 0 || !std::isfinite(value.y()))
                continue;
            const double y = l.yOf(value.y()), x = l.xOf(i);
            bars.append(QRectF(QPointF(x - half, std::min(y, base)), QPointF(x + half, std::max(y, base))));
        }
        painter.setBrush(series.colour.isValid() ? series.colour : QColor(Qt::gray));
        painter.drawRects(bars);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
}

// The stacks from 0 upwards, first series at the bottom; returns each
// slot's total (NaN where nothing is stacked).
std::vector<double> drawStacks(const Chart& c, QPainter& painter, const Frame& f, const CalendarLayout& l)
{
    const double s = f.s;
    std::vector<double> totals(size_t(c.slots), std::nan(""));
    // At least a pixel wide, so that no week vanishes between its neighbours.
    const double half = std::max(l.slot * 0.65 / 2, 0.5 * s);
    const bool wide = 2 * half >= 8 * s;
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Series& series : c.series) {
        if (series.kind != Series::Kind::Stacked)
            continue;
        const QColor colour = series.colour.isValid() ? series.colour : QColor(Qt::gray);
        if (wide) {
            painter.setPen(QPen(colour.darker(150), s * 0.5));
        } else {
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
        }
        for (const QPointF& value : series.values) {
            const int i = slotOf(c, value.x());
            if (i < 0 || !std::isfinite(value.y()) || value.y() <= 0)
                continue;
            double& total = totals[size_t(i)];
            const double from = std::isnan(total) ? 0.0 : total;
            total = from + value.y();
            const double x = l.xOf(i);
            const QRectF part(QPointF(x - half, l.yOf(total)), QPointF(x + half, l.yOf(from)));
            if (wide)
                painter.setBrush(barGradient(part, colour));
            painter.drawRect(part);
        }
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    return totals;
}

// A line with several values to a pixel column: one upright stroke per
// column from its lowest to its highest value, reaching to the last value
// of the column before so that the line stays joined. It looks the same as
// all the segments and costs a fraction of them.
void drawColumns(const Chart& c, QPainter& painter, const CalendarLayout& l, const Series& series)
{
    QList<QLineF> strokes;
    strokes.reserve(int(l.plot.width()) + 2);
    bool open = false, joined = false;
    int column = 0;
    double lowest = 0, highest = 0, last = 0;
    auto flush = [&]() {
        if (open)
            strokes.append(QLineF(column + 0.5, lowest, column + 0.5, highest));
        open = false;
    };
    for (const QPointF& value : series.values) {
        if (!std::isfinite(value.y()) || !std::isfinite(value.x()) || value.x() < -0.5 || value.x() > c.slots - 0.5) {
            flush();
            joined = false;
            continue;
        }
        const QPointF point(l.xOf(value.x()), l.yOf(value.y()));
        const int k = int(std::floor(point.x()));
        if (!open || k != column) {
            flush();
            column = k;
            lowest = highest = point.y();
            if (joined) {
                lowest = std::min(lowest, last);
                highest = std::max(highest, last);
            }
            open = joined = true;
        }
        lowest = std::min(lowest, point.y());
        highest = std::max(highest, point.y());
        last = point.y();
    }
    flush();
    QPen pen = painter.pen();
    pen.setCapStyle(Qt::SquareCap);
    painter.setPen(pen);
    painter.drawLines(strokes);
}

void drawLines(const Chart& c, QPainter& painter, const Frame& f, const CalendarLayout& l)
{
    const double s = f.s;
    // Smoothing thousands of points costs far more than it shows where they
    // stand closer than a few pixels: such lines are drawn plain, in segments.
    const bool dense = l.slot < 3 * s;
    for (const Series& series : c.series) {
        if (series.kind != Series::Kind::Line)
            continue;
        const QColor colour = series.colour.isValid() ? series.colour : kLineColour;
        QPen pen(colour, 2 * s);
        pen.setJoinStyle(Qt::RoundJoin);
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.setRenderHint(QPainter::Antialiasing, !dense);
        if (l.slot < 1.0) {
            drawColumns(c, painter, l, series);
            continue;
        }
        QList<QLineF> segments;
        QPolygonF run;
        auto endRun = [&]() {
            if (run.size() == 1)
                painter.drawPoint(run.front()); // a lone value between gaps
            else if (!dense && run.size() > 1)
                painter.drawPolyline(run);
            run.clear();
        };
        for (const QPointF& value : series.values) {
            if (!std::isfinite(value.y()) || !std::isfinite(value.x()) || value.x() < -0.5 || value.x() > c.slots - 0.5) {
                endRun();
                continue;
            }
            const QPointF point(l.xOf(value.x()), l.yOf(value.y()));
            if (dense && !run.isEmpty())
                segments.append(QLineF(run.last(), point));
            run.append(point);
        }
        endRun();
        if (!segments.isEmpty())
            painter.drawLines(segments);
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
}

void drawDots(const Chart& c, QPainter& painter, const Frame& f, const CalendarLayout& l)
{
    const double r = 2 * f.s;
    for (const Series& series : c.series) {
        if (series.kind != Series::Kind::Dots)
            continue;
        const QColor colour = series.colour.isValid() ? series.colour : QColor(Qt::gray);
        painter.setPen(QPen(colour.darker(160), 0.5 * f.s));
        painter.setBrush(colour);
        for (const QPointF& value : series.values) {
            const int i = slotOf(c, value.x());
            if (i < 0 || !std::isfinite(value.y()))
                continue;
            painter.drawEllipse(QPointF(l.xOf(i), l.yOf(value.y())), r, r);
        }
    }
}

// The stacks' totals over them: all upright where none covers another,
// else none (the tooltip names them).
void drawTotals(const Chart& c, QPainter& painter, const QRectF& area, const Frame& f, const CalendarLayout& l,
                const std::vector<double>& totals)
{
    const double s = f.s;
    const QFontMetricsF mm(f.marks);
    // Under the legend, which they must not cover.
    const double top = area.top() + l.legendHeight;
    const QRectF bounds(area.left(), top, area.width(), l.plot.bottom() - top);
    QStringList texts;
    QList<QRectF> boxes;
    QList<int> slots;
    bool upright = true;
    for (int i = 0; i < c.slots; ++i) {
        const double total = totals[size_t(i)];
        if (!(total > 0))
            continue;
        texts.append(valueString(c, total, c.markFormat));
        slots.append(i);
        const QRectF box = markRect(mm, texts.last(), QPointF(l.xOf(i), l.yOf(total) - 3 * s), bounds, s);
        if (!boxes.isEmpty() && box.left() < boxes.last().right() + s)
            upright = false;
        boxes.append(box);
    }
    painter.setFont(f.marks);
    if (upright) {
        for (int i = 0; i < boxes.size(); ++i)
            drawMarkBox(painter, boxes[i], texts[i], s);
        return;
    }
    // Turned by 90 degrees where only that way they fit side by side;
    // otherwise none (the tooltip names each total).
    const double thickness = mm.height() + 2 * s;
    if (thickness + s > l.slot)
        return;
    for (int k = 0; k < slots.size(); ++k) {
        const int i = slots[k];
        drawTurnedMark(painter, mm, texts[k], QPointF(l.xOf(i), l.yOf(totals[size_t(i)])), bounds, s);
    }
}

void drawBottomLabels(QPainter& painter, const Frame& f, const CalendarLayout& l)
{
    const double s = f.s;
    const QFontMetricsF am(f.axis);
    const double bottom = l.plot.bottom() + l.wall;
    const double labelTop = bottom + 3 * s;
    painter.setFont(f.axis);
    painter.setPen(QPen(Qt::black, s));
    for (const AxisLabel* label : l.labels) {
        const double x = l.xOf(label->slot);
        painter.drawLine(QPointF(x, bottom), QPointF(x, labelTop - s));
        const double w = am.horizontalAdvance(label->text);
        painter.save();
        painter.translate(x, labelTop);
        painter.rotate(-90);
        painter.drawText(QRectF(-w - s, -am.height() / 2, w + s, am.height()), Qt::AlignRight | Qt::AlignVCenter,
                         label->text);
        painter.restore();
    }
}

void drawLegend(QPainter& painter, const Frame& f, const CalendarLayout& l)
{
    const QFontMetricsF am(f.axis);
    painter.setFont(f.axis);
    for (const LegendItem& item : l.legend) {
        painter.setPen(QPen(QColor(64, 64, 64), 0.5 * f.s));
        painter.setBrush(item.colour);
        painter.drawRect(item.box);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(item.text.x(), item.text.y() - am.height() / 2, am.horizontalAdvance(item.name) + f.s,
                                am.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, item.name);
    }
}

} // namespace

void drawCalendarChart(const Chart& c, QPainter& painter, const QRectF& area, const Frame& f)
{
    const CalendarLayout l = layoutCalendar(c, area, f);
    if (!l.valid)
        return;
    drawAxes(c, painter, area, f, l);
    painter.save();
    painter.setClipRect(l.plot.adjusted(-2 * f.s, -2 * f.s, 2 * f.s, 0), Qt::IntersectClip);
    drawBars(c, painter, f, l);
    const std::vector<double> totals = drawStacks(c, painter, f, l);
    // Lines over the dots, so that a trend stays seen among many points.
    drawDots(c, painter, f, l);
    drawLines(c, painter, f, l);
    painter.restore();
    drawTotals(c, painter, area, f, l, totals);
    drawBottomLabels(painter, f, l);
    drawLegend(painter, f, l);
}

int calendarSlotAt(const Chart& c, const QRectF& area, const Frame& f, const QPointF& position)
{
    const CalendarLayout l = layoutCalendar(c, area, f);
    if (!l.valid || !l.plot.contains(position))
        return -1;
    const int slot = std::clamp(int((position.x() - l.plot.left()) / l.slot), 0, c.slots - 1);
    // Dots stand far apart on long charts: the nearest within a few pixels
    // is meant, so that its value can be read.
    std::vector<bool> dotted;
    for (const Series& series : c.series) {
        if (series.kind != Series::Kind::Dots)
            continue;
        dotted.resize(size_t(c.slots), false);
        for (const QPointF& value : series.values)
            if (const int i = slotOf(c, value.x()); i >= 0 && std::isfinite(value.y()))
                dotted[size_t(i)] = true;
    }
    if (dotted.empty() || dotted[size_t(slot)])
        return slot;
    const int reach = int(std::ceil(4 * f.s / l.slot));
    for (int d = 1; d <= reach; ++d) {
        for (const int i : {slot - d, slot + d})
            if (i >= 0 && i < c.slots && dotted[size_t(i)]
                && std::abs(l.xOf(i) - position.x()) <= 4 * f.s + l.slot / 2)
                return i;
    }
    return slot;
}

QString calendarToolTip(const Chart& c, int slot)
{
    auto named = [](const QString& name, const QString& value) {
        return name.isEmpty() ? value : name + u' ' + value;
    };
    QStringList parts;
    bool stacked = false;
    double total = 0;
    for (const Series& series : c.series) {
        QStringList values;
        for (const QPointF& value : series.values) {
            if (slotOf(c, value.x()) != slot || !std::isfinite(value.y()))
                continue;
            if (series.kind == Series::Kind::Stacked) {
                if (value.y() == 0)
                    continue;
                total += value.y();
            }
            values.append(valueString(c, value.y(), c.markFormat));
            if (series.kind != Series::Kind::Dots)
                break;
        }
        stacked = stacked || series.kind == Series::Kind::Stacked;
        if (!values.isEmpty())
            parts.append(named(series.name, values.join(QStringLiteral(", "))));
    }
    if (stacked)
        parts.append(QStringLiteral("zusammen ") + valueString(c, total, c.markFormat));
    const QString heading = slot < c.slotNames.size() ? c.slotNames[slot] : QString();
    const QString values = parts.join(QStringLiteral(" · "));
    if (heading.isEmpty() || values.isEmpty())
        return heading + values;
    return heading + QStringLiteral(": ") + values;
}

} // namespace chart::detail
