#include "editorfixture.h"
#include "editorinput.h"

#include "inifile.h"
#include "tform2.h"

#include <QClipboard>
#include <QTimer>

using namespace editorinput;

namespace {

const QString kUnsaved = QString::fromUtf8("Sie haben Ihre Eintragungen noch nicht abgespeichert. Möchten Sie die "
                                           "Änderungen jetzt speichern?");

// Presses Esc in the next real message box, once it is up.
void escapeNextBox()
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            QTest::keyClick(box, Qt::Key_Escape);
        }
    });
    timer->start(10);
}

} // namespace

class TestEditorFlow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }

    void unsavedChangesOnNewEntry();
    void unsavedChangesOnClosing();
    void refusedSaveStopsTheAction();
    void cancelOrEscKeepsEditorAndInput();
    void newEntryStartsTodayWithThePersonsValues();
    void everyEditMarksTheEntry();
    void timeSignsInTheMemos();
    void typedSportIsKeptInTheSettings();
    void personOfAnOpenEditorStays();
};

void TestEditorFlow::unsavedChangesOnNewEntry()
{
    EditorFixture f;
    const int user = f.addUser();
    const int entry = f.addEntry(user, "02.03.2025");
    f.addUnit(entry, 1, "5");
    TForm4* w = f.openEditor(user);
    tool(w, "ToolButton13")->click();
    auto* notes = control<QPlainTextEdit>(w, "Memo2");
    notes->setPlainText("locker");
    QVERIFY(w->hasUnsavedChanges());

    // No drops the change.
    Messages::clearShown();
    answering({QMessageBox::No}, [w] { tool(w, "ToolButton1")->click(); });
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, kUnsaved);
    QCOMPARE(Messages::shown().first().title, QString::fromUtf8("Bestätigen"));
    QCOMPARE(Messages::shown().first().buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(f.value("SELECT Notizen FROM main"), QString());
    QCOMPARE(control<QLabel>(w, "Label16")->text(), QString("-1"));
    QCOMPARE(w->statusPanel(3)->text(), QString("  Neuer Eintrag"));
    QVERIFY(notes->toPlainText().isEmpty());
    QVERIFY(!w->hasUnsavedChanges());
    QVERIFY(!tool(w, "ToolButton2")->isEnabled());
    QVERIFY(!tool(w, "ToolButton13")->isEnabled());
    QVERIFY(tool(w, "ToolButton10")->isEnabled());
    QCOMPARE(units(w)->gridRowCount(), 2);
    // The person's usual values fill the empty fields.
    QCOMPARE(control<NumericEdit>(w, "EnhancedEdit2")->text(), QString("72,5"));

    // Yes saves before the new entry starts.
    f.closeEditor();
    w = f.openEditor(user);
    tool(w, "ToolButton13")->click();
    control<QPlainTextEdit>(w, "Memo2")->setPlainText("locker");
    answering({QMessageBox::Yes}, [w] { tool(w, "ToolButton1")->click(); });
    QCOMPARE(f.value("SELECT Notizen FROM main"), QString("locker"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM units"), QString("1"));
    QCOMPARE(control<QLabel>(w, "Label16")->text(), QString("-1"));
}

void TestEditorFlow::unsavedChangesOnClosing()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    newEntry(w);
    enterUnit(w, "5");
    Messages::clearShown();
    answering({QMessageBox::No}, [&f] { f.closeEditor(); });
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, kUnsaved);
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("0"));
    QVERIFY(!f.main().ToolButton6->isEnabled());

    w = f.openEditor(user);
    newEntry(w);
    enterUnit(w, "5");
    answering({QMessageBox::Yes}, [&f] { f.closeEditor(); });
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("1"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM units"), QString("1"));
    QVERIFY(f.main().ToolButton6->isEnabled());

    // Nothing changed: no question.
    w = f.openEditor(user);
    Messages::clearShown();
    answering({}, [&f] { f.closeEditor(); });
    QVERIFY(Messages::shown().isEmpty());

    // Ending the program asks as well.
    QPointer<TForm4> open = f.openEditor(user);
    newEntry(open);
    enterUnit(open, "5");
    answering({QMessageBox::No}, [&f] { QVERIFY(f.main().close()); });
    QCOMPARE(Messages::shown().value(0).text, kUnsaved);
    QTRY_VERIFY(open.isNull());
}

