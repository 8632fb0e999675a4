#include "editorfixture.h"
#include "editorinput.h"

#include <QApplication>

using namespace editorinput;

namespace {

const QString kHead = QStringLiteral("Es sind folgende Eingabefehler aufgetreten:\n\r");

QString todayText(int daysAhead = 0)
{
    return QDate::currentDate().addDays(daysAhead).toString(QStringLiteral("dd.MM.yyyy"));
}

} // namespace

class TestEditorSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        initTestEnvironment();
        skipWithoutTestServer();
    }

    void faultsOfTheBasicDataInOneBox();
    void futureDateRefusedTodayAccepted();
    void unitsTheDatabaseWouldRefuseAreNamed();
    void savingWithoutUnitsAsksFirst();
    void valuesAsStored();
    void newEntryTakesTheIdItsInsertDrew();
    void savingTwiceRewritesTheUnits();
    void failingUnitLeavesTheDatabaseAsBefore();
    void quotesAndApostrophesRoundTrip();
    void textFieldsTakeWhatTheirColumnsHold();
    void storedDistancesStayAsStored();
    void changeElsewhereAskedAndLostAnswerLookedUp();
};

void TestEditorSave::faultsOfTheBasicDataInOneBox()
{
    EditorFixture f;
    TForm4* w = f.openEditor(f.addUser());
    tool(w, "ToolButton1")->click();
    enterUnit(w, "5");
    control<QComboBox>(w, "ComboBox3")->setCurrentIndex(0);
    control<DateEdit>(w, "DateEdit1")->clear(); // a new entry starts with today
    QVERIFY(control<MaskEdit>(w, "maskeditL1")->isEmpty());
    Messages::clearShown();
    const int beeps = Messages::beepCount();

    save(w);

    QCOMPARE(Messages::shown().size(), 1);
    const Messages::Record& box = Messages::shown().first();
    QCOMPARE(box.title, QString("Fehler"));
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.text, kHead
                           + QString::fromUtf8("- keine Sportart ausgewählt\n\r"
                                               "- kein gültiges Datum eingetragen\n\r"
                                               "- keine gültige Uhrzeit eingetragen\n\r"));
    QCOMPARE(Messages::beepCount(), beeps + 1);
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("0"));
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(units(w)->cells(1, 1), QString("5 km "));
    QVERIFY(!QApplication::overrideCursor());
}

void TestEditorSave::futureDateRefusedTodayAccepted()
{
    EditorFixture f;
    TForm4* w = f.openEditor(f.addUser());
    newEntry(w, todayText(1));
    enterUnit(w, "5");
    Messages::clearShown();
    save(w);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, kHead + "- das gewählte Trainingsdatum liegt in der Zukunft\n\r");
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("0"));

    control<DateEdit>(w, "DateEdit1")->setText(todayText());
    Messages::clearShown();
    save(w);
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(f.value("SELECT Datum FROM main"), todayText());
}

void TestEditorSave::unitsTheDatabaseWouldRefuseAreNamed()
{
    EditorFixture f;
    TForm4* w = f.openEditor(f.addUser());
    newEntry(w);
    enterUnit(w, "5", "00:25:00");
    enterUnit(w, "", "00:10:00");    // no distance at all
    enterUnit(w, "1,2,5", "25:00:00"); // neither a number nor a time of day
    Messages::clearShown();
    save(w);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, kHead
                                                 + "- ungültige Strecke in Trainingsinhalt 2\n\r"
                                                   "- ungültige Strecke in Trainingsinhalt 3\n\r"
                                                   "- ungültige Zeit in Trainingsinhalt 3\n\r");
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("0"));
    QCOMPARE(control<QLabel>(w, "Label16")->text(), QString("-1"));
}

