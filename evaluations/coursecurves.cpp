#include "coursecurves.h"

#include <QMouseEvent>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

using course::Axis;
using course::Channel;

namespace {

constexpr double kLeft = 58.0;
constexpr double kRight = 14.0;
constexpr double kTop = 6.0;
constexpr double kBottom = 30.0;
constexpr double kBandGap = 8.0;

QColor colourOf(Channel channel)
{
    switch (channel) {
    case Channel::Pace:
    case Channel::Speed:
        return QColor(0, 90, 200);
    case Channel::HeartRate:
        return QColor(200, 20, 30);
    case Channel::Altitude:
        return QColor(60, 130, 40);
    case Channel::Cadence:
        return QColor(150, 60, 170);
    }
    return Qt::black;
}

// The range that holds all but the outermost 1 % on either side, so that
// a few stray values do not flatten the curve.
std::pair<double, double> rangeOf(const QList<QPointF>& points)
{
    QList<double> values;
    values.reserve(points.size());
    for (const QPointF& p : points)
        if (std::isfinite(p.y()))
            values.append(p.y());
    if (values.isEmpty())
        return {0.0, 1.0};
    const qsizetype lowAt = values.size() / 100;
    const qsizetype highAt = values.size() - 1 - values.size() / 100;
    std::nth_element(values.begin(), values.begin() + lowAt, values.end());
    double low = values[lowAt];
    std::nth_element(values.begin(), values.begin() + highAt, values.end());
    double high = values[highAt];
    if (high - low < 1.0) { // a steady value in the middle of its band
        const double mid = (low + high) / 2.0;
        low = mid - 1.0;
        high = mid + 1.0;
    }
    const double pad = (high - low) * 0.08;
    return {low - pad, high + pad};
}

double niceStep(double span, int ticks)
{
    const double raw = span / std::max(1, ticks);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double f : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (raw <= f * power)
            return f * power;
    return 10.0 * power;
}

QString valueLabel(Channel channel, double v, double step)
{
    if (channel == Channel::Pace) {
        const int s = int(std::lround(v * 60.0));
        return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    }
    return QLocale(QLocale::German).toString(v, 'f', step < 1.0 ? 1 : 0);
}

} // namespace

