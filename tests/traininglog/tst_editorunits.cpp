#include "editorfixture.h"
#include "editorinput.h"

using namespace editorinput;

class TestEditorUnits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }

    void seriesAddsIdenticalUnits();
    void repetitionsThatAreNoNumberAddNothing();
    void movingUpAndDownAtTheEdges();
    void deletingRenumbersAndSavesInGridOrder();
    void changingAUnitKeepsItsZoneUnlessChosen();
    void totalsAndPace();
    void unitOpenForChangeIsTheUnit();
    void loadingAndClearingAreNoInput();
};

namespace {

// The user's stored entry with units of 1, 2 and 3 km, shown unlocked.
TForm4* openWithThreeUnits(EditorFixture& f, int* entryId = nullptr)
{
    const int user = f.addUser();
    const int entry = f.addEntry(user, "02.03.2025");
    f.addUnit(entry, 1, "1", "00:05:00", "120", "Fahrtspiel");
    f.addUnit(entry, 2, "2", "00:10:00", "150");
    f.addUnit(entry, 3, "3");
    if (entryId)
        *entryId = entry;
    TForm4* w = f.openEditor(user);
    tool(w, "ToolButton13")->click();
    return w;
}

QString distances(StringGrid* grid)
{
    QStringList cells;
    for (int row = 1; row < grid->gridRowCount(); ++row)
        cells << grid->cells(0, row) + grid->cells(1, row);
    return cells.join('|');
}

} // namespace

void TestEditorUnits::seriesAddsIdenticalUnits()
{
    EditorFixture f;
    TForm4* w = f.openEditor(f.addUser());
    newEntry(w);
    enterUnit(w, "2", "00:12:00");
    enterUnit(w, "5");
    tool(w, "SpeedButton5")->click();
    control<NumericEdit>(w, "EnhancedEdit3")->setText("1");
    control<MaskEdit>(w, "maskeditL2")->setText("00:04:00");
    control<NumericEdit>(w, "EnhancedEdit4")->setText("170");
    control<QComboBox>(w, "ComboBox4")->setCurrentIndex(6);
    control<NumericEdit>(w, "EnhancedEdit5")->setText("3");
    QVERIFY(control<QCheckBox>(w, "BitCheckBox1")->isChecked());
    control<QPushButton>(w, "Button1")->click();

    StringGrid* grid = units(w);
    QCOMPARE(grid->gridRowCount(), 7);
    const QString zone = control<QComboBox>(w, "ComboBox4")->itemText(6);
    for (int row = 3; row <= 5; ++row) {
        QCOMPARE(grid->cells(0, row), QString("%1. ").arg(row));
        QCOMPARE(grid->cells(1, row), QString("1 km "));
        QCOMPARE(grid->cells(2, row), QString("00:04:00"));
        QCOMPARE(grid->cells(3, row), QString("170"));
        QCOMPARE(grid->cells(4, row), zone);
    }
    QVERIFY(grid->isRowEmpty(6));
    QCOMPARE(grid->currentGridRow(), 5);
    QCOMPARE(control<QLabel>(w, "Label18")->text(), QString("10 km"));
    // The editors are cleared and locked after entering.
    QVERIFY(!control<QPushButton>(w, "Button1")->isEnabled());
    QVERIFY(!control<QCheckBox>(w, "BitCheckBox1")->isChecked());
    QVERIFY(control<NumericEdit>(w, "EnhancedEdit3")->text().isEmpty());
}

void TestEditorUnits::repetitionsThatAreNoNumberAddNothing()
{
    EditorFixture f;
    TForm4* w = f.openEditor(f.addUser());
    newEntry(w);
    tool(w, "SpeedButton5")->click();
    control<NumericEdit>(w, "EnhancedEdit3")->setText("1");
    control<QCheckBox>(w, "BitCheckBox1")->setChecked(true); // ticked without a count
    Messages::clearShown();
    answering({}, [w] { control<QPushButton>(w, "Button1")->click(); });
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, QString::fromUtf8("'' ist kein gültiger Integerwert."));
    QCOMPARE(units(w)->gridRowCount(), 2);
    QCOMPARE(control<NumericEdit>(w, "EnhancedEdit3")->text(), QString("1"));
    QVERIFY(control<QPushButton>(w, "Button1")->isEnabled());
}

