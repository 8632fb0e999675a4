#pragma once

// What the chart tests look for in a drawing: colours, texts and where
// they are, and the slot of each point.

#include "chart.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QtTest>

namespace chart {

inline bool hasColour(const QImage& image, const QColor& colour)
{
    const QRgb wanted = colour.rgb();
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] | 0xff000000) == wanted)
                return true;
    }
    return false;
}

inline QImage rendered(const Chart& c, QSize size = QSize(676, 506), const char* suffix = "")
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(c, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    // Set TRAMORA_CHART_PICTURES to a folder to look at the drawings.
    const QString folder = qEnvironmentVariable("TRAMORA_CHART_PICTURES");
    if (!folder.isEmpty() && QTest::currentDataTag())
        image.save(folder + u'/' + QString::fromLatin1(QTest::currentDataTag()) + QString::fromLatin1(suffix)
                   + QStringLiteral(".png"));
    return image;
}

// A paint device that keeps where each text is drawn: the text and the
// box it covers on the device, after every transformation of the painter.
class TextRecorder : public QPaintDevice
{
public:
    struct Text
    {
        QString text;
        QRectF box;
    };

    explicit TextRecorder(QSize size) : m_size(size) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    const QList<Text>& texts() const { return m_engine.texts; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return QPaintDevice::metric(metric);
        }
    }

private:
    struct Engine : QPaintEngine
    {
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& state) override
        {
            if (state.state() & DirtyTransform)
                transform = state.transform();
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawPath(const QPainterPath&) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override
        {
            const QRectF box(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent());
            texts.append({item.text(), transform.mapRect(box)});
        }
        Type type() const override { return User; }
        QTransform transform;
        QList<Text> texts;
    };
    QSize m_size;
    mutable Engine m_engine;
};

// The slot of each point as the hit test finds it: its first and last x.
inline QList<QPair<int, int>> slots(const Chart& c, QSize size)
{
    QList<QPair<int, int>> found;
    const double y = size.height() / 2.0;
    for (int x = 0; x < size.width(); ++x) {
        const int i = pointAt(c, QRectF(QPointF(0, 0), QSizeF(size)), QPointF(x, y));
        if (i < 0)
            continue;
        if (i >= found.size())
            found.append({x, x});
        found[i].second = x;
    }
    return found;
}

// How often a colour occurs in an SVG text, as "#rrggbb" or "rgb(r,g,b)".
inline int colourCount(const QString& svg, const QColor& colour)
{
    return int(svg.count(colour.name(), Qt::CaseInsensitive)
               + svg.count(QStringLiteral("rgb(%1,%2,%3)").arg(colour.red()).arg(colour.green()).arg(colour.blue())));
}

} // namespace chart
