#pragma once

#include "diarysums.h"
#include "diarytraining.h"
#include "editormodel.h"
#include "storedtext.h"

#include <QHash>
#include <QMainWindow>
#include <QSet>
#include <QStringList>

#include <optional>

class DateEdit;
class MaskEdit;
class NumericEdit;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class Session;
class StringGrid;
class QDragEnterEvent;
class QDropEvent;
namespace exchange {
class DiaryImport;
struct ImportedEntry;
} // namespace exchange

// The diary-entry editor "Trainingseinheiten": one diary entry of the
// current user at a time, with its training units. The window is split by
// concern over several files:
//   tform4.cpp          building the window, opening and closing
//   tform4_entry.cpp    new / change / check / save of the basic data
//   tform4_units.cpp    the unit grid and its editors
//   tform4_browse.cpp   showing an entry, paging, deleting
//   tform4_list.cpp     the list view: its rows, narrowing and sorting them
//   tform4_zones.cpp    heart-rate zone advice
//   tform4_shoes.cpp    shoe list and shoe mileage
//   tform4_draft.cpp    the draft of unsaved input, kept beside the settings
//   tform4_keys.cpp     shortcuts, Esc, tab order and mnemonics
//   tform4_import.cpp   trainings taken from watch files
//   tform4_course.cpp   the course of the entry in its own window
//   tform4_bulk.cpp     the rows chosen in the list view changed at once
class TForm4 : public QMainWindow
{
    Q_OBJECT

public:
    // Opens for the user whose ID the main window holds as current user,
    // on the diary of the session.
    TForm4(Session& session, int userId, QWidget* parent = nullptr);
    ~TForm4() override;

    static QString placeholderItem() { return EditorModel::placeholderItem(); }
    // Adds an item to a pick list unless it holds it already (case counts),
    // leaving the field's text and choice as they are.
    static void offerItem(QComboBox* combo, const QString& item);

    // --- basic data ------------------------------------------------------
    void FormCreate();
    void CheckMain(bool moveToLast);
    bool CheckData();
    void EnableMainControls();
    void DisableMainControls();
    double SumStrecke() const;
    void ReplaceTimeSigns(QPlainTextEdit* memo);
    // The unsaved-changes question with Ja, Nein and Abbrechen; Ja saves.
    // Runs before paging, "Neuer Eintrag", the list view and closing. False
    // when the action must stop, the input staying as it is: Abbrechen (or
    // Esc) was answered, or Ja and the save was refused or failed.
    bool askToSaveChanges();

    // --- units -----------------------------------------------------------
    void SetSubID();
    void DisableControls();
    void StringGridLeeren();

    // --- browsing --------------------------------------------------------
    void Blaettern();
    // Shows the entry of that ID as paging does: unsaved input is asked
    // about first. An entry saved elsewhere since the list was read is
    // found after reading the list anew. One no longer in the diary is told
    // as deleted elsewhere: as paging onto it, the nearest entry left is
    // shown, or the one shown before when the list never held it.
    void showEntry(const QString& id);

    // --- zone advice -----------------------------------------------------
    bool DontShowDialogAgain(const QString& message);
    void ShowRoundPanel();

    // --- shoes -----------------------------------------------------------
    void ShowShoes();
    void GetDistShoe();
    void CheckMaxDistShoe(double mileage, double limit);

    // State the tests and the other files read.
    int userId() const { return m_model.userId(); }
    const QStringList& entries() const { return m_model.ids(); }
    int position() const { return m_model.position(); }
    bool hasUnsavedChanges() const { return m_model.dirty(); }
    int maxHeartRate() const { return m_model.maxHeartRate(); }
    // What the window shows and edits, as the fields last handed it over.
    const EditorModel& model() const { return m_model; }
    bool hfDialogSuppressed() const { return m_hfDialog; }

    // The editor that is open for the user (any user for -1), or null. The
    // main window asks here for the windows that change persons, since an
    // open editor holds the person's data.
    static TForm4* findOpen(int userId = -1);

    // --- draft of unsaved input -------------------------------------------
    // Where the input not saved yet is kept for the next opening.
    const EditorDraft& draft() const { return m_model.draft(); }
    // Writes the draft now, when there is unsaved input (the desktop session
    // is being saved, or the program is ending).
    void keepDraftNow();
    // The input as the draft keeps it: the basic-data fields and unit rows.
    EditorDraft::Content draftContent();
    // At the opening: offers the person's draft, when there is one.
    void offerDraft();