void TestEditorUnits::movingUpAndDownAtTheEdges()
{
    EditorFixture f;
    TForm4* w = openWithThreeUnits(f);
    StringGrid* grid = units(w);
    QVERIFY(!w->hasUnsavedChanges());
    const QString before = distances(grid);

    grid->setCurrentGridRow(1);
    tool(w, "SpeedButton1")->click(); // the first unit cannot go up
    QCOMPARE(distances(grid), before);
    QVERIFY(w->hasUnsavedChanges());

    grid->setCurrentGridRow(3);
    tool(w, "SpeedButton2")->click(); // nor the last down, below the empty row
    QCOMPARE(distances(grid), before);
    QCOMPARE(grid->currentGridRow(), 3);

    grid->setCurrentGridRow(1);
    tool(w, "SpeedButton2")->click();
    QCOMPARE(distances(grid), QString("1. 2 km |2. 1 km |3. 3 km |"));
    QCOMPARE(grid->currentGridRow(), 2);
    QCOMPARE(grid->cells(4, 2), QString("Fahrtspiel")); // every cell moves with the unit
    tool(w, "SpeedButton2")->click();
    tool(w, "SpeedButton1")->click();
    tool(w, "SpeedButton1")->click();
    QCOMPARE(distances(grid), before);
    QCOMPARE(grid->currentGridRow(), 1);
}

void TestEditorUnits::deletingRenumbersAndSavesInGridOrder()
{
    const QString question = QString::fromUtf8("Möchten Sie den gewählten Trainingsinhalt löschen?");
    EditorFixture f;
    int entry = 0;
    TForm4* w = openWithThreeUnits(f, &entry);
    StringGrid* grid = units(w);
    grid->setCurrentGridRow(2);

    Messages::clearShown();
    answering({QMessageBox::No}, [w] { tool(w, "SpeedButton3")->click(); });
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, question);
    QCOMPARE(grid->gridRowCount(), 5);
    QVERIFY(w->hasUnsavedChanges());

    answering({QMessageBox::Yes}, [w] { tool(w, "SpeedButton3")->click(); });
    QCOMPARE(distances(grid), QString("1. 1 km |2. 3 km |"));
    QCOMPARE(control<QLabel>(w, "Label18")->text(), QString("4 km"));

    save(w);
    QCOMPARE(rows(f.session(), "SELECT SubID || '=' || CAST(strecke AS INTEGER) FROM units WHERE MainID = " + quoted(entry)
                                   + " ORDER BY SubID"),
             QString("1=1,2=3"));

    grid->setCurrentGridRow(1);
    answering({QMessageBox::Yes}, [w] { tool(w, "SpeedButton3")->click(); });
    grid->setCurrentGridRow(1);
    answering({QMessageBox::Yes}, [w] { tool(w, "SpeedButton3")->click(); });
    QCOMPARE(grid->gridRowCount(), 2);
    QVERIFY(grid->isRowEmpty(1));
    QCOMPARE(control<QLabel>(w, "Label18")->text(), QString("0 km"));
}

void TestEditorUnits::changingAUnitKeepsItsZoneUnlessChosen()
{
    EditorFixture f;
    TForm4* w = openWithThreeUnits(f);
    StringGrid* grid = units(w);
    grid->setCurrentGridRow(1);
    tool(w, "SpeedButton4")->click();
    QCOMPARE(control<NumericEdit>(w, "EnhancedEdit3")->text(), QString("1"));
    QCOMPARE(control<MaskEdit>(w, "maskeditL2")->text(), QString("00:05:00"));
    QCOMPARE(control<NumericEdit>(w, "EnhancedEdit4")->text(), QString("120"));
    QCOMPARE(control<QComboBox>(w, "ComboBox4")->currentText(), QString("Fahrtspiel"));
    QVERIFY(!control<QCheckBox>(w, "BitCheckBox1")->isEnabled());
    QCOMPARE(control<QLabel>(w, "Label19")->text(), QString("5:00 min/km"));

    control<NumericEdit>(w, "EnhancedEdit3")->setText("1,5");
    control<QComboBox>(w, "ComboBox4")->setCurrentIndex(0);
    control<QPushButton>(w, "Button1")->click();
    QCOMPARE(grid->cells(1, 1), QString("1,5 km "));
    QCOMPARE(grid->cells(4, 1), QString("Fahrtspiel"));
    QCOMPARE(grid->gridRowCount(), 5);

    grid->setCurrentGridRow(2);
    tool(w, "SpeedButton4")->click();
    control<QComboBox>(w, "ComboBox4")->setEditText("Hügel");
    control<QPushButton>(w, "Button1")->click();
    QCOMPARE(grid->cells(4, 2), QString::fromUtf8("Hügel"));

    // The empty row holds no unit to change.
    grid->setCurrentGridRow(4);
    tool(w, "SpeedButton4")->click();
    QVERIFY(!control<QPushButton>(w, "Button1")->isEnabled());
}

