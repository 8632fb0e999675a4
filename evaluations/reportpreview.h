#pragma once

#include "pagecanvas.h"

#include <QScrollArea>

class QPrinter;

// The print preview of a composed report: one landscape A4 page at a time
// on a lilac background, zoomed from 10 to 500 percent in steps of 10 and
// fitted to the window until the user zooms. The printer and the PDF writer
// draw from the same pages.
//
// A composition runs between beginDoc() and endDoc(); the pages are drawn
// into document() in between. Page numbers count from 1.
class ReportPreview : public QScrollArea
{
    Q_OBJECT

public:
    static constexpr int kMinZoom = 10;
    static constexpr int kMaxZoom = 500;
    static constexpr int kZoomStep = 10;

    explicit ReportPreview(QWidget* parent = nullptr);

    // Starts a fresh document (the previous pages are dropped).
    void beginDoc();
    pages::Document& document() { return m_document; }
    const pages::Document& document() const { return m_document; }
    // Ends the composition and shows page 1.
    void endDoc();

    int pageCount() const { return m_document.pageCount(); }
    int currentPage() const { return m_page; }
    // Goes to the page, held between 1 and the page count.
    void setCurrentPage(int page);

    // Zoom in percent; 100 shows the paper at its real size on the screen.
    int zoom() const { return m_zoom; }
    void setZoom(int percent);
    void zoomIn();
    void zoomOut();
    // Fits the whole page into the window, also on later resizes, until the
    // zoom is set.
    void fitToWindow();
    bool isFitted() const { return m_fitted; }

    // Prints the pages (numbers from 1, in the order given), each onto one
    // printer page at the scale of A4, with the progress signals below;
    // false when the printer cannot print.
    bool print(QPrinter& printer, const QList<int>& pageNumbers);
    bool print(QPrinter& printer, int from, int to);

Q_SIGNALS:
    void beginDocument();
    void newPage(int pageCount);
    void endDocument();
    void beforePrint();
    // The page being printed, the number of pages and how much of the job is done.
    void printProgress(int page, int pageCount, int percentDone);
    void afterPrint();
    // Page Up/Down or the mouse wheel at the top or bottom of a page asks
    // for the previous (-1) or next (+1) page; Ctrl with the wheel zooms.
    void pageStepRequested(int step);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    class PageView;
    void layoutPage();
    int fittedZoom() const;

    pages::Document m_document;
    PageView* m_view = nullptr;
    int m_page = 0;
    int m_zoom = 100;
    bool m_fitted = true;
};