CourseCurves::CourseCurves(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setMinimumSize(420, 260);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QString CourseCurves::channelTitle(Channel channel)
{
    switch (channel) {
    case Channel::Pace:
        return QStringLiteral("Tempo (min/km)");
    case Channel::Speed:
        return QStringLiteral("Geschwindigkeit (km/h)");
    case Channel::HeartRate:
        return QStringLiteral("Herzfrequenz (1/min)");
    case Channel::Altitude:
        return QStringLiteral("Höhe (m)");
    case Channel::Cadence:
        return QStringLiteral("Kadenz (1/min)");
    }
    return {};
}

void CourseCurves::setCourse(const course::Analysis* analysis, const QList<Channel>& channels)
{
    m_analysis = analysis;
    m_channels = channels;
    m_cursor = -1;
    setAxis(m_axis);
}

void CourseCurves::setAxis(Axis axis)
{
    m_axis = axis;
    m_bands.clear();
    if (m_analysis)
        for (const Channel channel : m_channels) {
            Band band{channel, course::curve(*m_analysis, channel, axis)};
            std::tie(band.low, band.high) = rangeOf(band.points);
            m_bands.append(band);
        }
    update();
}

void CourseCurves::setCursorPoint(int index)
{
    m_cursor = m_analysis && index >= 0 && index < m_analysis->points.size() ? index : -1;
    update();
}

double CourseCurves::xLow() const
{
    return m_analysis && !m_analysis->points.isEmpty()
               ? course::axisValue(m_analysis->points.constFirst(), m_axis) : 0.0;
}

double CourseCurves::xHigh() const
{
    const double high = m_analysis && !m_analysis->points.isEmpty()
                            ? course::axisValue(m_analysis->points.constLast(), m_axis) : 1.0;
    return high > xLow() ? high : xLow() + 1.0;
}

QRectF CourseCurves::plotArea(const QRectF& area) const
{
    return area.adjusted(kLeft, kTop, -kRight, -kBottom);
}

int CourseCurves::pointAtPixel(double x) const
{
    if (!m_analysis)
        return -1;
    const QRectF plot = plotArea(QRectF(rect()));
    const double at = xLow() + (x - plot.left()) / plot.width() * (xHigh() - xLow());
    return course::nearestPoint(*m_analysis, m_axis, at);
}

void CourseCurves::drawBand(QPainter& painter, const Band& band, const QRectF& r, const QColor& colour) const
{
    const bool inverted = band.channel == Channel::Pace; // faster is higher
    const auto yOf = [&](double v) {
        const double f = (v - band.low) / (band.high - band.low);
        return inverted ? r.top() + f * r.height() : r.bottom() - f * r.height();
    };
    painter.setPen(QColor(215, 215, 215));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(r);
    const double step = niceStep(band.high - band.low, std::max(1, int(r.height() / 28)));
    const QFontMetricsF metrics(painter.font());
    for (double v = std::ceil(band.low / step) * step; v <= band.high; v += step) {
        const double y = yOf(v);
        painter.setPen(QColor(232, 232, 232));
        painter.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
        painter.setPen(Qt::darkGray);
        painter.drawText(QRectF(r.left() - kLeft, y - metrics.height() / 2, kLeft - 5, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, valueLabel(band.channel, v, step));
    }

    // One pixel column holds the least and the greatest value that fall
    // into it, so that long courses draw as fast as short ones.
    painter.save();
    painter.setClipRect(r);
    // A one-pixel pen takes the raster engine's fast path for lines; a wider
    // one strokes the dense path of a long course slowly.
    QPen pen(colour, 1.0);
    pen.setCosmetic(true);
    painter.setPen(pen);
    const double x0 = xLow();
    const double xScale = r.width() / (xHigh() - x0);
    QPainterPath path;
    bool open = false;
    int column = std::numeric_limits<int>::min();
    double low = 0.0;
    double high = 0.0;
    const auto flush = [&] {
        if (column == std::numeric_limits<int>::min())
            return;
        const QPointF a(column, yOf(low));
        const QPointF b(column, yOf(high));
        if (open) {
            path.lineTo(a);
        } else {
            path.moveTo(a);
            open = true;
        }
        if (high != low)
            path.lineTo(b);
    };
    for (const QPointF& p : band.points) {
        if (!std::isfinite(p.y())) {
            flush();
            column = std::numeric_limits<int>::min();
            open = false;
            continue;
        }
        const int c = int(std::floor(r.left() + (p.x() - x0) * xScale));
        if (c != column) {
            flush();
            column = c;
            low = high = p.y();
        } else {
            low = std::min(low, p.y());
            high = std::max(high, p.y());
        }
    }
    flush();
    painter.drawPath(path);
    painter.restore();

    // The title above the curve, on a ground of its own so that it stays readable.
    const QString title = channelTitle(band.channel);
    const QRectF titleRect(r.left() + 3, r.top() + 2, metrics.horizontalAdvance(title) + 6, metrics.height());
    painter.fillRect(titleRect, QColor(255, 255, 255, 215));
    painter.setPen(colour);
    painter.drawText(titleRect, Qt::AlignCenter, title);
}

void CourseCurves::drawXAxis(QPainter& painter, const QRectF& area, const QRectF& plot) const
{
    const double x0 = xLow();
    const double span = xHigh() - x0;
    double step = niceStep(span, std::max(2, int(plot.width() / 90)));
    if (m_axis == Axis::Time && step > 1.0) // whole minutes, then 5, 10, 15, 30, 60 ...
        for (const double s : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 180.0, 360.0})
            if (s >= step) {
                step = s;
                break;
            }
    const QFontMetricsF metrics(painter.font());
    painter.setPen(Qt::darkGray);
    for (double v = std::ceil(x0 / step) * step; v <= x0 + span + 1e-9; v += step) {
        const double x = plot.left() + (v - x0) / span * plot.width();
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        QString text;
        if (m_axis == Axis::Distance) {
            text = QLocale(QLocale::German).toString(v, 'f', step < 1.0 ? 1 : 0);
        } else {
            const int minutes = int(std::lround(v));
            text = QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
        }
        painter.drawText(QRectF(x - 40, plot.bottom() + 5, 80, metrics.height()), Qt::AlignHCenter, text);
    }
    const QString unit = m_axis == Axis::Distance ? QStringLiteral("km") : QStringLiteral("h:mm");
    painter.drawText(QRectF(area.left() + 2, plot.bottom() + 5, kLeft - 20, metrics.height()), Qt::AlignLeft,
                     unit);
}

void CourseCurves::render(QPainter& painter, const QRectF& area) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(area, Qt::white);
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    const QRectF plot = plotArea(area);
    if (m_bands.isEmpty() || plot.width() < 10 || plot.height() < 10) {
        painter.setPen(Qt::darkGray);
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("Keine Werte aufgezeichnet"));
        painter.restore();
        return;
    }
    const double bandHeight = (plot.height() - kBandGap * (m_bands.size() - 1)) / m_bands.size();
    for (qsizetype i = 0; i < m_bands.size(); ++i) {
        const QRectF r(plot.left(), plot.top() + i * (bandHeight + kBandGap), plot.width(), bandHeight);
        drawBand(painter, m_bands[i], r, colourOf(m_bands[i].channel));
    }
    drawXAxis(painter, area, plot);
    if (m_cursor >= 0) {
        const double x = plot.left()
                         + (course::axisValue(m_analysis->points[m_cursor], m_axis) - xLow()) / (xHigh() - xLow())
                               * plot.width();
        painter.setPen(QPen(QColor(40, 40, 40), 1, Qt::DashLine));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    }
    painter.restore();
}

void CourseCurves::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    render(painter, QRectF(rect()));
}

void CourseCurves::mouseMoveEvent(QMouseEvent* event)
{
    const int index = pointAtPixel(event->position().x());
    if (index < 0)
        return;
    setCursorPoint(index);
    Q_EMIT cursorMoved(index);
    QToolTip::showText(event->globalPosition().toPoint(), toolTip(), this);
}

void CourseCurves::leaveEvent(QEvent*)
{
    QToolTip::hideText();
}