void TestEditorSave::savingWithoutUnitsAsksFirst()
{
    const QString question = QString::fromUtf8("Sie haben noch keine Trainingsinhalte erfasst. Möchten Sie die "
                                               "Trainingseinheit trotzdem speichern?");
    EditorFixture f;
    TForm4* w = f.openEditor(f.addUser());
    newEntry(w);
    control<QComboBox>(w, "ComboBox3")->setCurrentIndex(0);

    // No: the missing units join the other faults, after the question.
    Messages::clearShown();
    save(w, {QMessageBox::No});
    QCOMPARE(Messages::shown().size(), 2);
    QCOMPARE(Messages::shown().at(0).text, question);
    QCOMPARE(Messages::shown().at(0).buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(Messages::shown().at(1).text,
             kHead + QString::fromUtf8("- keine Sportart ausgewählt\n\r- keine Trainingsinhalte erfasst\n\r"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("0"));

    // Yes: the entry is stored without units.
    control<QComboBox>(w, "ComboBox3")->setCurrentIndex(1);
    Messages::clearShown();
    save(w, {QMessageBox::Yes});
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("1"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM units"), QString("0"));
    QVERIFY(!w->hasUnsavedChanges());
}

void TestEditorSave::valuesAsStored()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    newEntry(w, "01.03.2025", "7:05");
    control<NumericEdit>(w, "EnhancedEdit1")->clear();
    control<NumericEdit>(w, "EnhancedEdit2")->clear();
    enterUnit(w, "10");
    save(w);
    QVERIFY(Messages::shown().isEmpty());
    const QString id = control<QLabel>(w, "Label16")->text();
    const QString where = " FROM main WHERE ID = " + quoted(id);
    QCOMPARE(f.value("SELECT Dauer" + where), QString("0:00"));
    QCOMPARE(control<MaskEdit>(w, "maskeditL3")->text(), QString(" 0:00"));
    QCOMPARE(f.value("SELECT Gewicht" + where), QString("-1"));
    QCOMPARE(f.value("SELECT Ruhepuls" + where), QString("-1"));
    QCOMPARE(f.value("SELECT Uhrzeit" + where), QString("07:05:00"));
    QCOMPARE(f.value("SELECT Zeit FROM units"), QString("00:00:00"));
    QCOMPARE(f.value("SELECT Puls FROM units"), QString("-1"));

    control<NumericEdit>(w, "EnhancedEdit2")->setText("72,5");
    control<MaskEdit>(w, "maskeditL3")->setText("1:15");
    save(w);
    QCOMPARE(f.value("SELECT COUNT(*)" + where + " AND Gewicht = 72.5"), QString("1"));
    QCOMPARE(f.value("SELECT Dauer" + where), QString("1:15"));
}

void TestEditorSave::newEntryTakesTheIdItsInsertDrew()
{
    EditorFixture f;
    const int user = f.addUser();
    const int other = f.addUser("Zweite", "Eva");
    // Another person's entry with an ID far above the generator's.
    f.exec("INSERT INTO main (ID, Datum, UserID, Dauer) VALUES (5000, '01.01.2025', " + quoted(other) + ", '0:00')");
    f.addEntry(user, "05.03.2025");
    TForm4* w = f.openEditor(user);
    newEntry(w, "01.03.2025");
    enterUnit(w, "8");
    save(w);
    const QString id = f.value("SELECT ID FROM main WHERE UserID = " + quoted(user) + " AND Datum = '01.03.2025'");
    QVERIFY(id != "5000");
    QCOMPARE(control<QLabel>(w, "Label16")->text(), id);
    QCOMPARE(w->statusPanel(3)->text(), "  ID: " + id);
    QCOMPARE(w->statusPanel(0)->text(), QString("  2 Trainingseinheiten"));
    // The new entry is the first by date.
    QCOMPARE(w->statusPanel(2)->text(), QString("  Eintrag 1/2"));
    QCOMPARE(f.value("SELECT MainID FROM units"), id);
    QVERIFY(tool(w, "ToolButton2")->isEnabled());
}

void TestEditorSave::savingTwiceRewritesTheUnits()
{
    EditorFixture f;
    TForm4* w = f.openEditor(f.addUser());
    newEntry(w);
    enterUnit(w, "2", "00:12:00", "130");
    enterUnit(w, "8", "00:40:00", "155", 3);
    save(w);
    const QString id = control<QLabel>(w, "Label16")->text();
    const QString firstIds = rows(f.session(), "SELECT ID FROM units");
    QCOMPARE(firstIds.count(','), 1);

    control<QComboBox>(w, "ComboBox1")->setEditText("Regen");
    save(w);
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("1"));
    QCOMPARE(f.value("SELECT Wetter FROM main WHERE ID = " + quoted(id)), QString("Regen"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM units WHERE MainID = " + quoted(id)), QString("2"));
    QCOMPARE(rows(f.session(), "SELECT SubID FROM units ORDER BY SubID"), QString("1,2"));
    QCOMPARE(f.value("SELECT Bereich FROM units WHERE SubID = 2"), control<QComboBox>(w, "ComboBox4")->itemText(3));
    QCOMPARE(f.value("SELECT COUNT(*) FROM units WHERE ID IN (" + firstIds + ")"), QString("0"));
}

void TestEditorSave::failingUnitLeavesTheDatabaseAsBefore()
{
    EditorFixture f;
    const int user = f.addUser();
    const int entry = f.addEntry(user, "02.03.2025");
    f.addUnit(entry, 1, "3");
    f.addUnit(entry, 2, "4");
    f.exec("CREATE EXCEPTION unit_refused 'Trainingsinhalt abgelehnt'");
    f.exec("CREATE TRIGGER units_refuse FOR units BEFORE INSERT AS BEGIN "
           "IF (NEW.SubID = 2) THEN EXCEPTION unit_refused; END");
    const QString kUnitRows = "SELECT ID || ':' || MainID || ':' || SubID || ':' || strecke FROM units ORDER BY ID";
    const QString mainBefore = f.value("SELECT Wetter || '/' || Datum FROM main");
    const QString unitsBefore = rows(f.session(), kUnitRows);

    // A stored entry: changed, its units rewritten, the second refused.
    TForm4* w = f.openEditor(user);
    tool(w, "ToolButton13")->click();
    control<QComboBox>(w, "ComboBox1")->setEditText("Schnee");
    control<DateEdit>(w, "DateEdit1")->setText("01.03.2025");
    Messages::clearShown();
    save(w);
    QCOMPARE(unitsBefore.count(','), 1);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().icon, QMessageBox::Critical);
    QVERIFY2(Messages::shown().first().text.contains("Trainingsinhalt abgelehnt"),
             qPrintable(Messages::shown().first().text));
    QCOMPARE(f.value("SELECT Wetter || '/' || Datum FROM main"), mainBefore);
    QCOMPARE(rows(f.session(), kUnitRows), unitsBefore);
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(control<QComboBox>(w, "ComboBox1")->currentText(), QString("Schnee"));
    QVERIFY(!QApplication::overrideCursor());

    // A new entry: neither the entry nor its first unit stays.
    newEntry(w);
    enterUnit(w, "5");
    enterUnit(w, "6");
    Messages::clearShown();
    save(w);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("1"));
    QCOMPARE(rows(f.session(), kUnitRows), unitsBefore);
    QCOMPARE(control<QLabel>(w, "Label16")->text(), QString("-1"));
    QCOMPARE(w->statusPanel(3)->text(), QString("  Neuer Eintrag"));
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(units(w)->gridRowCount(), 4);
}

void TestEditorSave::quotesAndApostrophesRoundTrip()
{
    const QString weather = QString::fromUtf8("'s ist mild, \"schön\"");
    const QString notes = QString::fromUtf8("Tempo 3'45'' auf \"Runde\"\nO'Brien lief mit");
    const QString sport = QStringLiteral("Rock'n'Roll-Lauf");
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    newEntry(w, "01.03.2025", "08:30", sport);
    control<QComboBox>(w, "ComboBox1")->setEditText(weather);
    control<QComboBox>(w, "ComboBox2")->setEditText("Pegasus '24");
    // Saved from the toolbar while the notes still have the focus: kept as typed.
    control<QPlainTextEdit>(w, "Memo2")->setPlainText(notes);
    tool(w, "SpeedButton5")->click();
    control<NumericEdit>(w, "EnhancedEdit3")->setText("4");
    control<QComboBox>(w, "ComboBox4")->setEditText("Bergauf 'hart'");
    control<QPushButton>(w, "Button1")->click();
    save(w);
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(f.value("SELECT Wetter FROM main"), weather);
    QCOMPARE(f.value("SELECT Notizen FROM main"), notes);
    QCOMPARE(f.value("SELECT Kategorie FROM main"), sport);
    QCOMPARE(f.value("SELECT Schuhe FROM main"), QString("Pegasus '24"));
    QCOMPARE(f.value("SELECT Bereich FROM units"), QString("Bergauf 'hart'"));

    f.closeEditor();
    w = f.openEditor(user);
    QCOMPARE(control<QComboBox>(w, "ComboBox1")->currentText(), weather);
    QCOMPARE(control<QPlainTextEdit>(w, "Memo2")->toPlainText(), notes);
    QCOMPARE(control<QComboBox>(w, "ComboBox3")->currentText(), sport);
}

void TestEditorSave::textFieldsTakeWhatTheirColumnsHold()
{
    EditorFixture f;
    TForm4* w = f.openEditor(f.addUser());
    QVERIFY(showActive(*w)); // a list field shows its start while it has no focus
    newEntry(w);
    enterUnit(w, "5");
    // Typed into every text field: what the code page lacks is refused, a
    // "%" in the words of the pick lists too, and each field keeps at most
    // what its column holds.
    const QString typed = QString::fromUtf8("Łódź 100% ") + QString(300, 'x');
    const QString word = QString::fromUtf8("ód 100 ") + QString(33, 'x');
    const QString shoe = QString::fromUtf8("ód 100% ") + QString(32, 'x');
    const QString memo = QString::fromUtf8("ód 100% ") + QString(247, 'x');
    const QList<std::tuple<const char*, const char*, QString>> fields = {{"ComboBox3", "Kategorie", word},
                                                                        {"ComboBox1", "Wetter", word},
                                                                        {"ComboBox2", "Schuhe", shoe},
                                                                        {"Memo1", "Befinden", memo},
                                                                        {"Memo2", "Notizen", memo}};
    for (const auto& [name, column, stored] : fields) {
        QWidget* field = w->findChild<QWidget*>(name);
        if (auto* combo = qobject_cast<QComboBox*>(field)) {
            combo->setEditText(QString());
            field = combo->lineEdit();
        } else {
            control<QPlainTextEdit>(w, name)->clear();
        }
        field->setFocus();
        typeText(field, typed);
    }
    save(w);
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));
    for (const auto& [name, column, stored] : fields)
        QCOMPARE(f.value(QStringLiteral("SELECT %1 FROM main").arg(column)), stored);

    // Time signs that lengthen a full memo are named before anything is written.
    auto* notes = control<QPlainTextEdit>(w, "Memo2");
    notes->clear();
    QTest::keyClicks(notes, QString(249, 'x') + "3'30''");
    leave(notes);
    QCOMPARE(notes->toPlainText().size(), 260);
    save(w);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].text, kHead + "- Notizen: mehr als 255 Zeichen\n\r");
    QCOMPARE(f.value("SELECT Notizen FROM main"), memo);
}