    // Toolbar
    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;  // Neuer Eintrag
    QToolButton* ToolButton13 = nullptr; // Eintrag ändern
    QToolButton* ToolButton2 = nullptr;  // Eintrag löschen
    QToolButton* ImportButton = nullptr; // Trainings aus Dateien übernehmen
    QToolButton* VerlaufButton = nullptr; // Verlauf der Trainingseinheit anzeigen
    QToolButton* ToolButton10 = nullptr; // Eingaben speichern
    QToolButton* ToolButton3 = nullptr;  // Erster Eintrag
    QToolButton* ToolButton4 = nullptr;  // Vorheriger Eintrag
    QToolButton* ToolButton5 = nullptr;  // Nächster Eintrag
    QToolButton* ToolButton6 = nullptr;  // Letzter Eintrag
    QToolButton* ToolButton8 = nullptr;  // Listenansicht
    QToolButton* ToolButton12 = nullptr; // Formularansicht

    // Basic data
    QGroupBox* GroupBox2 = nullptr;
    DateEdit* DateEdit1 = nullptr;
    MaskEdit* maskeditL1 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    NumericEdit* EnhancedEdit1 = nullptr;
    NumericEdit* EnhancedEdit2 = nullptr;
    MaskEdit* maskeditL3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    MemoEdit* Memo1 = nullptr;
    MemoEdit* Memo2 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label26 = nullptr;
    QLabel* Label24 = nullptr;
    QLabel* Label25 = nullptr;

    // Units
    QGroupBox* GroupBox1 = nullptr;
    NumericEdit* EnhancedEdit3 = nullptr;
    MaskEdit* maskeditL2 = nullptr;
    QLabel* Label19 = nullptr;
    NumericEdit* EnhancedEdit4 = nullptr;
    QLabel* Label20 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QToolButton* SpeedButton6 = nullptr;
    QCheckBox* BitCheckBox1 = nullptr;
    NumericEdit* EnhancedEdit5 = nullptr;
    QLabel* Label15 = nullptr;
    QPushButton* Button1 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    StringGrid* StringAlignGrid1 = nullptr;
    QLabel* Label18 = nullptr;

    // List view: its bar (a toolbar row shown with the list) and the grid.
    QToolBar* ListBar = nullptr;
    QLineEdit* FilterEdit = nullptr;         // narrows the list as one types
    QComboBox* FilterSport = nullptr;        // alle Sportarten, or one
    QPushButton* AssignShoeButton = nullptr; // Schuh zuweisen…
    QPushButton* ChangeSportButton = nullptr; // Sportart ändern…
    QPushButton* DeleteEntriesButton = nullptr; // Löschen
    StringGrid* StringAlignGrid2 = nullptr;

    // Zone panel
    QFrame* Panel2 = nullptr;
    QLabel* Label27 = nullptr;
    StringGrid* StringAlignGrid3 = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QToolButton* SpeedButton8 = nullptr;

    QStatusBar* StatusBar1 = nullptr;
    // The five panels of the status bar.
    QLabel* statusPanel(int index) const { return m_panels.value(index); }

Q_SIGNALS:
    // The window closes; hasEntries tells whether the user has diary entries,
    // so that the main window can enable the evaluations.
    void closed(bool hasEntries);
    // An entry was saved or deleted, or trainings were imported.
    void diaryChanged();

public Q_SLOTS:
    void ToolButton1Click();
    void ToolButton13Click();
    void ToolButton2Click();
    void ToolButton10Click();
    void ToolButton3Click();
    void ToolButton4Click();
    void ToolButton5Click();
    void ToolButton6Click();
    void ToolButton8Click();
    void ToolButton12Click();
    // Asks for watch files (FIT, TCX, GPX) and takes their trainings.
    void ImportButtonClick();
    // Opens the window of the course the watch recorded for the entry shown.
    void VerlaufButtonClick();
    // Takes the trainings of files and folders: one file of one training
    // becomes a new entry in the form, to be completed and saved; more are
    // saved at once, each file whole, with a progress dialog.
    void importPaths(const QStringList& paths);