void TestEditorFlow::refusedSaveStopsTheAction()
{
    EditorFixture f;
    const int user = f.addUser();
    f.addUnit(f.addEntry(user, "01.03.2025"), 1, "5");
    const int latest = f.addEntry(user, "02.03.2025");
    f.addUnit(latest, 1, "5");
    TForm4* w = f.openEditor(user);
    const QString notes = QString("SELECT Notizen FROM main WHERE ID = %1").arg(latest);
    const QList<QPair<QString, std::function<void()>>> actions = {
        {"Neuer Eintrag", [w] { tool(w, "ToolButton1")->click(); }},
        {"Erster Eintrag", [w] { tool(w, "ToolButton3")->click(); }},
        {"Vorheriger Eintrag", [w] { tool(w, "ToolButton4")->click(); }},
        {"Listenansicht", [w] { tool(w, "ToolButton8")->click(); }},
        {"Schliessen", [w] { w->close(); }},
        {"Programm beenden", [&f] { QVERIFY(!f.main().close()); }},
    };
    for (const auto& [name, action] : actions) {
        tool(w, "ToolButton13")->click();
        control<QPlainTextEdit>(w, "Memo2")->setPlainText("locker");
        control<MaskEdit>(w, "maskeditL1")->clear(); // no time: the save is refused
        Messages::clearShown();
        answering({QMessageBox::Yes, QMessageBox::Ok}, action);
        // Question, then the faults; the input stays where it was.
        QCOMPARE(Messages::shown().size(), 2);
        QVERIFY2(Messages::shown().last().text.contains("- keine gültige Uhrzeit eingetragen"), qPrintable(name));
        QVERIFY2(w->isVisible(), qPrintable(name));
        QCOMPARE(w->position(), 1);
        QCOMPARE(control<QLabel>(w, "Label16")->text(), QString::number(latest));
        QCOMPARE(control<QPlainTextEdit>(w, "Memo2")->toPlainText(), QString("locker"));
        QVERIFY(w->hasUnsavedChanges());
        QVERIFY(tool(w, "ToolButton10")->isEnabled());
        QVERIFY(tool(w, "ToolButton12")->isChecked() && !tool(w, "ToolButton8")->isChecked());
        QVERIFY(control<StringGrid>(w, "StringAlignGrid2")->isHidden());
        QCOMPARE(f.value(notes), QString());
    }
    // Corrected, the input is saved and the action goes on.
    control<MaskEdit>(w, "maskeditL1")->setText("08:00");
    answering({QMessageBox::Yes}, [w] { tool(w, "ToolButton3")->click(); });
    QCOMPARE(f.value(notes), QString("locker"));
    QCOMPARE(w->position(), 0);
}

void TestEditorFlow::cancelOrEscKeepsEditorAndInput()
{
    EditorFixture f;
    const int user = f.addUser();
    for (const char* date : {"01.03.2025", "02.03.2025", "03.03.2025"})
        f.addUnit(f.addEntry(user, date), 1, "5");
    TForm4* w = f.openEditor(user);
    QVERIFY(showActive(*w));
    tool(w, "ToolButton4")->click(); // the middle entry: every paging button can be used
    const QString shown = control<QLabel>(w, "Label16")->text();
    const QList<QPair<QString, std::function<void()>>> actions = {
        {"Neuer Eintrag", [w] { tool(w, "ToolButton1")->click(); }},
        {"Erster Eintrag", [w] { tool(w, "ToolButton3")->click(); }},
        {"Vorheriger Eintrag", [w] { tool(w, "ToolButton4")->click(); }},
        {"Nächster Eintrag", [w] { tool(w, "ToolButton5")->click(); }},
        {"Letzter Eintrag", [w] { tool(w, "ToolButton6")->click(); }},
        {"Listenansicht", [w] { tool(w, "ToolButton8")->click(); }},
        {"Schliessen", [w] { w->close(); }},
        {"Esc",
         [w] {
             QVERIFY(showActive(*w)); // the headless platform does not give it back after a box
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
         }},
        {"Programm beenden", [&f] { QVERIFY(!f.main().close()); }},
    };
    for (const auto& [name, action] : actions) {
        tool(w, "ToolButton13")->click();
        control<QPlainTextEdit>(w, "Memo2")->setPlainText("locker");
        Messages::clearShown();
        Messages::clearQueuedAnswers();
        escapeNextBox();
        action();
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::shown().first().text, kUnsaved);
        QCOMPARE(Messages::shown().first().buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QVERIFY2(Messages::shown().first().answer == QMessageBox::Cancel, qPrintable(name));
        QVERIFY2(w->isVisible(), qPrintable(name));
        QCOMPARE(w->position(), 1);
        QCOMPARE(control<QLabel>(w, "Label16")->text(), shown);
        QCOMPARE(control<QPlainTextEdit>(w, "Memo2")->toPlainText(), QString("locker"));
        QVERIFY(w->hasUnsavedChanges());
        QVERIFY2(tool(w, "ToolButton12")->isChecked() && !tool(w, "ToolButton8")->isChecked(), qPrintable(name));
        QCOMPARE(f.value("SELECT COUNT(*) FROM main WHERE Notizen = 'locker'"), QString("0"));
    }
    f.discardEditor();
}

