#pragma once

#include "persons.h"
#include "storedrecord.h"

#include <QDialog>

#include <functional>

class MaskEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class RadioGroup;
class Session;
class StringGrid;

// The user management "Benutzerverwaltung": lists the persons,
// creates, changes and deletes them. A modal dialog that ends with the
// result 1 at every closing; the main window then rebuilds its selector.
// Reads and writes the persons of the session it is given (storage/persons).
//
// Safeguards:
// - deleting a person removes the person, the diary entries and their
//   training units in one transaction (all or nothing);
// - after a save or a delete the row then selected is selected anew, so
//   "&Löschen" and "&Ändern" follow it and never act on the empty last row;
// - values enter the statements through quoted(), so an apostrophe is saved;
// - surname and first name take at most the 40 characters their columns hold;
// - a person deleted at another workstation meanwhile is neither written
//   back nor deleted again: the user is told and the list is read anew.
class TForm2 : public QDialog
{
    Q_OBJECT

public:
    // Save modes held in BitBtn1's "Tag" property.
    static constexpr int kInsert = 0;
    static constexpr int kUpdate = 2;

    explicit TForm2(Session& session, QWidget* parent = nullptr);

    // Answers whether a person's data are open for editing elsewhere; such a
    // person is not deleted. The opener tells; without an answer none is.
    using PersonInUse = std::function<bool(int userId)>;
    void setPersonInUse(PersonInUse inUse) { m_personInUse = std::move(inUse); }

    void FormCreate();
    void ReadUsers();
    void StringGridLeeren();
    // True when faults were found (and shown).
    bool CheckData();
    void EnableControls();
    void DisableControls();
    void StringAlignGrid1SelectCell(int column, int row, bool* canSelect);
    void StringAlignGrid1DblClick();
    void RadioGroup1Enter();
    void FormClose();

    int saveMode() const;

    StringGrid* StringAlignGrid1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QFrame* Bevel1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    RadioGroup* RadioGroup1 = nullptr;
    MaskEdit* maskeditL1 = nullptr;
    MaskEdit* maskeditL2 = nullptr;
    MaskEdit* maskeditL3 = nullptr;
    MaskEdit* maskeditL4 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;

public Q_SLOTS:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

public:
    void reject() override;

private:
    // The person as the fields hold it.
    Persons::Person fieldsPerson() const;
    void setSaveMode(int mode);
    void setFieldsLocked(bool locked);
    // The ID cell of the selected row as a whole number in text form; throws
    // StorageError when it holds none.
    QString selectedId() const;
    // After a save or a delete: the list anew, and the row at the selected
    // position selected again, with the buttons following it.
    void rebuildList();
    // None of the rows chosen: "&Löschen" and "&Ändern" wait for a choice.
    void forgetChoice();

    // Fills the fields with a person as stored; the list anew when it is gone.
    void loadUser(const QString& id);

    Session& m_session;
    PersonInUse m_personInUse;
    // The person in the fields as read, so that a save notices a change made elsewhere.
    StoredRecord m_stored;
};
