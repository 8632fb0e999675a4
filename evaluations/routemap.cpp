#include "routemap.h"

#include <QPainterPath>

#include <cmath>
#include <optional>

namespace {

constexpr double kMetresPerDegree = 6371008.8 * M_PI / 180.0;
constexpr double kMargin = 18.0;

} // namespace

RouteMap::RouteMap(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(240, 240);
}

void RouteMap::setCourse(const course::Analysis* analysis)
{
    m_analysis = analysis;
    m_cursor = -1;
    update();
}

void RouteMap::setCursorPoint(int index)
{
    m_cursor = index;
    update();
}

double RouteMap::scaleLength(double metres)
{
    if (!(metres >= 1.0))
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(metres)));
    for (const double f : {5.0, 2.0, 1.0})
        if (f * power <= metres)
            return f * power;
    return power;
}

QString RouteMap::scaleText(double metres)
{
    if (metres >= 1000.0)
        return QLocale(QLocale::German).toString(metres / 1000.0, 'g', 6) + QStringLiteral(" km");
    return QString::number(std::lround(metres)) + QStringLiteral(" m");
}

void RouteMap::render(QPainter& painter, const QRectF& area) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, QColor(250, 250, 245));
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    if (!m_analysis || !m_analysis->hasPositions) {
        painter.setPen(Qt::darkGray);
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, QStringLiteral("Keine Positionen aufgezeichnet"));
        painter.restore();
        return;
    }
    const QList<course::Point>& points = m_analysis->points;
    double latLow = 90, latHigh = -90, lonLow = 180, lonHigh = -180;
    for (const course::Point& p : points)
        if (p.hasPosition) {
            latLow = std::min(latLow, p.latitude);
            latHigh = std::max(latHigh, p.latitude);
            lonLow = std::min(lonLow, p.longitude);
            lonHigh = std::max(lonHigh, p.longitude);
        }
    const double latMid = (latLow + latHigh) / 2;
    const double lonMid = (lonLow + lonHigh) / 2;
    const double shrink = std::cos(latMid * M_PI / 180.0);
    // Metres east and north of the centre.
    const double width = std::max(1.0, (lonHigh - lonLow) * shrink * kMetresPerDegree);
    const double height = std::max(1.0, (latHigh - latLow) * kMetresPerDegree);
    const QRectF inner = area.adjusted(kMargin, kMargin, -kMargin, -kMargin - 16);
    const double scale = std::min(inner.width() / width, inner.height() / height); // px per metre
    const QPointF centre = inner.center();
    const auto place = [&](const course::Point& p) {
        return QPointF(centre.x() + (p.longitude - lonMid) * shrink * kMetresPerDegree * scale,
                       centre.y() - (p.latitude - latMid) * kMetresPerDegree * scale);
    };

    QPainterPath route;
    bool open = false;
    const course::Point* first = nullptr;
    const course::Point* last = nullptr;
    QList<QPair<QPointF, int>> kmMarks;
    int nextKm = 1;
    // Points closer than a pixel to the last one drawn add nothing but
    // stroking time (a long course has tens of thousands); the last point
    // of each stretch is drawn all the same.
    QPointF drawn;
    std::optional<QPointF> pending;
    const auto closeStretch = [&] {
        if (pending)
            route.lineTo(*pending);
        pending.reset();
    };
    for (const course::Point& p : points) {
        if (p.gapBefore) {
            closeStretch();
            open = false;
        }
        if (!p.hasPosition)
            continue;
        const QPointF at = place(p);
        if (!open) {
            route.moveTo(at);
            drawn = at;
        } else if (std::abs(at.x() - drawn.x()) + std::abs(at.y() - drawn.y()) < 1.0) {
            pending = at;
        } else {
            route.lineTo(at);
            drawn = at;
            pending.reset();
        }
        open = true;
        if (!first)
            first = &p;
        last = &p;
        if (p.distance >= nextKm * 1000.0) {
            kmMarks.append({at, int(p.distance / 1000.0)});
            nextKm = int(p.distance / 1000.0) + 1;
        }
    }
    closeStretch();
    painter.setPen(QPen(QColor(0, 90, 200), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(route);

    // A km mark only where it leaves room to the last one drawn.
    const QFontMetricsF metrics(painter.font());
    QPointF lastMark(-1e9, -1e9);
    for (const auto& [at, km] : kmMarks) {
        if (QLineF(at, lastMark).length() < 22.0)
            continue;
        lastMark = at;
        painter.setPen(QColor(0, 60, 140));
        painter.setBrush(Qt::white);
        painter.drawEllipse(at, 3.0, 3.0);
        painter.drawText(at + QPointF(5, -4), QString::number(km));
    }
    painter.setPen(Qt::black);
    painter.setBrush(QColor(30, 170, 60));
    painter.drawEllipse(place(*first), 6.0, 6.0);
    painter.setBrush(QColor(210, 30, 30));
    const QPointF end = place(*last);
    painter.drawRect(QRectF(end.x() - 5, end.y() - 5, 10, 10));
    if (m_cursor >= 0 && m_cursor < points.size() && points[m_cursor].hasPosition) {
        painter.setBrush(QColor(255, 200, 0));
        painter.drawEllipse(place(points[m_cursor]), 5.0, 5.0);
    }

    // Scale bar at the bottom left, about a quarter of the width.
    const double metres = scaleLength(area.width() / 4.0 / scale);
    const double length = metres * scale;
    const QPointF left(area.left() + kMargin, area.bottom() - 10);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawLine(left, left + QPointF(length, 0));
    painter.drawLine(left, left + QPointF(0, -5));
    painter.drawLine(left + QPointF(length, 0), left + QPointF(length, -5));
    painter.drawText(QRectF(left.x() + length + 6, left.y() - metrics.height(), 100, metrics.height() + 2),
                     Qt::AlignLeft | Qt::AlignBottom, scaleText(metres));
    painter.drawText(area.adjusted(0, 4, -8, 0), Qt::AlignRight | Qt::AlignTop, QStringLiteral("N ↑"));
    painter.restore();
}

void RouteMap::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    render(painter, QRectF(rect()));
}