void TestEditorFlow::newEntryStartsTodayWithThePersonsValues()
{
    EditorFixture f;
    const int user = f.addUser("Muster", "Max", "72.5", 48);
    f.addEntry(user, "02.03.2025", "08:00:00", QString(), ", '80', '55', '1:00'");
    TForm4* w = f.openEditor(user);
    QVERIFY(showActive(*w));
    auto* restPulse = control<NumericEdit>(w, "EnhancedEdit1");
    auto* weight = control<NumericEdit>(w, "EnhancedEdit2");
    QCOMPARE(restPulse->text(), QString("55"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
    auto* date = control<DateEdit>(w, "DateEdit1");
    QCOMPARE(date->text(), QDate::currentDate().toString("dd.MM.yyyy"));
    QCOMPARE(date->selectedText(), date->text()); // typing replaces it
    QCOMPARE(restPulse->text(), QString("48"));
    QCOMPARE(weight->text(), QString("72,5"));
    QVERIFY(!w->hasUnsavedChanges());
    f.discardEditor();
}

void TestEditorFlow::everyEditMarksTheEntry()
{
    EditorFixture f;
    const int user = f.addUser();
    f.addUnit(f.addEntry(user, "02.03.2025"), 1, "5");
    TForm4* w = f.openEditor(user);
    tool(w, "ToolButton13")->click();
    QVERIFY(!w->hasUnsavedChanges());
    const QList<std::function<void()>> edits = {
        [w] { control<DateEdit>(w, "DateEdit1")->setText("01.03.2025"); },
        [w] { control<MaskEdit>(w, "maskeditL1")->setText("09:00"); },
        [w] { control<MaskEdit>(w, "maskeditL3")->setText("1:30"); },
        [w] { control<QComboBox>(w, "ComboBox3")->setCurrentIndex(2); },
        [w] { control<QComboBox>(w, "ComboBox1")->setEditText("kalt"); },
        [w] { control<QComboBox>(w, "ComboBox2")->setEditText("Renner"); },
        [w] { control<NumericEdit>(w, "EnhancedEdit1")->setText("44"); },
        [w] { control<NumericEdit>(w, "EnhancedEdit2")->setText("70"); },
        [w] { control<QPlainTextEdit>(w, "Memo1")->setPlainText("gut"); },
        [w] { control<QPlainTextEdit>(w, "Memo2")->setPlainText("kurz"); },
    };
    for (int i = 0; i < edits.size(); ++i) {
        save(w);
        QVERIFY(!w->hasUnsavedChanges());
        edits[i]();
        QVERIFY2(w->hasUnsavedChanges(), qPrintable(QString::number(i)));
    }
}

void TestEditorFlow::timeSignsInTheMemos()
{
    // A mark right after a digit is a time and written out; every other
    // quote is part of the text and stored as typed.
    EditorFixture f;
    TForm4* w = f.openEditor(f.addUser());
    newEntry(w);
    enterUnit(w, "5");
    auto* feeling = control<QPlainTextEdit>(w, "Memo1");
    auto* notes = control<QPlainTextEdit>(w, "Memo2");
    feeling->setPlainText("1000 m in 3'45''\nPause 2' mit \"Anna-Lena\"");
    leave(feeling);
    const QString feelingStored("1000 m in 3 min45 sec\nPause 2 min mit \"Anna-Lena\"");
    QCOMPARE(feeling->toPlainText(), feelingStored);
    notes->setPlainText("Steigung 50\" und 3'30'' und ''' 'n O'Brien's \"Runde\"");
    leave(notes);
    const QString notesStored("Steigung 50 sec und 3 min30 sec und ''' 'n O'Brien's \"Runde\"");
    QCOMPARE(notes->toPlainText(), notesStored);
    QVERIFY(w->hasUnsavedChanges());
    save(w);
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(f.value("SELECT Befinden FROM main"), feelingStored);
    QCOMPARE(f.value("SELECT Notizen FROM main"), notesStored);
}

void TestEditorFlow::typedSportIsKeptInTheSettings()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    newEntry(w, "01.03.2025", "08:30", "Rudern");
    auto* sports = control<QComboBox>(w, "ComboBox3");
    leave(sports);
    QCOMPARE(sports->count(), 5);
    QCOMPARE(sports->itemText(4), QString("Rudern"));
    QCOMPARE(sports->currentText(), QString("Rudern"));
    leave(sports); // known now: not added twice
    QCOMPARE(sports->count(), 5);
    sports->setEditText("Segeln");
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason); // its own drop-down list opens
    QCoreApplication::sendEvent(sports, &popup);
    QCOMPARE(sports->count(), 5);
    sports->setEditText("laufen"); // letter case counts
    leave(sports);
    QCOMPARE(sports->count(), 6);
    auto* weather = control<QComboBox>(w, "ComboBox1");
    weather->setEditText("windig");
    leave(weather);
    // A "%" or a line break would split the list: refused, typed or pasted.
    QVERIFY(showActive(*w)); // a list field shows its start while it has no focus
    weather->setEditText(QString());
    weather->setFocus();
    typeText(weather->lineEdit(), "50% Regen");
    QApplication::clipboard()->setText("Nebel\r\nDunst");
    QTest::keySequence(weather->lineEdit(), QKeySequence::Paste);
    QCOMPARE(weather->currentText(), QString("50 Regen"));
    leave(weather);
    answering({QMessageBox::No}, [&f] { f.closeEditor(); });

    const IniFile ini(f.folder().file("config.ini"));
    QCOMPARE(ini.readString("Sportarten", "Items", QString()), QString("Laufen%Radfahren%Schwimmen%Rudern%laufen%"));
    QCOMPARE(ini.readString("Wetter", "Items", QString()), QString("windig%50 Regen%"));

    w = f.openEditor(user);
    sports = control<QComboBox>(w, "ComboBox3");
    QCOMPARE(sports->itemText(0), TForm4::placeholderItem());
    QCOMPARE(sports->findText("Rudern"), 4);
    QCOMPARE(control<QComboBox>(w, "ComboBox1")->findText("windig"), 0);
    QCOMPARE(control<QComboBox>(w, "ComboBox1")->findText("50 Regen"), 1);
}

