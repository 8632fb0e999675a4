#pragma once

#include "courseanalysis.h"

#include <QPainter>
#include <QWidget>

// The route of a course from its positions, drawn without map tiles:
// equirectangular around the route's centre, north up, with a scale bar,
// the start and finish and a mark at every kilometre; a break at each
// gap. A course without positions says so.
class RouteMap : public QWidget
{
    Q_OBJECT

public:
    explicit RouteMap(QWidget* parent = nullptr);

    // The analysis stays the caller's and must outlive the view.
    void setCourse(const course::Analysis* analysis);
    // A dot on the point of that index (the curves' cursor); -1 none.
    void setCursorPoint(int index);

    void render(QPainter& painter, const QRectF& area) const;

    static QString scaleText(double metres);
    // The length of the scale bar: 1, 2 or 5 times a power of ten, at most `metres`.
    static double scaleLength(double metres);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const course::Analysis* m_analysis = nullptr;
    int m_cursor = -1;
};
