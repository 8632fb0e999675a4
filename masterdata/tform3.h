#pragma once

#include "storedrecord.h"

#include <QStringList>
#include <QWidget>

class NumericEdit;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class Session;
class StringGrid;

// The shoe management "Schuhverwaltung": the running shoes of a person with
// their maximum mileage, the kilometres run before they were recorded and
// those run since, summed from the diary entries that name the shoe. A
// modeless window kept above the main window that opens active, with the
// focus in the person list, and frees itself when closed; it takes the main
// window's chosen person when it opens and then goes its own way. Reads and writes the shoes of the session it is given (storage/shoes).
//
// Safeguards:
// - "&Löschen" and "&Ändern" act only on a shoe of the current list that the
//   user has chosen: the choice is forgotten whenever the list is built anew
//   and when the empty last row is chosen;
// - refused input stays in the fields for correcting;
// - the model takes at most the 40 characters its column holds, and only
//   what code page 1252 has; it enters the statements through quoted() and
//   may hold an apostrophe or a semicolon; a model of blanks counts as none;
// - a new model carries the owner's diary entries that name the old one
//   along, in one transaction with the shoe, so that its kilometres stay;
//   other persons' shoes of the same name keep theirs; the user is told how
//   many entries changed;
// - a model too long for the list is shortened there (the whole model is its
//   hint); the kilometres stay in view, and the list takes a larger window's room;
// - the kilometres since are read for all shoes of the person with one
//   statement, so the window opens at once on a diary of many years;
// - a shoe deleted at another workstation meanwhile is neither written back
//   nor deleted again: the user is told and the list is read anew.
class TForm3 : public QWidget
{
    Q_OBJECT

public:
    // Save modes held in BitBtn1's "Tag" property.
    static constexpr int kInsert = 0;
    static constexpr int kUpdate = 1;

    // Takes the chosen person of the main window's person lists, when given.
    explicit TForm3(Session& session, QWidget* parent = nullptr, const QComboBox* mainNames = nullptr,
                    const QComboBox* mainIds = nullptr);

    void ComboBox1Change();
    void ShowShoes();
    void StringGridLeeren();
    void StringAlignGrid1SelectCell(int column, int row, bool* canSelect);
    void StringAlignGrid1DblClick();
    // True when faults were found (and shown).
    bool CheckData();
    void CheckShoeMax();
    void EnhancedEdit1Exit();
    void EnhancedEdit2Exit();
    void DisableControls();
    void EnableControls();

    int saveMode() const;
    // One line per shoe of the listed person: ID;Modell;MaxLeistung;PrevLeistung;km since.
    const QStringList& shoeList() const { return m_shoes; }

    QGroupBox* GroupBox1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    StringGrid* StringAlignGrid1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    NumericEdit* EnhancedEdit1 = nullptr;
    NumericEdit* EnhancedEdit2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;  // "km" of the maximum
    QLabel* Label6 = nullptr;  // the chosen shoe's ID, hidden
    QLabel* Label7 = nullptr;  // "Gesamtkilometer Schuh:"
    QLabel* Label8 = nullptr;  // its "km"
    QLabel* Label9 = nullptr;  // "km" of the previous distance
    QLabel* Label10 = nullptr; // "km" of the distance since
    QLabel* Label11 = nullptr; // km since the shoe was recorded
    QLabel* Label12 = nullptr; // total km
    QFrame* Bevel1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();

Q_SIGNALS:
    // The window is closing; the opener enables its button again.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The shoe's fields and the save button, laid out.
    QLayout* buildShoeData();
    void FormCreate(const QComboBox* mainNames, const QComboBox* mainIds);
    void FormClose();
    // The chosen person's ID text; empty for the placeholder.
    QString person() const;
    void setSaveMode(int mode);
    void clearFields();
    void setTotalRed(bool red);
    // Forgets the chosen shoe: "&Löschen" and "&Ändern" wait for a new choice.
    void forgetChosenShoe();
    // Shows the list anew with a shoe chosen as it is stored now.
    void showStoredShoe(const QString& id);

    Session& m_session;
    QStringList m_shoes;
    QList<int> m_columnWidths; // as the window opened
    // The chosen shoe as the list read it, so that a save notices a change made elsewhere.
    StoredRecord m_stored;
};