    void SpeedButton5Click();
    void Button1Click();
    void SpeedButton4Click();
    void SpeedButton3Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void StringAlignGrid1SelectCell(int column, int row, bool* canSelect);
    void StringAlignGrid1DblClick();
    void EnhancedEdit5Change();
    void EnhancedEdit3Exit();
    void maskeditL2Exit();

    void StringAlignGrid2SelectCell(int column, int row, bool* canSelect);
    void StringAlignGrid2DblClick();
    // The filter text or sport changed: the list shows the entries that
    // match them (the text shortly after the last key).
    void FilterChange();
    // The entries of the rows chosen in the list view: one shoe or one
    // sport for all of them, or deleting them, each asked once and done in
    // one transaction.
    void AssignShoeButtonClick();
    void ChangeSportButtonClick();
    void DeleteEntriesButtonClick();

    void EnhancedEdit4Enter();
    void EnhancedEdit4Exit();
    void ComboBox4Change();
    // Leaving the zone field, or taking a zone from its list.
    void ComboBox4Exit();
    void SpeedButton6Click();
    void SpeedButton7Click();
    void SpeedButton8Click();
    void StringAlignGrid3DblClick();

    void ComboBox2Change();
    void ComboBox1Exit();
    void ComboBox3Exit();
    void Memo1Exit();
    void Memo2Exit();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setMainControlsLocked(bool locked);
    // The course button follows the entry shown: enabled when it has one.
    void showCourseButton();
    // Shortcuts, Esc, the tab order and the mnemonics of the window.
    void setUpKeys();
    // Runs a toolbar button's action from the keyboard, as a click would,
    // once the field with the focus has been left.
    void runFromKeyboard(QToolButton* button);
    // The zone chosen for the unit against the advice for its pulse: warns
    // once for each zone and percentage, and not for a zone that the advice
    // never proposes (one without an upper limit). True when the user
    // asked to see the advised zones.
    bool checkZoneAgainstAdvice();
    void buildWindow();
    // The filter's timer and handlers, the list's extra columns and its sorting headings.
    void setUpListView();
    // Reads the entries matching the filter and hides the other rows.
    void applyListFilter();
    void hideFilteredRows();
    // "n von m Einträgen" in panel 0 while a filter is set, else the count.
    void showListCount();
    // The grid row of the entry in the list view; -1 when it has none.
    int listRowOf(const QString& id) const;
    // In the list view, marks the row of the entry at the position when it
    // is shown, and none otherwise.
    void markListRow();
    // Sorts by the column; the column sorted by already goes the other way.
    void sortList(int column);
    // Widens the column sorted by so that its heading shows with the arrow.
    void fitSortedHeading();
    // One imported training as a new, unsaved entry in the form; one that
    // is in the diary already is shown instead.
    void showImportedEntry(const exchange::ImportedEntry& entry, const exchange::DiaryImport& import);
    void importFiles(const QStringList& files, exchange::DiaryImport& import);
    void buildBasicData(QWidget* area);
    void buildUnits(QWidget* area);
    void buildZonePanel(QWidget* area);
    void connectHandlers();
    // The buttons and the context menu of the rows chosen in the list view.
    void connectBulkHandlers();
    // The IDs of the entries of the rows chosen in the list view.
    QStringList chosenEntries() const;
    // The buttons act in the list view with at least one entry chosen.
    void enableBulkButtons();
    // After entries were changed at once: the form, the list, the sums.
    void showBulkChange();
    void FormClose();
    // Input changed: marks it unsaved and writes the draft shortly after.
    void setDirty();
    void setUpDraft();
    // The input is saved, or let go, or replaced by a stored entry: the
    // draft goes with it.
    void markClean();
    void writeDraft();
    void restoreDraft(const EditorDraft::Content& content);
    void setPanel(int index, const QString& text);
    // Shows the total distance of the user in panel 1, after a look at the
    // diary's mark (none when stampRead and the total is shown: the
    // handler has read the mark already).
    void showTotalDistance();
    void showTotalDistance(bool stampRead);
    // Sums read before are read anew when next needed: after this window
    // saved or deleted an entry, or when the diary's mark shows a change
    // made elsewhere.
    void forgetDiarySums();
    // Reads the diary's mark and, in the same statement, what is not known
    // of the total (when total) and of the shoe's kilometres (when a shoe
    // is given); a changed mark lets the sums read before go.
    void readSums(bool total, const QString& shoe);
    // Shows the entry at a position kept inside the entry list.
    void showEntryAt(int position);
    // Hands the texts of the basic-data fields to the model.
    void takeInput();
    // Shows the basic data of the model in the fields.
    void showValues();
    // Shows the model's units in the grid, the row given current.
    void showUnits(int currentRow = -1);
    // Shows the ID of the entry in the form and the status bar.
    void showId();
    // The number of entries and the place of the one shown in the status bar.
    void showEntryCount();
    void showPlace();
    // Shows an entry as it is stored now (after a change made elsewhere).
    void showStoredEntry(const QString& id);
    // The entry being saved was deleted at another workstation meanwhile.
    void entryDeletedElsewhere();
    // The entry to be shown was deleted at another workstation meanwhile;
    // shown is the ID of the one shown before.
    void entryGoneWhileBrowsing(const QString& shown);
    // The unit time for the grid: empty while the field is.
    QString unitTimeText() const;
    // The sum of the units under the grid.
    void showUnitTotal();
    // Clears the unit editors without running their input handlers, and
    // locks or opens them; no unit is open for change afterwards.
    void resetUnitEditors(bool locked);
    // The index of the zone list's item that its text names (item 0 for the
    // placeholder), -1 for a typed text that is no item.
    int zoneIndex() const;
    // Shows the zone panel at a place, one line of its grid selected.
    void showZonePanel(const QPoint& place);

