#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QWidget>

class DateEdit;
namespace evaluation {
class PeriodChooser;
}
class QCheckBox;
class QComboBox;
class QLabel;
class QPrinter;
class QSlider;
class QToolButton;
class Session;

namespace chart {
class ChartView;
struct Chart;
} // namespace chart

// The graphic statistics "Statistiken": one chart at a time over the
// current user's diary (zone and sport shares, distance and weight per day,
// week or month, distance per shoe; training load with fitness, fatigue and
// form, the pace of a sport, kilometres per week or month by sport),
// printed or saved as a picture. A sport choice narrows the kilometres of
// the zone shares, of the distance chart and of the sport charts to one
// sport. A
// modeless window that releases itself on closing; several may be open.
// It keeps its last settings in the section Statistik of config.ini: the
// period, the evaluation, the sport, the chart style, the 3D view and the
// picture kind saved last.
//
// The user is fixed when the window is created. Sums are read through the
// aggregate paths of diarysums.h, one statement per selection.
//
// Safeguards:
// - a period whose start lies after its end, or a date field that holds no
//   date, draws an empty chart (the shoe evaluation needs no period);
// - a weight of 0 or less (the editor stores an empty weight as -1) is no
//   weighing: it gives no daily point and takes no part in an average, and
//   a week or month without a weighing gives no point;
// - sums of kilometres and weights are added in full precision and
//   formatted once, so the same period shows the same number everywhere;
// - database errors end the drawing in the error box; the chart keeps what
//   was drawn.
class TForm5 : public QWidget
{
    Q_OBJECT

public:
    TForm5(Session& session, int userId, QWidget* parent = nullptr);

    // The colours of slices and points come from one generator; tests seed it.
    static void seedColours(quint32 seed);

    int userId() const { return m_userId; }
    bool pieMode() const { return m_pieMode; }
    chart::Chart& chart();

    void FormCreate();
    void FormClose();
    void ClearChart();
    void CreateDiagramm();
    void ShowPie();
    void DataBar();
    void ShowGraph(const QStringList& points, int entries, const QStringList& title, double km);
    void EnableSummary();
    void DisableSummary();

    // The work behind printing and saving, without the dialogs. saveChart's
    // kind is the filter's index from 1: bitmap, enhanced metafile, metafile,
    // PNG, SVG. False when the file could not be written; nothing is left then.
    void printChart(QPrinter& printer);
    bool saveChart(const QString& path, int kind);

    // The file and kind for a name chosen in the save dialog under one of
    // its filters: a typed suffix of a picture kind chooses that kind,
    // otherwise the filter's kind and suffix hold.
    struct ChartFile
    {
        QString path;
        int kind = 1;
    };
    static ChartFile chartFileFor(const QString& chosen, const QString& filter);

    // The accept checks of the calendar picks; false when the date is refused.
    bool FromDate1AcceptDate(const QDate& date);
    bool TilDate1AcceptDate(const QDate& date);

    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QComboBox* ComboBox5 = nullptr; // quick periods
    QComboBox* ComboBox4 = nullptr; // sport choice: "alle Sportarten", then the person's sports
    DateEdit* FromDate1 = nullptr;
    DateEdit* TilDate1 = nullptr;
    QCheckBox* BitCheckBox2 = nullptr;
    QCheckBox* BitCheckBox3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QCheckBox* BitCheckBox1 = nullptr;
    QSlider* RxSlider1 = nullptr;
    QLabel* Label4 = nullptr;
    chart::ChartView* Chart1 = nullptr;

Q_SIGNALS:
    // The text report window is asked for; the main window opens it.
    void reportsRequested();

public Q_SLOTS:
    void ComboBox3Change();
    void ComboBox1Change();
    void ComboBox4Change();
    void ComboBox2Change();
    void BitCheckBox1Click();
    void BitCheckBox2Click();
    void BitCheckBox3Click();
    void RxSlider1Change();
    void Chart1Resize();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Both dates valid and in order.
    bool periodValid() const;
    void pieZones(const QDate& from, const QDate& to);
    void pieSportsDistance(const QDate& from, const QDate& to);
    void pieSportsTime(const QDate& from, const QDate& to);
    void pieShoes();
    // The evaluations after the shoes: training load with fitness, fatigue
    // and form; the pace of one sport; kilometres per week or month by sport.
    void trainingLoad(const QDate& from, const QDate& to);
    void paceTrend(const QDate& from, const QDate& to);
    void kmBySport(const QDate& from, const QDate& to, bool monthly);
    // The chosen sport; empty for "alle Sportarten".
    QString sport() const;

    // The name the save dialog proposes: evaluation and period, and the
    // suffix of the picture kind saved last.
    QString proposedChartName() const;

    Session& m_session;
    int m_userId = -1;
    evaluation::PeriodChooser* m_period = nullptr;
    bool m_pieMode = false;
    QString m_pictureSuffix; // of the picture kind saved last
};