void TestEditorSave::storedDistancesStayAsStored()
{
    EditorFixture f;
    const int user = f.addUser();
    const int earlier = f.addEntry(user, "01.03.2025");
    int subId = 0;
    for (const char* km : {"14.6", "17.7", "18.4", "5.6", "0.7"})
        f.addUnit(earlier, ++subId, km);
    const int entry = f.addEntry(user, "02.03.2025");
    f.addUnit(entry, 1, "10.25");
    f.addUnit(entry, 2, "0.04");
    f.addUnit(entry, 3, "3");
    TForm4* w = f.openEditor(user);
    auto* total = control<QLabel>(w, "Label18");

    // The grid's total and the list view's agree.
    QCOMPARE(total->text(), QString("13,3 km"));
    tool(w, "ToolButton8")->click();
    auto* list = control<StringGrid>(w, "StringAlignGrid2");
    QCOMPARE(list->cells(4, 1), QString("57 km "));
    QCOMPARE(list->cells(4, 2), QString("13,3 km "));
    tool(w, "ToolButton12")->click();
    tool(w, "ToolButton3")->click();
    QCOMPARE(total->text(), QString("57 km"));
    tool(w, "ToolButton6")->click();

    // Saved untouched, then with unit 2 moved up and unit 3 changed: what
    // was not typed anew keeps its stored value, not its rounded text.
    const QString units = "SELECT SubID || '=' || TRIM(IIF(strecke IN ('10.25', '0.04', '3'), 'stored', 'other')) "
                          "FROM units WHERE MainID = " + quoted(entry) + " ORDER BY SubID";
    tool(w, "ToolButton13")->click();
    save(w);
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(rows(f.session(), units), QString("1=stored,2=stored,3=stored"));
    StringGrid* grid = editorinput::units(w);
    grid->setCurrentGridRow(2);
    tool(w, "SpeedButton1")->click();
    grid->setCurrentGridRow(3);
    tool(w, "SpeedButton4")->click();
    control<NumericEdit>(w, "EnhancedEdit3")->setText("3,5");
    control<QPushButton>(w, "Button1")->click();
    save(w);
    QCOMPARE(rows(f.session(), units), QString("1=stored,2=stored,3=other"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM units WHERE MainID = " + quoted(entry)
                     + " AND (SubID = 1 AND strecke = '0.04' OR SubID = 3 AND strecke = '3.5')"),
             QString("2"));
    QCOMPARE(total->text(), QString("13,8 km"));
}

