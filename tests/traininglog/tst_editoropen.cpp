#include "editorfixture.h"

#include "dateedit.h"
#include "maskedit.h"
#include "numericedit.h"
#include "stringgrid.h"

#include <QLabel>
#include <QPlainTextEdit>

class TestEditorOpen : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void userWithoutEntries();
    void userWithEntriesShowsTheLatest();
    void closingGivesTheMainWindowBack();
};

void TestEditorOpen::userWithoutEntries()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    QVERIFY(w);
    QCOMPARE(w->objectName(), QString("TForm4"));
    QCOMPARE(w->windowTitle(), QString("Trainingseinheiten Max Muster"));
    QCOMPARE(w->statusPanel(0)->text(), QString("  0 Trainingseinheiten"));
    QCOMPARE(w->statusPanel(1)->text(), QString("  Gesamt: 0,0 km"));
    QCOMPARE(w->statusPanel(3)->text(), QString("  ID:"));
    QCOMPARE(w->findChild<QLabel*>("Label16")->text(), QString("-1"));
    QCOMPARE(w->findChild<DateEdit*>("DateEdit1")->text(), QDate::currentDate().toString("dd.MM.yyyy"));
    for (const char* name : {"ToolButton2", "ToolButton3", "ToolButton4", "ToolButton5", "ToolButton6", "ToolButton13"})
        QVERIFY2(!w->findChild<QToolButton*>(name)->isEnabled(), name);
    QVERIFY(w->findChild<QToolButton*>("ToolButton1")->isEnabled());
    QCOMPARE(w->findChild<NumericEdit*>("EnhancedEdit1")->text(), QString("48"));
    QCOMPARE(w->findChild<NumericEdit*>("EnhancedEdit2")->text(), QString("72,5"));
    auto* zones = w->findChild<QComboBox*>("ComboBox4");
    QCOMPARE(zones->itemText(0), QString::fromUtf8("-- bitte eintragen oder auswählen --"));
    QCOMPARE(zones->count(), 12);
    auto* sports = w->findChild<QComboBox*>("ComboBox3");
    QCOMPARE(sports->count(), 4);
    QCOMPARE(sports->currentIndex(), 0);
    QVERIFY(!w->hasUnsavedChanges());
    QVERIFY(!f.main().ComboBox1->isEnabled());
    QVERIFY(!f.main().ToolButton3->isEnabled());
    // Kept above the main window through its owner; boxes and dialogs may come above it.
    QCOMPARE(w->parentWidget(), &f.main());
    QVERIFY(!(w->windowFlags() & Qt::WindowStaysOnTopHint));
}

void TestEditorOpen::userWithEntriesShowsTheLatest()
{
    EditorFixture f;
    const int user = f.addUser();
    const int other = f.addUser("Zweite", "Eva");
    f.addEntry(user, "02.03.2025", "18:00:00");
    const int latest = f.addEntry(user, "03.03.2025", "07:15:00", "Renner",
                                  ", '-1', '-1', '0:45'");
    f.addEntry(user, "03.03.2025", "06:00:00");
    f.addEntry(other, "04.03.2025");
    f.addUnit(latest, 1, "10", "00:50:00", "-1", "Wettkampf");
    f.addUnit(latest, 2, "2.5", "00:00:00", "140");
    TForm4* w = f.openEditor(user);
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(w->entries().size(), 3);
    QCOMPARE(w->position(), 2);
    QCOMPARE(w->findChild<QLabel*>("Label16")->text(), QString::number(latest));
    QCOMPARE(w->statusPanel(2)->text(), QString("  Eintrag 3/3"));
    QCOMPARE(w->statusPanel(3)->text(), QString("  ID: %1").arg(latest));
    QCOMPARE(w->findChild<DateEdit*>("DateEdit1")->text(), QString("03.03.2025"));
    QCOMPARE(w->findChild<MaskEdit*>("maskeditL1")->text(), QString("07:15"));
    QCOMPARE(w->findChild<MaskEdit*>("maskeditL3")->text(), QString(" 0:45"));
    QCOMPARE(w->findChild<NumericEdit*>("EnhancedEdit1")->text(), QString());
    QCOMPARE(w->findChild<NumericEdit*>("EnhancedEdit2")->text(), QString());
    QCOMPARE(w->findChild<QComboBox*>("ComboBox2")->currentText(), QString("Renner"));
    auto* grid = w->findChild<StringGrid*>("StringAlignGrid1");
    QCOMPARE(grid->gridRowCount(), 4);
    QCOMPARE(grid->cells(0, 1), QString("1. "));
    QCOMPARE(grid->cells(1, 1), QString("10 km "));
    QCOMPARE(grid->cells(3, 1), QString());
    QCOMPARE(grid->cells(4, 1), QString("Wettkampf"));
    QCOMPARE(grid->cells(1, 2), QString("2,5 km "));
    QCOMPARE(grid->cells(2, 2), QString());
    QCOMPARE(w->findChild<QLabel*>("Label18")->text(), QString("12,5 km"));
    QVERIFY(!w->findChild<QToolButton*>("ToolButton5")->isEnabled());
    QVERIFY(w->findChild<QToolButton*>("ToolButton4")->isEnabled());
    QVERIFY(!w->findChild<QToolButton*>("ToolButton10")->isEnabled());
    // Locked: the fields grey out, the labels and the group's caption do not.
    auto* basic = w->findChild<QWidget*>("GroupBox2");
    QVERIFY(basic->isEnabled());
    for (QWidget* child : basic->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QVERIFY2(child->isEnabled() == bool(qobject_cast<QLabel*>(child)), qPrintable(child->objectName()));
    QVERIFY(!w->hasUnsavedChanges());
}

void TestEditorOpen::closingGivesTheMainWindowBack()
{
    EditorFixture f;
    const int user = f.addUser();
    f.addEntry(user, "02.03.2025");
    f.openEditor(user);
    f.main().ToolButton6->setEnabled(false);
    f.closeEditor();
    QVERIFY(f.main().ComboBox1->isEnabled());
    QVERIFY(f.main().ToolButton3->isEnabled());
    QVERIFY(f.main().ToolButton6->isEnabled());
    QVERIFY(f.main().ToolButton7->isEnabled());
}

QTEST_MAIN(TestEditorOpen)
#include "tst_editoropen.moc"
