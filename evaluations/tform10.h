#pragma once

#include "records.h"

#include <QHash>

#include <QList>
#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class Session;
class StringGrid;

// The window "Bestleistungen": the person's best three times over each
// standard distance of running, of all time or of one year, the race
// predictions from the best effort of the last 90 days and the training
// paces of its VDOT. Everything is read once at the opening; choosing a
// year shows it from what was read. A double-click (or Return) on a best
// time asks for its entry in the editor (entryChosen). A modeless window
// that releases itself on closing.
class TForm10 : public QWidget
{
    Q_OBJECT

public:
    TForm10(Session& session, int userId, QWidget* parent = nullptr);

    int userId() const { return m_userId; }
    // The efforts RecordsGrid shows, row n + 1 for effort n.
    const QList<records::Effort>& shownEfforts() const { return m_shown; }

    QComboBox* ComboBox1 = nullptr; // "alle Jahre", then each year, the newest first
    StringGrid* RecordsGrid = nullptr;
    QLabel* BasisLabel = nullptr;
    StringGrid* PredictionGrid = nullptr;
    StringGrid* PacesGrid = nullptr;
    QPushButton* CloseButton = nullptr;

Q_SIGNALS:
    // The entry of a best time was chosen, to be shown in the editor.
    void entryChosen(const QString& entryId);

public Q_SLOTS:
    void ComboBox1Change();
    void RecordsGridDblClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillRecords();
    void fillForecast(const records::Forecast& forecast);

    Session& m_session;
    int m_userId = -1;
    records::Table m_table;
    QHash<int, QList<records::Effort>> m_years; // the years chosen so far
    QList<records::Effort> m_shown;
};
