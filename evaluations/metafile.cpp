#include "metafile.h"

#include <QFile>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtMath>

#include <cstdlib>
#include <vector>

extern "C" {
#include <uemf.h>
#include <uwmf.h>
}

namespace chart {
namespace {

// What a metafile format has to offer the engine: polygons and polylines in
// one pen and one solid fill, and text lines with a font at an angle. The
// engine hands over device coordinates; pens, brushes and fonts are made and
// selected by the recorder, reusing the selected one while it fits.
class Recorder
{
public:
    struct Pen
    {
        QColor colour; // invalid: no pen
        int width = 1;
        Qt::PenStyle style = Qt::SolidLine;
        bool operator==(const Pen&) const = default;
    };

    virtual ~Recorder() = default;
    virtual bool start(const QString& file, const QSize& size) = 0;
    virtual void shape(const QPolygon& points, bool closed, const Pen& pen, const QColor& fill) = 0;
    virtual void text(const QPoint& baseline, const QString& text, const QFont& font, int pixelHeight,
                      const QColor& colour, int tenthsOfDegree) = 0;
    virtual bool finish() = 0;

protected:
    // Dashes and dots exist only for thin pens in both formats.
    static uint16_t penStyle(const Pen& pen)
    {
        if (!pen.colour.isValid() || pen.style == Qt::NoPen)
            return U_PS_NULL;
        switch (pen.style) {
        case Qt::DotLine:
            return U_PS_DOT;
        case Qt::DashLine:
            return U_PS_DASH;
        default:
            return U_PS_SOLID;
        }
    }
    static int penWidth(const Pen& pen) { return penStyle(pen) == U_PS_SOLID ? qMax(1, pen.width) : 1; }
    static U_COLORREF colourRef(const QColor& c) { return U_RGB(c.red(), c.green(), c.blue()); }
    static int weight(const QFont& font) { return font.bold() ? U_FW_BOLD : U_FW_NORMAL; }

    bool m_failed = false;
    Pen m_pen{QColor(), -1, Qt::NoPen};
    QColor m_fill = QColor(1, 2, 3, 4); // nothing selected yet
};

class EmfRecorder : public Recorder
{
public:
    ~EmfRecorder() override
    {
        if (m_track)
            emf_free(&m_track);
        if (m_handles)
            emf_htable_free(&m_handles);
    }

    bool start(const QString& file, const QSize& size) override
    {
        if (emf_start(QFile::encodeName(file).constData(), 1 << 20, 1 << 18, &m_track) != 0
            || emf_htable_create(128, 128, &m_handles) != 0)
            return false;
        const U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(size.width() - 1, size.height() - 1));
        // The frame in hundredths of a millimetre, at 96 pixels per inch.
        const U_RECTL frame = rectl_set(point32_set(0, 0), point32_set(int(std::lround(size.width() * 2540.0 / 96)),
                                                                      int(std::lround(size.height() * 2540.0 / 96))));
        const U_SIZEL device = {size.width(), size.height()};
        const U_SIZEL millimetres = {int(std::lround(size.width() * 25.4 / 96)),
                                     int(std::lround(size.height() * 25.4 / 96))};
        append(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, device, millimetres, 0));
        append(U_EMRSETMAPMODE_set(U_MM_TEXT));
        append(U_EMRSETBKMODE_set(U_TRANSPARENT));
        append(U_EMRSETPOLYFILLMODE_set(U_WINDING));
        append(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
        return !m_failed;
    }

    void shape(const QPolygon& points, bool closed, const Pen& pen, const QColor& fill) override
    {
        select(pen, closed ? fill : QColor());
        std::vector<U_POINTL> p;
        for (const QPoint& q : points)
            p.push_back(point32_set(q.x(), q.y()));
        const QRect r = points.boundingRect();
        const U_RECTL bounds = rectl_set(point32_set(r.left(), r.top()), point32_set(r.right(), r.bottom()));
        append(closed ? U_EMRPOLYGON_set(bounds, uint32_t(p.size()), p.data())
                      : U_EMRPOLYLINE_set(bounds, uint32_t(p.size()), p.data()));
    }

