#pragma once

#include "raceresults.h"

#include <QList>
#include <QString>
#include <QWidget>

class DateEdit;
class MaskEdit;
class MemoEdit;
class NumericEdit;
class QLineEdit;
class QPushButton;
class Session;
class StringGrid;

// The window "Wettkämpfe": the person's races by date, past and future,
// with the result run on a past race's day (raceresults.h), and the fields
// of the chosen race to change it, a new one to add, or the chosen one to
// delete. Input not yet saved is asked about before another row, a new race
// or closing. A double-click (or Return) on a race with a result asks for
// its entry in the editor (entryChosen). A modeless window that releases
// itself on closing.
class TForm11 : public QWidget
{
    Q_OBJECT

public:
    TForm11(Session& session, int userId, QWidget* parent = nullptr);

    int userId() const { return m_userId; }
    // The races RacesGrid shows, row n + 1 for race n.
    const QList<raceresults::RaceResult>& shownRaces() const { return m_races; }
    // The fields differ from the race they show (or a new race was begun).
    bool hasUnsavedChanges() const;

    StringGrid* RacesGrid = nullptr;
    DateEdit* DateEdit1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    NumericEdit* NumericEdit1 = nullptr;
    MaskEdit* MaskEdit1 = nullptr;
    MemoEdit* Memo1 = nullptr;
    QPushButton* NewButton = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* DeleteButton = nullptr;
    QPushButton* CloseButton = nullptr;

Q_SIGNALS:
    // The entry of a race's result was chosen, to be shown in the editor.
    void entryChosen(const QString& entryId);

public Q_SLOTS:
    void NewButtonClick();
    void SaveButtonClick();
    void DeleteButtonClick();
    void RacesGridSelectCell(int column, int row, bool* canSelect);
    void RacesGridDblClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Reads the races anew and chooses the one with the ID (none for empty).
    void readRaces(const QString& chooseId = {});
    void showRace(const Races::Race& race);
    // The fault lines of the input check; empty when the race can be saved.
    QString inputFaults(Races::Race* race) const;
    // Asks about unsaved input: true when the action may go on (saved or let go).
    bool askToSaveChanges();
    QStringList fieldTexts() const;

    Session& m_session;
    int m_userId = -1;
    QList<raceresults::RaceResult> m_races;
    QString m_editedId;     // the race in the fields; empty for a new one
    bool m_editing = false; // the fields hold a race (chosen or new)
    QStringList m_loaded;   // the fields' texts as shown
};
