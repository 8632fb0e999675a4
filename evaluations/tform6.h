#pragma once

#include <QDate>
#include <QString>
#include <QWidget>

class DateEdit;
namespace evaluation {
class PeriodChooser;
}
class QCheckBox;
class QComboBox;
class QLabel;
class QPrinter;
class QStatusBar;
class QToolButton;
class ReportPreview;
class Session;

// The text reports "Trainingsreports": the diary report of the current
// user over a period, in a print preview with paging and zoom, printed in a
// page range or saved as a PDF file. A modeless window that releases itself
// on closing; it keeps its settings in the section Report of config.ini.
//
// Every change of report, date, summary box or font composes the whole
// report anew. The preview, the printer and the PDF file draw the same pages.
//
// Safeguards:
// - a date field that holds no date composes nothing; the preview keeps
//   what it shows;
// - a PDF that cannot be written is reported and not opened;
// - a report without entries is neither printed nor saved;
// - a printer that cannot be started is reported.
class TForm6 : public QWidget
{
    Q_OBJECT

public:
    TForm6(Session& session, int userId, QWidget* parent = nullptr);

    int userId() const { return m_userId; }
    // The person the reports are of: the window is titled with the name.
    void setPersonName(const QString& name);
    // "Trainingsreport " + name + the period composed: the PDF's title and
    // the file name proposed for it.
    QString reportName() const;
    const QString& reportFont() const { return m_fontName; }
    void setReportFont(const QString& name);

    void FormCreate();
    void FormClose();
    void EnableSummary();
    void DisableSummary();
    // True when the report holds entries to print or save.
    bool CreateDiaryReport();
    // Takes the column positions of the chosen report (1..10).
    void SetCols();
    int column(int index) const { return m_columns[index]; }

    // The work behind printing and saving, without their dialogs. Saving
    // writes all pages; false (with the reason shown) when it fails.
    bool printPages(QPrinter& printer, const QList<int>& pageNumbers);
    bool savePdf(const QString& path);

    // The accept checks of the calendar picks; false when the date is refused.
    bool FromDate1AcceptDate(const QDate& date);
    bool TilDate1AcceptDate(const QDate& date);

    QWidget* Panel3 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QToolButton* SpeedButton8 = nullptr;
    QToolButton* SpeedButton9 = nullptr;
    QToolButton* SpeedButton10 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QComboBox* ComboBox4 = nullptr; // quick periods
    DateEdit* FromDate1 = nullptr;
    DateEdit* TilDate1 = nullptr;
    QCheckBox* BitCheckBox1 = nullptr;
    QCheckBox* BitCheckBox2 = nullptr;
    QCheckBox* BitCheckBox3 = nullptr;
    ReportPreview* PrintPreview1 = nullptr;

    // The text of the status bar's panel.
    QString statusText() const;

Q_SIGNALS:
    // The statistics window is asked for; the main window opens it.
    void statisticsRequested();

public Q_SLOTS:
    void ComboBox3Change();
    void BitCheckBox2Click();
    void BitCheckBox3Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    void SpeedButton6Click();
    void SpeedButton7Click();
    void SpeedButton8Click();
    void SpeedButton9Click();
    void SpeedButton10Click();
    void Panel3Resize();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTopBar();
    QWidget* buildLeftPanel();
    void connectControls();
    void PrintPreview1BeginDoc();
    void PrintPreview1NewPage(int pageCount);
    void PrintPreview1EndDoc();
    void PrintPreview1BeforePrint();
    void PrintPreview1PrintProgress(int page, int pageCount, int percentDone);
    void PrintPreview1AfterPrint();
    void showPageStatus();
    void setPaging(bool back, bool forward);
    // Dates changed: composes again unless the period is the one shown.
    void datesChanged();
    QString ownTitle() const;

    Session& m_session;
    int m_userId = -1;
    evaluation::PeriodChooser* m_period = nullptr;
    QString m_fontName;
    QLabel* m_statusPanel = nullptr;
    QString m_personName;
    int m_columns[11] = {};
    QDate m_composedFrom;
    QDate m_composedTo;
    bool m_composed = false; // the period above is the one shown
};