    void text(const QPoint& baseline, const QString& text, const QFont& font, int pixelHeight, const QColor& colour,
              int tenthsOfDegree) override
    {
        uint16_t face[U_LF_FACESIZE] = {};
        const QString family = font.family().left(U_LF_FACESIZE - 1);
        for (int i = 0; i < family.size(); ++i)
            face[i] = family.at(i).unicode();
        const U_LOGFONT logfont =
            logfont_set(-pixelHeight, 0, tenthsOfDegree, tenthsOfDegree, weight(font), font.italic() ? 1 : 0, 0, 0,
                        U_DEFAULT_CHARSET, U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, 0, face);
        uint32_t handle = 0;
        append(extcreatefontindirectw_set(&handle, m_handles, reinterpret_cast<const char*>(&logfont), nullptr));
        append(selectobject_set(handle, m_handles));
        append(U_EMRSETTEXTCOLOR_set(colourRef(colour)));

        QFont sized(font);
        sized.setPixelSize(qMax(1, pixelHeight));
        const QFontMetricsF metrics(sized);
        std::vector<uint16_t> chars;
        std::vector<uint32_t> advances;
        for (const QChar c : text) {
            chars.push_back(c.unicode());
            advances.push_back(uint32_t(std::lround(metrics.horizontalAdvance(c))));
        }
        const U_RECTL none = rectl_set(point32_set(0, 0), point32_set(-1, -1));
        char* emrtext = emrtext_set(point32_set(baseline.x(), baseline.y()), uint32_t(chars.size()), 2, chars.data(),
                                    U_ETO_NONE, none, advances.data());
        if (emrtext) {
            append(U_EMREXTTEXTOUTW_set(none, U_GM_COMPATIBLE, 1.0f, 1.0f, reinterpret_cast<PU_EMRTEXT>(emrtext)));
            free(emrtext);
        } else {
            m_failed = true;
        }
        append(deleteobject_set(&handle, m_handles));
    }

    bool finish() override
    {
        append(U_EMREOF_set(0, nullptr, m_track));
        return !m_failed && emf_finish(m_track, m_handles) == 0;
    }

private:
    void append(char* record)
    {
        if (!record || emf_append(reinterpret_cast<U_ENHMETARECORD*>(record), m_track, 1) != 0)
            m_failed = true;
    }

    // A new pen or brush is selected before the old one is deleted.
    void select(const Pen& pen, const QColor& fill)
    {
        if (!(pen == m_pen)) {
            uint32_t handle = 0;
            append(createpen_set(&handle, m_handles,
                                 logpen_set(penStyle(pen), point32_set(penWidth(pen), 0), colourRef(pen.colour))));
            append(selectobject_set(handle, m_handles));
            if (m_penHandle)
                append(deleteobject_set(&m_penHandle, m_handles));
            m_penHandle = handle;
            m_pen = pen;
        }
        if (fill != m_fill) {
            uint32_t handle = 0;
            append(createbrushindirect_set(
                &handle, m_handles,
                logbrush_set(fill.isValid() ? U_BS_SOLID : U_BS_NULL, colourRef(fill.isValid() ? fill : Qt::white), 0)));
            append(selectobject_set(handle, m_handles));
            if (m_brushHandle)
                append(deleteobject_set(&m_brushHandle, m_handles));
            m_brushHandle = handle;
            m_fill = fill;
        }
    }

    EMFTRACK* m_track = nullptr;
    EMFHANDLES* m_handles = nullptr;
    uint32_t m_penHandle = 0;
    uint32_t m_brushHandle = 0;
};

class WmfRecorder : public Recorder
{
public:
    ~WmfRecorder() override
    {
        if (m_track)
            wmf_free(&m_track);
        if (m_handles)
            wmf_htable_free(&m_handles);
    }

    bool start(const QString& file, const QSize& size) override
    {
        if (wmf_start(QFile::encodeName(file).constData(), 1 << 20, 1 << 18, &m_track) != 0
            || wmf_htable_create(128, 128, &m_handles) != 0)
            return false;
        U_PAIRF inches = {float(size.width() / 96.0), float(size.height() / 96.0)};
        char* header = U_WMRHEADER_set(&inches, 96);
        if (!header || wmf_header_append(reinterpret_cast<U_METARECORD*>(header), m_track, 1) != 0)
            return false;
        append(U_WMRSETWINDOWORG_set(U_POINT16{0, 0}));
        append(U_WMRSETWINDOWEXT_set(U_POINT16{int16_t(size.width()), int16_t(size.height())}));
        append(U_WMRSETBKMODE_set(U_TRANSPARENT));
        append(U_WMRSETPOLYFILLMODE_set(U_WINDING));
        append(U_WMRSETTEXTALIGN_set(U_TA_BASELINE));
        return !m_failed;
    }

    void shape(const QPolygon& points, bool closed, const Pen& pen, const QColor& fill) override
    {
        select(pen, closed ? fill : QColor());
        std::vector<U_POINT16> p;
        for (const QPoint& q : points)
            p.push_back(U_POINT16{int16_t(q.x()), int16_t(q.y())});
        append(closed ? U_WMRPOLYGON_set(uint16_t(p.size()), p.data()) : U_WMRPOLYLINE_set(uint16_t(p.size()), p.data()));
    }