    Session& m_session;
    QList<QLabel*> m_panels;
    EditorModel m_model;
    QHash<QString, double> m_shoeKm; // kilometres of each shoe shown since the diary last changed
    QHash<QString, training::ShoeLimits> m_shoeLimits; // of the person's shoes, by model
    bool m_totalShown = false;      // panel 1 holds the total of the diary as it is
    bool m_stampRead = false;       // the mark below was read since the handler running now set this false
    DiaryStamp m_sumsStamp;         // the diary's state when the sums above were read
    int m_unitChanging = -1;
    bool m_listReady = false;
    int m_listEntries = 0;                   // the rows of the list view that hold an entry
    std::optional<QSet<QString>> m_listFilter; // the IDs matching the filter, while one is set
    QTimer* m_filterTimer = nullptr;
    int m_sortColumn = 1;                    // the list comes in date order
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_hfDialog = false;
    QString m_zoneChecked; // the zone and percentage last checked against the advice
    bool m_closing = false;
    QTimer* m_draftTimer = nullptr;
    // The draft found at the opening has been offered: from then on the
    // file follows the input.
    bool m_draftOffered = false;
    // The last draft could not be written, and the user was told.
    bool m_draftFailed = false;

    // --- the watch's folder (tform4_import.cpp) ---------------------------
public:
    // The import button's menu: files as the click asks for them, the
    // watch's folder to set or forget, its new trainings taken at once.
    class QMenu* ImportMenu = nullptr;
    class QAction* ImportFilesAction = nullptr;  // Trainingsdateien übernehmen…
    class QAction* WatchFolderAction = nullptr;  // Ordner der Uhr festlegen…
    class QAction* WatchForgetAction = nullptr;  // Ordner der Uhr vergessen
    class QAction* WatchImportAction = nullptr;  // Neue Trainings von der Uhr übernehmen
    // The main window's start offer was answered with Ja: the editor takes
    // these files once the opening is done, without asking again.
    void takeWatchTrainingsOnOpen(const QStringList& files);

public Q_SLOTS:
    void WatchFolderActionClick();
    void WatchForgetActionClick();
    // Every training of the watch's folder not in the diary, declined ones too.
    void WatchImportActionClick();

private:
    void setUpImportMenu();
    // After the draft offer at the opening: the new trainings of the
    // watch's folder, offered once (see exchange/watchfolder.h).
    void offerWatchTrainings();
    // Asks about the trainings new since the mark; Ja imports them.
    void askForWatchTrainings();
    void importWatchFiles(const QStringList& files);
    bool m_watchOffered = false;
    bool m_watchOnOpen = false;
    QStringList m_watchFiles;
};
