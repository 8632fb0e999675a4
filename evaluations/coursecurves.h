#pragma once

#include "courseanalysis.h"

#include <QList>
#include <QPainter>
#include <QWidget>

// The curves of a course: each channel in a band of its own, one above
// the other, each with its own value axis, over one shared axis of
// distance or time. Lines break at gaps. A cursor follows the mouse; the
// view reports the point under it. render() draws the same picture onto
// any painter (screen, PNG, SVG, PDF).
class CourseCurves : public QWidget
{
    Q_OBJECT

public:
    explicit CourseCurves(QWidget* parent = nullptr);

    // The analysis stays the caller's and must outlive the view.
    void setCourse(const course::Analysis* analysis, const QList<course::Channel>& channels);
    void setAxis(course::Axis axis);
    course::Axis axis() const { return m_axis; }
    const QList<course::Channel>& channels() const { return m_channels; }

    // The cursor on the point of that index; -1 hides it.
    void setCursorPoint(int index);
    int cursorPoint() const { return m_cursor; }
    // The point nearest to the widget's x coordinate; -1 without points.
    int pointAtPixel(double x) const;

    void render(QPainter& painter, const QRectF& area) const;

    static QString channelTitle(course::Channel channel);

Q_SIGNALS:
    void cursorMoved(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Band
    {
        course::Channel channel;
        QList<QPointF> points;
        double low = 0.0;
        double high = 1.0;
    };
    QRectF plotArea(const QRectF& area) const;
    double xLow() const;
    double xHigh() const;
    void drawBand(QPainter& painter, const Band& band, const QRectF& rect, const QColor& colour) const;
    void drawXAxis(QPainter& painter, const QRectF& area, const QRectF& plot) const;

    const course::Analysis* m_analysis = nullptr;
    QList<course::Channel> m_channels;
    QList<Band> m_bands;
    course::Axis m_axis = course::Axis::Distance;
    int m_cursor = -1;
};