    // The format knows only 8-bit text: Latin-1, as the ANSI character set.
    void text(const QPoint& baseline, const QString& text, const QFont& font, int pixelHeight, const QColor& colour,
              int tenthsOfDegree) override
    {
        QByteArray face = font.family().left(U_LF_FACESIZE - 1).toLatin1();
        U_FONT* logfont = U_FONT_set(int16_t(-pixelHeight), 0, int16_t(tenthsOfDegree), int16_t(tenthsOfDegree),
                                     int16_t(weight(font)), font.italic() ? 1 : 0, 0, 0, U_ANSI_CHARSET,
                                     U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, 0, face.data());
        if (!logfont) {
            m_failed = true;
            return;
        }
        uint32_t handle = 0;
        append(wcreatefontindirect_set(&handle, m_handles, logfont));
        free(logfont);
        append(wselectobject_set(handle, m_handles));
        append(U_WMRSETTEXTCOLOR_set(colourRef(colour)));
        QByteArray latin1 = text.toLatin1();
        append(U_WMRTEXTOUT_set(U_POINT16{int16_t(baseline.x()), int16_t(baseline.y())}, latin1.data()));
        append(wdeleteobject_set(&handle, m_handles));
    }

    bool finish() override
    {
        append(U_WMREOF_set());
        return !m_failed && wmf_finish(m_track) == 0;
    }

private:
    void append(char* record)
    {
        if (!record || wmf_append(reinterpret_cast<U_METARECORD*>(record), m_track, 1) != 0)
            m_failed = true;
    }

    void select(const Pen& pen, const QColor& fill)
    {
        if (!(pen == m_pen)) {
            uint32_t handle = 0;
            append(wcreatepenindirect_set(&handle, m_handles,
                                          U_PEN_set(penStyle(pen), uint16_t(penWidth(pen)), colourRef(pen.colour))));
            append(wselectobject_set(handle, m_handles));
            if (m_penHandle)
                append(wdeleteobject_set(&m_penHandle, m_handles));
            m_penHandle = handle;
            m_pen = pen;
        }
        if (fill != m_fill) {
            uint32_t handle = 0;
            append(wcreatebrushindirect_set(
                &handle, m_handles,
                U_WLOGBRUSH_set(fill.isValid() ? U_BS_SOLID : U_BS_NULL, colourRef(fill.isValid() ? fill : Qt::white), 0)));
            append(wselectobject_set(handle, m_handles));
            if (m_brushHandle)
                append(wdeleteobject_set(&m_brushHandle, m_handles));
            m_brushHandle = handle;
            m_fill = fill;
        }
    }

    WMFTRACK* m_track = nullptr;
    WMFHANDLES* m_handles = nullptr;
    uint32_t m_penHandle = 0;
    uint32_t m_brushHandle = 0;
};

// The colour of a gradient at t (0..1) between its stops.
QColor gradientColour(const QGradientStops& stops, double t)
{
    if (stops.isEmpty())
        return Qt::black;
    if (t <= stops.constFirst().first)
        return stops.constFirst().second;
    for (qsizetype i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].first) {
            const double span = stops[i].first - stops[i - 1].first;
            const double f = span > 0 ? (t - stops[i - 1].first) / span : 1.0;
            const QColor& a = stops[i - 1].second;
            const QColor& b = stops[i].second;
            return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * f),
                                    float(a.greenF() + (b.greenF() - a.greenF()) * f),
                                    float(a.blueF() + (b.blueF() - a.blueF()) * f));
        }
    }
    return stops.constLast().second;
}

// Shared by both formats: every painter call is taken to device coordinates
// and comes out as polygons, polylines and text lines. Rectangles, lines,
// ellipses and pie slices reach the engine as paths or polygons from
// QPainter; a linear gradient fill becomes bands of solid colour.
class MetafileEngine : public QPaintEngine
{
public:
    MetafileEngine(const QString& path, const QSize& size, MetafileDevice::Format format)
        : QPaintEngine(PainterPaths | PrimitiveTransform | LinearGradientFill | PatternTransform)
        , m_path(path)
        , m_size(size)
        , m_format(format)
    {
    }

    bool begin(QPaintDevice*) override
    {
        if (m_format == MetafileDevice::Format::Emf)
            m_recorder = std::make_unique<EmfRecorder>();
        else
            m_recorder = std::make_unique<WmfRecorder>();
        m_temp = std::make_unique<QTemporaryDir>();
        return m_temp->isValid() && m_recorder->start(tempFile(), m_size);
    }