void TestEditorFlow::personOfAnOpenEditorStays()
{
    EditorFixture f;
    const int user = f.addUser("Adler", "Anton");
    const int other = f.addUser("Berg", "Britta");
    f.addUnit(f.addEntry(user, "02.03.2025"), 1, "5");
    f.openEditor(user);

    std::unique_ptr<TForm2> form(f.main().createUserManagement());
    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    QCOMPARE(grid->cells(0, 1).trimmed(), QString::number(user));
    grid->setCurrentGridRow(1);
    Messages::clearShown();
    answering({QMessageBox::Ok}, [&form] { form->findChild<QPushButton*>("BitBtn2")->click(); });
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().title, QString("Hinweis"));
    QCOMPARE(Messages::shown().first().text,
             QString::fromUtf8("Der Benutzer kann nicht gelöscht werden, solange seine Trainingsdaten zur "
                               "Bearbeitung geöffnet sind."));
    QCOMPARE(f.value("SELECT COUNT(*) FROM users"), QString("2"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("1"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM units"), QString("1"));

    // Another person can go.
    grid->setCurrentGridRow(2);
    QCOMPARE(grid->cells(0, 2).trimmed(), QString::number(other));
    Messages::clearShown();
    answering({QMessageBox::Ok}, [&form] { form->findChild<QPushButton*>("BitBtn2")->click(); });
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().title, QString("Frage"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM users"), QString("1"));
    form.reset();

    // Leaving the user management keeps the selector of the open editor
    // locked on its person, also where several persons would show the placeholder.
    f.addUser("Christ", "Carla");
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    closer.start(20);
    f.main().ToolButton2->click();
    closer.stop();
    QVERIFY(!f.main().ComboBox1->isEnabled());
    QVERIFY(!f.main().ToolButton3->isEnabled());
    QCOMPARE(f.main().currentUser(), QString::number(user));
    QCOMPARE(f.main().ComboBox1->currentText(), QString("Anton Adler"));
    f.closeEditor();
    QVERIFY(f.main().ComboBox1->isEnabled());
    QVERIFY(f.main().ToolButton3->isEnabled());
    QVERIFY(f.main().ToolButton6->isEnabled());

    // Nothing runs for the placeholder.
    f.main().ComboBox1->setCurrentIndex(0);
    QVERIFY(!f.main().ToolButton3->isEnabled() && !f.main().ToolButton6->isEnabled());
    f.main().ToolButton3Click();
    QVERIFY(!TForm4::findOpen());
}

QTEST_MAIN(TestEditorFlow)
#include "tst_editorflow.moc"
