#include "chartdrawing.h"

#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace chart::detail {

namespace {

QColor colourOf(const Slice& slice)
{
    return slice.colour.isValid() ? slice.colour : QColor(Qt::gray);
}

// Where the pie stands and the texts of its labels.
struct PieLayout
{
    QList<Slice> slices;
    // Qt angles: counter-clockwise from three o'clock, in degrees.
    QList<double> starts, spans;
    QList<bool> onRight;
    QStringList texts;
    double depthPx = 0;
    double arrow = 0, gap = 0, pad = 0, boxHeight = 0;
    QPointF centre;
    double radius = 0;
    QRectF ellipse;
};

// The slices with a value, their angles and label texts; false when there
// is nothing to draw.
bool sliceUp(const Chart& c, const QRectF& area, const QFontMetricsF& mm, double s, PieLayout& p)
{
    double total = 0;
    for (const Slice& slice : c.pie) {
        if (slice.value > 0 && std::isfinite(slice.value)) {
            p.slices.append(slice);
            total += slice.value;
        }
    }
    if (p.slices.isEmpty() || !(total > 0))
        return false;
    p.arrow = 8 * s;
    p.gap = 2 * s;
    p.pad = 2 * s;
    p.boxHeight = mm.height() + p.pad;
    p.depthPx = c.view3D ? std::clamp(c.depthPercent, 0, 100) / 100.0 * std::min(area.width(), area.height()) : 0.0;
    double angle = 0;
    for (const Slice& slice : p.slices) {
        const double span = slice.value / total * 360.0;
        p.starts.append(angle);
        p.spans.append(span);
        p.onRight.append(std::cos((angle + span / 2) * M_PI / 180.0) >= 0);
        angle += span;
    }
    return true;
}

// Labels narrower than half the chart. The pie is round and as large as
// the height and its labels allow: each label stands beside its slice's
// rim, so the radius is the largest for which some centre keeps the pie
// and every label inside the area.
void fitPie(const QRectF& area, const QFontMetricsF& mm, double s, PieLayout& p)
{
    const double minRadius = 10 * s;
    const double labelRoom = std::max(20 * s, area.width() / 2 - minRadius - p.arrow - p.gap - 2 * p.pad);
    QList<double> widths, across;
    for (int i = 0; i < p.slices.size(); ++i) {
        p.texts.append(mm.elidedText(p.slices[i].label, Qt::ElideRight, labelRoom));
        widths.append(mm.horizontalAdvance(p.texts.last()) + 2 * p.pad);
        across.append(std::cos((p.starts[i] + p.spans[i] / 2) * M_PI / 180.0));
    }
    // The centres that fit a radius: from lowest to highest x.
    auto centres = [&](double r) {
        double lo = area.left() + r, hi = area.right() - r;
        for (int i = 0; i < p.slices.size(); ++i) {
            const double rim = (r + p.arrow) * across[i];
            if (p.onRight[i])
                hi = std::min(hi, area.right() - rim - p.gap - widths[i]);
            else
                lo = std::max(lo, area.left() - rim + p.gap + widths[i]);
        }
        return std::pair(lo, hi);
    };
    const double fitY = (area.height() - p.depthPx) / 2 - p.arrow - p.boxHeight / 2;
    double fits = minRadius, fails = std::max(minRadius, fitY) + 1;
    if (fitY <= minRadius) {
        fails = minRadius;
    } else {
        const auto [lo, hi] = centres(fitY);
        if (lo <= hi)
            fits = fails = fitY;
    }
    while (fails - fits > 0.25) {
        const double r = (fits + fails) / 2;
        const auto [lo, hi] = centres(r);
        (lo <= hi ? fits : fails) = r;
    }
    p.radius = fits;
    const auto [lowest, highest] = centres(p.radius);
    const double cx = lowest <= highest ? (lowest + highest) / 2 : area.center().x();
    p.centre = QPointF(cx, area.center().y() - p.depthPx / 2);
    p.ellipse = QRectF(p.centre.x() - p.radius, p.centre.y() - p.radius, 2 * p.radius, 2 * p.radius);
}

void drawSlices(QPainter& painter, const PieLayout& p, double s)
{
    if (p.depthPx > 0) {
        painter.setPen(Qt::NoPen);
        for (int k = int(std::lround(p.depthPx)); k >= 1; --k) {
            const QRectF layer = p.ellipse.translated(0, k);
            for (int i = 0; i < p.slices.size(); ++i) {
                painter.setBrush(colourOf(p.slices[i]).darker(150));
                painter.drawPie(layer, int(std::lround(p.starts[i] * 16)), int(std::lround(p.spans[i] * 16)));
            }
        }
    }
    painter.setPen(QPen(QColor(64, 64, 64), 0.5 * s));
    for (int i = 0; i < p.slices.size(); ++i) {
        painter.setBrush(colourOf(p.slices[i]));
        painter.drawPie(p.ellipse, int(std::lround(p.starts[i] * 16)), int(std::lround(p.spans[i] * 16)));
    }
}

struct Label
{
    QPointF edge; // on the slice's rim
    QRectF box;
    bool right;
    int index;
};

// Labels beside the slices: right half and left half, each ordered top
// to bottom and pushed apart so that no two boxes overlap.
QList<Label> placeLabels(const PieLayout& p, const QRectF& area, const QFontMetricsF& mm, double s)
{
    QList<Label> labels;
    for (int i = 0; i < p.slices.size(); ++i) {
        const double mid = (p.starts[i] + p.spans[i] / 2) * M_PI / 180.0;
        const QPointF dir(std::cos(mid), -std::sin(mid));
        QPointF edge(p.centre.x() + p.radius * dir.x(), p.centre.y() + p.radius * dir.y());
        if (p.depthPx > 0 && dir.y() > 0)
            edge.ry() += p.depthPx * dir.y();
        const QPointF tip = edge + dir * p.arrow;
        const bool right = p.onRight[i];
        const double w = mm.horizontalAdvance(p.texts[i]) + 2 * p.pad;
        const double x = right ? tip.x() + p.gap : tip.x() - p.gap - w;
        labels.append({edge, QRectF(x, tip.y() - p.boxHeight / 2, w, p.boxHeight), right, i});
    }
    for (bool side : {true, false}) {
        QList<Label*> column;
        for (Label& label : labels)
            if (label.right == side)
                column.append(&label);
        std::sort(column.begin(), column.end(),
                  [](const Label* a, const Label* b) { return a->box.top() < b->box.top(); });
        for (int i = 1; i < column.size(); ++i)
            if (column[i]->box.top() < column[i - 1]->box.bottom() + s)
                column[i]->box.moveTop(column[i - 1]->box.bottom() + s);
        double limit = area.bottom();
        for (int i = int(column.size()) - 1; i >= 0; --i) {
            if (column[i]->box.bottom() > limit)
                column[i]->box.moveBottom(limit);
            limit = column[i]->box.top() - s;
        }
        for (Label* label : column) {
            if (label->box.top() < area.top())
                label->box.moveTop(area.top());
            if (label->box.left() < area.left())
                label->box.moveLeft(area.left());
            if (label->box.right() > area.right())
                label->box.moveRight(area.right());
        }
    }
    return labels;
}

void drawLabels(QPainter& painter, const QList<Label>& labels, const QStringList& texts, double s)
{
    for (const Label& label : labels) {
        const QPointF end(label.right ? label.box.left() : label.box.right(), label.box.center().y());
        painter.setPen(QPen(Qt::black, s));
        painter.drawLine(end, label.edge);
        // A small head on the slice's end of the arrow.
        const QPointF d = label.edge - end;
        const double len = std::hypot(d.x(), d.y());
        if (len > 0) {
            const QPointF u = d / len, n(-u.y(), u.x());
            const double h = 3 * s;
            painter.setBrush(Qt::black);
            painter.drawPolygon(QPolygonF({label.edge, label.edge - u * h + n * h * 0.6,
                                           label.edge - u * h - n * h * 0.6}));
        }
        drawMarkBox(painter, label.box, texts[label.index], s);
    }
}

} // namespace

void drawPie(const Chart& c, QPainter& painter, const QRectF& area, const Frame& f)
{
    const double s = f.s;
    const QFontMetricsF mm(f.marks);
    PieLayout p;
    if (!sliceUp(c, area, mm, s, p))
        return;
    fitPie(area, mm, s, p);
    drawSlices(painter, p, s);
    const QList<Label> labels = placeLabels(p, area, mm, s);
    painter.setFont(f.marks);
    drawLabels(painter, labels, p.texts, s);
}

} // namespace chart::detail
