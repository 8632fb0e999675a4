#pragma once

#include "storedrecord.h"

#include <QWidget>

class MaskEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class Session;
class StringGrid;

// The training-zone management "Verwaltung Trainingsbereiche": lists the
// zones of all persons by their upper limit, creates, changes and deletes
// them. A modeless window kept above the main window, opened centred over it
// and active, with the focus in the zone list; it releases itself on closing
// and tells its opener by closed().
//
// Label8 holds the zone being edited: its ID, "-1" for a new zone, empty
// when none.
//
// Safeguards:
// - "&Löschen" and "&Ändern" act only on a zone row chosen in the current
//   list; rebuilding the list forgets the choice, and the empty last row
//   enables neither;
// - values enter the statements through quoted(), so an apostrophe is saved;
//   the name takes at most the 30 characters its column holds;
// - the upper limit is capped at 100 also when saving is reached without
//   leaving its field (a shortcut);
// - a deleted zone is no longer open for a save;
// - a zone deleted at another workstation meanwhile is neither written back
//   nor deleted again: the user is told and the list is read anew.
class TForm8 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm8(Session& session, QWidget* parent = nullptr);

    void FormCreate();
    void StringGridLesen();
    void StringGridLeeren();
    void StringAlignGrid1SelectCell(int column, int row, bool* canSelect);
    void StringAlignGrid1DblClick();
    // True when faults were found (and shown).
    bool CheckData();
    // Asks the question with the box for not asking again; true when the
    // user declined.
    bool DontShowDialogAgain(const QString& question);
    void maskeditL1Exit();
    void DisableControls();
    void EnableControls();
    void FormClose();

    // True when the question about missing limits is no longer asked.
    bool dialogSwitch() const { return m_dontShowDialog; }

    StringGrid* StringAlignGrid1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QFrame* Bevel1 = nullptr;
    MaskEdit* maskeditL1 = nullptr;
    MaskEdit* maskeditL2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label8 = nullptr;

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The zone ID of a grid row; empty for the empty row or no row.
    QString zoneIdOf(int row) const;
    // Forgets the chosen row: none selected, "&Löschen" and "&Ändern" off.
    void forgetChoice();

    // Shows the list anew with a zone open for change as it is stored now.
    void showStoredZone(const QString& id);

    Session& m_session;
    bool m_dontShowDialog = false;
    // The zone in the fields as the list showed it, so that a save notices a change made elsewhere.
    StoredRecord m_stored;
};