void TestEditorUnits::totalsAndPace()
{
    EditorFixture f;
    TForm4* w = f.openEditor(f.addUser());
    newEntry(w);
    enterUnit(w, "10");
    enterUnit(w, "2,5");
    QCOMPARE(control<QLabel>(w, "Label18")->text(), QString("12,5 km"));
    newEntry(w);
    enterUnit(w, "10");
    enterUnit(w, "2");
    QCOMPARE(control<QLabel>(w, "Label18")->text(), QString("12 km"));

    tool(w, "SpeedButton5")->click();
    auto* distance = control<NumericEdit>(w, "EnhancedEdit3");
    auto* time = control<MaskEdit>(w, "maskeditL2");
    auto* pace = control<QLabel>(w, "Label19");
    distance->setText("10");
    leave(distance);
    QCOMPARE(pace->text(), QString());
    time->setText("00:45:30");
    leave(time);
    QCOMPARE(pace->text(), QString("4:33 min/km"));
    distance->setText("0");
    leave(distance);
    QCOMPARE(pace->text(), QString());

    // A ride is measured in km/h; the label follows the sport.
    auto* sport = control<QComboBox>(w, "ComboBox3");
    sport->setEditText("Radfahren");
    distance->setText("15");
    leave(distance);
    QCOMPARE(pace->text(), QString("19,8 km/h"));
    sport->setEditText("Laufen");
    QCOMPARE(pace->text(), QString("3:02 min/km"));
}

void TestEditorUnits::unitOpenForChangeIsTheUnit()
{
    EditorFixture f;
    TForm4* w = openWithThreeUnits(f);
    StringGrid* grid = units(w);
    auto* distance = control<NumericEdit>(w, "EnhancedEdit3");
    auto* enter = control<QPushButton>(w, "Button1");

    // Unit 2, open for change, moves up: "Eintragen" changes it, not unit 1.
    grid->setCurrentGridRow(2);
    tool(w, "SpeedButton4")->click();
    tool(w, "SpeedButton1")->click();
    distance->setText("7");
    enter->click();
    QCOMPARE(distances(grid), QString("1. 7 km |2. 1 km |3. 3 km |"));
    QCOMPARE(grid->cells(2, 2), QString("00:05:00"));
    QCOMPARE(grid->cells(4, 2), QString("Fahrtspiel"));

    // Moved down as well.
    grid->setCurrentGridRow(1);
    tool(w, "SpeedButton4")->click();
    tool(w, "SpeedButton2")->click();
    distance->setText("8");
    enter->click();
    QCOMPARE(distances(grid), QString("1. 1 km |2. 8 km |3. 3 km |"));

    // "Neuer Eintrag" lets go of a unit open for change: the editors are
    // locked, and the first unit of the new entry lands in row 1.
    grid->setCurrentGridRow(2);
    tool(w, "SpeedButton4")->click();
    answering({QMessageBox::No}, [w] { tool(w, "ToolButton1")->click(); });
    QVERIFY(!enter->isEnabled());
    QVERIFY(!distance->isEnabled());
    QVERIFY(distance->text().isEmpty());
    enterUnit(w, "5");
    QCOMPARE(distances(grid), QString("1. 5 km |"));
    QCOMPARE(control<QLabel>(w, "Label18")->text(), QString("5 km"));
}

void TestEditorUnits::loadingAndClearingAreNoInput()
{
    EditorFixture f;
    TForm4* w = openWithThreeUnits(f);
    StringGrid* grid = units(w);
    Messages::clearShown();
    answering({}, [&] {
        // Unit 2 (150 at 190: 78 %) is loaded first; unit 1's zone is then
        // not checked against that pulse.
        grid->setCurrentGridRow(2);
        tool(w, "SpeedButton4")->click();
        QCOMPARE(control<QLabel>(w, "Label20")->text(), QString("78 % max. HF"));
        grid->setCurrentGridRow(1);
        w->StringAlignGrid1DblClick();
        QCOMPARE(control<QComboBox>(w, "ComboBox4")->currentText(), QString("Fahrtspiel"));
        QCOMPARE(control<QLabel>(w, "Label20")->text(), QString("63 % max. HF"));
        QVERIFY(!w->hasUnsavedChanges());
        tool(w, "SpeedButton5")->click();
        QVERIFY(control<MaskEdit>(w, "maskeditL2")->isEmpty());
        QVERIFY(!w->hasUnsavedChanges());
    });
    QVERIFY(Messages::shown().isEmpty());
}

QTEST_MAIN(TestEditorUnits)
#include "tst_editorunits.moc"