    // The records go to a temporary file first; the target is replaced
    // only when the whole metafile is there.
    bool end() override
    {
        bool ok = m_recorder && m_recorder->finish();
        m_recorder.reset();
        if (ok) {
            QFile written(tempFile());
            QSaveFile target(m_path);
            ok = written.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly)
                 && target.write(written.readAll()) == written.size() && target.commit();
        }
        m_temp.reset();
        return ok;
    }

    Type type() const override { return User; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

    void drawPath(const QPainterPath& path) override
    {
        const QTransform t = painter()->transform();
        const QBrush brush = painter()->brush();
        if (brush.style() != Qt::NoBrush)
            for (const QPolygonF& polygon : path.toFillPolygons(t))
                fill(polygon, brush);
        // Closed outlines stay polygons (with no fill): some players fill
        // a polyline.
        if (hasPen())
            for (const QPolygonF& polygon : path.toSubpathPolygons(t))
                m_recorder->shape(polygon.toPolygon(), polygon.size() > 2 && polygon.isClosed(), pen(), QColor());
    }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        QPolygonF polygon(count);
        std::copy(points, points + count, polygon.begin());
        if (mode == PolylineMode) {
            if (hasPen())
                m_recorder->shape(painter()->transform().map(polygon).toPolygon(), false, pen(), QColor());
            return;
        }
        QPainterPath path;
        path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        path.addPolygon(polygon);
        path.closeSubpath();
        drawPath(path);
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        const QTransform t = painter()->transform();
        const double scale = std::sqrt(std::abs(t.determinant()));
        const QFont font = item.font();
        const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
        const double angle = qRadiansToDegrees(std::atan2(t.m12(), t.m11()));
        // Metafile angles run counter-clockwise, the painter's clockwise.
        m_recorder->text(t.map(p).toPoint(), item.text(), font, int(std::lround(pixels * scale)),
                         painter()->pen().color(), int(std::lround(-angle * 10)));
    }

private:
    QString tempFile() const { return m_temp->filePath(QStringLiteral("chart.part")); }

    bool hasPen() const { return painter()->pen().style() != Qt::NoPen; }

    Recorder::Pen pen() const
    {
        const QPen p = painter()->pen();
        const double scale = p.isCosmetic() ? 1.0 : std::sqrt(std::abs(painter()->transform().determinant()));
        return {p.color(), int(std::lround(p.widthF() * scale)), p.style()};
    }

    void fill(const QPolygonF& polygon, const QBrush& brush)
    {
        const auto* gradient = brush.gradient();
        if (!gradient || gradient->type() != QGradient::LinearGradient) {
            m_recorder->shape(polygon.toPolygon(), true, Recorder::Pen{}, brush.color());
            return;
        }
        // Bands across the gradient's direction, each one solid colour.
        const auto* linear = static_cast<const QLinearGradient*>(gradient);
        const QTransform t = brush.transform() * painter()->transform();
        const QPointF from = t.map(linear->start());
        const QPointF to = t.map(linear->finalStop());
        const QLineF axis(from, to);
        if (axis.length() < 1e-6) {
            m_recorder->shape(polygon.toPolygon(), true, Recorder::Pen{}, gradientColour(linear->stops(), 0));
            return;
        }
        const QPointF along = (to - from) / axis.length();
        const QPointF across(-along.y(), along.x());
        const double reach = 4.0 * (m_size.width() + m_size.height());
        constexpr int kBands = 24;
        for (int i = 0; i < kBands; ++i) {
            const double a = i == 0 ? -reach : axis.length() * i / kBands;
            const double b = i == kBands - 1 ? reach : axis.length() * (i + 1) / kBands;
            const QPolygonF band{from + along * a - across * reach, from + along * b - across * reach,
                                 from + along * b + across * reach, from + along * a + across * reach};
            const QPolygonF part = polygon.intersected(band);
            if (part.size() >= 3)
                m_recorder->shape(part.toPolygon(), true, Recorder::Pen{},
                                  gradientColour(linear->stops(), (i + 0.5) / kBands));
        }
    }

    QString m_path;
    QSize m_size;
    MetafileDevice::Format m_format;
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<QTemporaryDir> m_temp;
};

} // namespace

MetafileDevice::MetafileDevice(const QString& path, const QSize& size, Format format)
    : m_size(size)
    , m_engine(std::make_unique<MetafileEngine>(path, size, format))
{
}

MetafileDevice::~MetafileDevice() = default;

QPaintEngine* MetafileDevice::paintEngine() const
{
    return m_engine.get();
}

int MetafileDevice::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return int(std::lround(m_size.width() * 25.4 / 96));
    case PdmHeightMM:
        return int(std::lround(m_size.height() * 25.4 / 96));
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    default:
        return QPaintDevice::metric(metric);
    }
}

} // namespace chart
