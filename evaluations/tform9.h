#pragma once

#include "courseanalysis.h"
#include "diarytraining.h"
#include "entries.h"

#include <QList>
#include <QString>
#include <QWidget>

class CourseCurves;
class QComboBox;
class QLabel;
class QPushButton;
class RouteMap;
class Session;
class StringGrid;

// The window "Trainingsverlauf": the course of one training as the watch
// recorded it. The curves of pace (km/h for cycling), heart rate, altitude
// and cadence, where recorded, over the distance or the time with one
// cursor; the route; the splits per kilometre and the laps as the entry
// holds them (its units); the totals and the time in the person's zones.
// The curves are saved as PNG, SVG or PDF, the course as GPX. A modeless
// window that releases itself on closing; it holds its own copy of all it
// shows and reads nothing from the database.
class TForm9 : public QWidget
{
    Q_OBJECT

public:
    TForm9(Session& session, const course::Course& course, const QList<Entries::Unit>& laps,
           const QList<training::Zone>& zones, int maxPulse, const QString& sport, QWidget* parent = nullptr);

    static bool isCycling(const QString& sport);

    const course::Analysis& analysis() const { return m_analysis; }
    // The text under the curves for the point of that index: every value
    // recorded there.
    QString cursorText(int index) const;

    // The work behind the save buttons, without the dialogs. The picture's
    // kind follows the suffix: png, svg, pdf. False when nothing could be
    // written; an existing file then stays as it was.
    bool saveCurves(const QString& path) const;
    bool saveGpx(const QString& path) const;

    QComboBox* ComboBox1 = nullptr; // "über die Strecke" / "über die Zeit"
    CourseCurves* Curves = nullptr;
    RouteMap* Route = nullptr;
    QLabel* CursorLabel = nullptr;
    StringGrid* SplitsGrid = nullptr;
    StringGrid* LapsGrid = nullptr;
    QLabel* TotalsLabel = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* GpxButton = nullptr;

public Q_SLOTS:
    void ComboBox1Change();
    void CurvesCursorMoved(int index);
    void SaveButtonClick();
    void GpxButtonClick();

private:
    void fillSplits();
    void fillLaps(const QList<Entries::Unit>& laps);
    void fillTotals(const QList<training::Zone>& zones, int maxPulse);
    QString proposedName(const QString& suffix) const;

    Session& m_session;
    course::Course m_course;
    course::Analysis m_analysis;
    bool m_cycling = false;
};