// Another workstation saved the entry after it was loaded here; a save
// whose answer was lost is looked up before it is called done or failed.
void TestEditorSave::changeElsewhereAskedAndLostAnswerLookedUp()
{
    EditorFixture f;
    const int user = f.addUser();
    const int entry = f.addEntry(user, "01.02.2025");
    f.addUnit(entry, 1, "10");
    TForm4* w = f.openEditor(user);
    auto* weather = control<QComboBox>(w, "ComboBox1");
    const auto stored = [&] { return f.value("SELECT Wetter FROM main WHERE ID = " + quoted(entry)); };
    const auto change = [&](const QString& here, const QString& elsewhere) {
        tool(w, "ToolButton13")->click();
        weather->setEditText(here);
        if (!elsewhere.isEmpty())
            f.exec("UPDATE main SET Wetter = " + quoted(elsewhere) + " WHERE ID = " + quoted(entry));
        Messages::clearShown();
    };
    const QString question = "Der Eintrag wurde seit dem Laden an einem anderen Arbeitsplatz geändert.";

    change("Schnee", "Regen");
    save(w, {QMessageBox::Cancel});
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY2(Messages::shown().first().text.startsWith(question), qPrintable(Messages::shown().first().text));
    QCOMPARE(stored(), QString("Regen"));
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(weather->currentText(), QString("Schnee"));
    // saved over the other version
    save(w, {Messages::customAnswer(1)});
    QCOMPARE(stored(), QString("Schnee"));
    QVERIFY(!w->hasUnsavedChanges());
    QCOMPARE(f.value("SELECT COUNT(*) FROM units WHERE MainID = " + quoted(entry)), QString("1"));
    // saved once more from here: no question
    change("Nebel", {});
    save(w);
    QCOMPARE(Messages::shown().size(), 0);
    QCOMPARE(stored(), QString("Nebel"));
    // the other version loaded
    change("Wind", "Sonne");
    save(w, {Messages::customAnswer(0)});
    QCOMPARE(stored(), QString("Sonne"));
    QCOMPARE(weather->currentText(), QString("Sonne"));
    QVERIFY(!w->hasUnsavedChanges());

    // the answer of the commit lost: stored, and said so
    change("Hitze", {});
    Database::loseNextCommitAnswer(true);
    save(w);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().icon, QMessageBox::Information);
    QVERIFY(Messages::shown().first().text.endsWith("Die Änderung ist gespeichert."));
    QCOMPARE(stored(), QString("Hitze"));
    QVERIFY(!w->hasUnsavedChanges());

    // a new entry whose commit did not arrive: not taken for saved, saved once when tried again
    newEntry(w, "02.02.2025");
    enterUnit(w, "5");
    Messages::clearShown();
    Database::loseNextCommitAnswer(false);
    save(w);
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY(Messages::shown().first().text.contains("Die Änderung ist nicht gespeichert"));
    QVERIFY(w->hasUnsavedChanges());
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("1"));
    save(w);
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("2"));
    QVERIFY(!w->hasUnsavedChanges());
    f.discardEditor();
}

QTEST_MAIN(TestEditorSave)
#include "tst_editorsave.moc"

