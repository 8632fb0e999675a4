#pragma once

#include "session.h"

#include <QMainWindow>
#include <QString>

class QComboBox;
class OverviewPanel;
class TForm2;
class QFrame;
class QToolBar;
class QToolButton;

// How the main window is started: the program folder that holds the data
// files, the pause that keeps the splash window on screen, what the user is
// told about where the data lives, and the settings file when it is not the
// one in the program folder.
struct StartOptions
{
    QString programFolder;
    int startPauseMs = 0;
    QString notice = {};
    QString settingsPath = {};
};

// The main window: toolbar, current-user selector, owner of the storage.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm1(const StartOptions& options, QWidget* parent = nullptr);
    ~TForm1() override;

    Session& session() { return m_session; }
    // True when every start-up step ran; after a failed one the error box
    // has been shown.
    bool startedUp() const { return m_startedUp; }

    // The current user: the ID text of the selected person, "-1" for the placeholder.
    QString currentUser() const;
    // Places a working window over the main window's client area; the sizes
    // are those of its frame.
    void placeWorkingWindow(QWidget* window) const;
    // Whether a diary-entry editor is open for the person (any person for -1).
    bool editorOpenFor(int userId = -1) const;
    // The user management as the toolbar opens it: owned by the main window,
    // which answers whether a person is in use.
    TForm2* createUserManagement();

    void CheckDataBases();
    void ShowUsers();
    void ComboBox1Change();

    QToolBar* ToolBar1 = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* ToolButton3 = nullptr;
    QToolButton* ToolButton6 = nullptr;
    QToolButton* ToolButton7 = nullptr;
    QToolButton* RecordsButton = nullptr; // Bestzeiten und Prognosen
    QToolButton* RacesButton = nullptr;   // Wettkämpfe
    QToolButton* ToolButton8 = nullptr;
    QToolButton* ToolButton9 = nullptr;
    QToolButton* ToolButton10 = nullptr;
    QToolButton* ToolButton12 = nullptr;
    QToolButton* BackupButton = nullptr;  // Datensicherung erstellen...
    QToolButton* RestoreButton = nullptr; // Datensicherung zurückspielen...
    QToolButton* ExportButton = nullptr;  // Tagebuch exportieren...
    QFrame* Panel1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QFrame* Bevel1 = nullptr;
    OverviewPanel* Overview1 = nullptr; // the chosen person's overview

public Q_SLOTS:
    void ToolButton1Click();
    void ToolButton2Click();
    void ToolButton3Click();
    void ToolButton6Click();
    void ToolButton7Click();
    void RecordsButtonClick();
    void RacesButtonClick();
    // Shows the person's entry in the editor: the one open for the person,
    // brought forward, else one opened as ToolButton3 opens it.
    void showEntryInEditor(int userId, const QString& entryId);
    void ToolButton8Click();
    void ToolButton9Click();
    void ToolButton10Click();
    void ToolButton12Click();
    // Backups by the engine, their restore, and the export for
    // spreadsheets (tform1_backup.cpp).
    void BackupButtonClick();
    void RestoreButtonClick();
    void ExportButtonClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate(const StartOptions& options);
    void buildToolBar();
    QToolButton* addToolButton(const QString& name, const QString& hint, const QString& icon);
    // Closes the working windows, each with its own close step; false when
    // one stays open (input the user keeps). reopen gets the buttons that
    // open them again.
    bool closeWorkingWindows(QList<QToolButton*>* reopen);
    // At most once a day on closing, into the data folder's "Sicherungen":
    // switched by config.ini [Sicherung] Automatisch (on unless 0).
    void automaticBackupAtClose();
    QString automaticBackupFolder() const;
    // Once the start is done: the new trainings of the watch's folder for
    // the person chosen; Ja opens the editor, which takes them.
    void offerWatchTrainings();

    Session m_session;
    bool m_startedUp = false;
};

// The main window for the whole run; null before it is created.
extern TForm1* Form1;
