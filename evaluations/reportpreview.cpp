#include "reportpreview.h"

#include <QPainter>
#include <QPrinter>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QWheelEvent>
#include <QScreen>
#include <QScrollBar>

namespace {

const QColor kBackground(206, 206, 255);
constexpr int kMargin = 12; // room around the paper

// Pixels of a length in hundredths of a millimetre at the zoom.
double pixels(double hundredths, int zoom, double dpi)
{
    return hundredths / 2540.0 * dpi * zoom / 100.0;
}

} // namespace

// The paper with its page, sized by the zoom.
class ReportPreview::PageView : public QWidget
{
public:
    explicit PageView(ReportPreview* preview) : QWidget(preview), m_preview(preview) {}

    QSize paperSize() const
    {
        const double dpi = logicalDpiX();
        return QSize(qRound(pixels(pages::kPageWidth, m_preview->m_zoom, dpi)),
                     qRound(pixels(pages::kPageHeight, m_preview->m_zoom, dpi)));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), kBackground);
        if (m_preview->pageCount() == 0)
            return;
        const QSize paper = paperSize();
        const QRect sheet(QPoint((width() - paper.width()) / 2, (height() - paper.height()) / 2), paper);
        painter.fillRect(sheet.translated(3, 3), QColor(120, 120, 160));
        painter.fillRect(sheet, Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(sheet.adjusted(0, 0, -1, -1));
        painter.setClipRect(sheet);
        m_preview->m_document.replay(painter, m_preview->m_page - 1, QRectF(sheet));
    }

private:
    ReportPreview* m_preview;
};

ReportPreview::ReportPreview(QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setAlignment(Qt::AlignCenter);
    setWidgetResizable(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);
    setAutoFillBackground(true);
    viewport()->setPalette(pal);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    m_view = new PageView(this);
    setWidget(m_view);
    m_document.setPageObserver([this](int count) { Q_EMIT newPage(count); });
    layoutPage();
}

void ReportPreview::beginDoc()
{
    m_document = pages::Document();
    m_document.setPageObserver([this](int count) { Q_EMIT newPage(count); });
    m_page = 0;
    Q_EMIT beginDocument();
}

void ReportPreview::endDoc()
{
    m_page = pageCount() > 0 ? 1 : 0;
    layoutPage();
    m_view->update();
    Q_EMIT endDocument();
}

void ReportPreview::setCurrentPage(int page)
{
    const int held = pageCount() > 0 ? qBound(1, page, pageCount()) : 0;
    if (held == m_page)
        return;
    m_page = held;
    m_view->update();
}

int ReportPreview::fittedZoom() const
{
    const double dpi = m_view->logicalDpiX();
    const double width = qMax(1, viewport()->width() - 2 * kMargin);
    const double height = qMax(1, viewport()->height() - 2 * kMargin);
    const double zoom = qMin(width / pixels(pages::kPageWidth, 100, dpi), height / pixels(pages::kPageHeight, 100, dpi));
    return qBound(kMinZoom, int(zoom * 100), kMaxZoom);
}

void ReportPreview::setZoom(int percent)
{
    m_fitted = false;
    m_zoom = qBound(kMinZoom, percent, kMaxZoom);
    layoutPage();
}

void ReportPreview::zoomIn()
{
    // To the next step of 10, so a fitted zoom of 57 % goes to 60 %.
    setZoom((m_zoom / kZoomStep + 1) * kZoomStep);
}

void ReportPreview::zoomOut()
{
    setZoom(((m_zoom + kZoomStep - 1) / kZoomStep - 1) * kZoomStep);
}

void ReportPreview::fitToWindow()
{
    m_fitted = true;
    layoutPage();
}

void ReportPreview::layoutPage()
{
    if (m_fitted)
        m_zoom = fittedZoom();
    const QSize paper = m_view->paperSize();
    const QSize area(qMax(paper.width() + 2 * kMargin, viewport()->width()),
                     qMax(paper.height() + 2 * kMargin, viewport()->height()));
    m_view->resize(area);
    m_view->update();
}

void ReportPreview::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    layoutPage();
}

void ReportPreview::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_PageDown || event->key() == Qt::Key_PageUp) {
        Q_EMIT pageStepRequested(event->key() == Qt::Key_PageDown ? 1 : -1);
        return;
    }
    QScrollArea::keyPressEvent(event);
}

void ReportPreview::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (event->modifiers() & Qt::ControlModifier) {
        if (delta > 0)
            zoomIn();
        else if (delta < 0)
            zoomOut();
        return;
    }
    // At the end of the page the wheel turns to the next one.
    QScrollBar* bar = verticalScrollBar();
    if (delta < 0 && bar->value() == bar->maximum()) {
        Q_EMIT pageStepRequested(1);
        return;
    }
    if (delta > 0 && bar->value() == bar->minimum()) {
        Q_EMIT pageStepRequested(-1);
        return;
    }
    QScrollArea::wheelEvent(event);
}

bool ReportPreview::print(QPrinter& printer, int from, int to)
{
    QList<int> numbers;
    for (int page = qMax(1, from); page <= qMin(to, pageCount()); ++page)
        numbers.append(page);
    return print(printer, numbers);
}

bool ReportPreview::print(QPrinter& printer, const QList<int>& pageNumbers)
{
    QList<int> numbers;
    for (int page : pageNumbers)
        if (page >= 1 && page <= pageCount())
            numbers.append(page);
    if (numbers.isEmpty())
        return true;
    Q_EMIT beforePrint();
    printer.setFullPage(true);
    QPainter painter;
    const bool started = painter.begin(&printer);
    if (started) {
        // The page keeps its proportions on paper of another size.
        const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
        const double scale = qMin(paper.width() / pages::kPageWidth, paper.height() / pages::kPageHeight);
        const QRectF target(0, 0, pages::kPageWidth * scale, pages::kPageHeight * scale);
        for (int i = 0; i < numbers.size(); ++i) {
            Q_EMIT printProgress(numbers.at(i), pageCount(), int(i * 100 / numbers.size()));
            if (i > 0 && !printer.newPage())
                break;
            m_document.replay(painter, numbers.at(i) - 1, target);
        }
        painter.end();
    }
    Q_EMIT afterPrint();
    return started;
}
