#include "editorfixture.h"
#include "stringgrid.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

// The rows chosen in the editor's list view, changed at once through the
// buttons of the list's bar.
class TestEditorBulk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Messages::clearShown(); }
    void shoeAndSportForTheRowsChosen();
    void rowsChosenAreDeletedTogetherOrNotAtAll();
    void rowsHiddenByTheFilterAreNotChosen();
};

namespace {

QPushButton* push(TForm4* w, const char* name)
{
    return w->findChild<QPushButton*>(name);
}

void clickRow(StringGrid* list, int gridRow, Qt::KeyboardModifiers modifiers = {})
{
    const QRect cell = list->visualItemRect(list->item(gridRow - 1, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, cell.center());
}

QString shot(const QString& name)
{
    const QString folder = qEnvironmentVariable("TRAMORA_SHOTS");
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + name;
}

} // namespace

void TestEditorBulk::shoeAndSportForTheRowsChosen()
{
    EditorFixture f;
    const int user = f.addUser();
    for (const char* shoe : {"Alpha", "Beta"})
        f.exec(QStringLiteral("INSERT INTO schuhe (ID, modell, MaxLeistung, prevLeistung, UserID) VALUES "
                              "(gen_id(Gen_Schuhe,1), '%1', 500, 100, %2)")
                   .arg(QLatin1String(shoe))
                   .arg(user));
    QList<int> e;
    for (int day = 1; day <= 4; ++day) {
        e << f.addEntry(user, QStringLiteral("0%1.03.2025").arg(day), "08:00:00", day < 4 ? "Alpha" : "");
        f.addUnit(e.last(), 1, "10");
    }
    TForm4* w = f.openEditor(user);
    QSignalSpy changed(w, &TForm4::diaryChanged);
    auto* list = w->findChild<StringGrid*>("StringAlignGrid2");
    QVERIFY(!push(w, "AssignShoeButton")->isEnabled());

    // Rows 1 to 3 by a click and Shift with the arrow keys; the row last
    // reached is the entry shown behind the list.
    w->ToolButton8->click();
    QVERIFY(push(w, "AssignShoeButton")->isEnabled());
    clickRow(list, 1);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(list->selectedGridRows(), (QList<int>{1, 2, 3}));
    QCOMPARE(w->model().id(), QString::number(e[2]));
    if (const QString file = shot("editorbulk-list.png"); !file.isEmpty())
        w->grab().save(file);

    // The real dialog offers the person's shoes and none; Abbrechen changes nothing.
    QStringList offered;
    QStringList faults;
    QTimer::singleShot(0, [&] {
        QDialog* dialog = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "ChoiceDialog" && top->isVisible())
                dialog = qobject_cast<QDialog*>(top);
        if (!dialog)
            return;
        auto* field = dialog->findChild<QComboBox*>("ChoiceField");
        for (int i = 0; i < field->count(); ++i)
            offered << field->itemText(i);
        faults = layoutFaults({dialog});
        if (const QString file = shot("editorbulk-choice.png"); !file.isEmpty())
            dialog->grab().save(file);
        dialog->reject();
    });
    push(w, "AssignShoeButton")->click();
    QCOMPARE(offered, (QStringList{"(kein Schuh)", "Alpha", "Beta"}));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
    QCOMPARE(Messages::shown().last().text, QString("Schuh für die 3 gewählten Einträge:"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM main WHERE Schuhe = 'Alpha'"), QString("3"));
    QCOMPARE(changed.count(), 0);

    // Beta for the three: stored, in the list and in the form behind it
    // with its mileage read anew.
    Messages::setNextChoice(QString("Beta"));
    push(w, "AssignShoeButton")->click();
    QCOMPARE(f.value("SELECT COUNT(*) FROM main WHERE Schuhe = 'Beta'"), QString("3"));
    QCOMPARE(f.value(QString("SELECT Schuhe FROM main WHERE ID = %1").arg(e[3])), QString());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(w->model().id(), QString::number(e[2]));
    QCOMPARE(list->currentGridRow(), 3);
    QCOMPARE(list->cells(7, 1), QString("Beta"));
    QCOMPARE(w->ComboBox2->currentText(), QString("Beta"));
    QCOMPARE(w->Label24->text(), QString("130,0 km"));
    QCOMPARE(w->statusPanel(1)->text(), QString("  Gesamt: 40,0 km"));

    // Ctrl+A takes all; a sport the column cannot take is refused before
    // anything is written, one typed anew is stored and joins the list.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    Messages::setNextChoice(QString("Rad%Berg"));
    Messages::setNextAnswer(QMessageBox::Ok);
    push(w, "ChangeSportButton")->click();
    QCOMPARE(Messages::shown().last().title, QString("Fehler"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM main WHERE Kategorie = 'Laufen'"), QString("4"));
    Messages::setNextChoice(QString("Berglauf"));
    push(w, "ChangeSportButton")->click();
    QCOMPARE(Messages::shown().last().items.first(), QString("Laufen"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM main WHERE Kategorie = 'Berglauf'"), QString("4"));
    QVERIFY(w->ComboBox3->findText("Berglauf") > 0);
    QCOMPARE(w->ComboBox3->currentText(), QString("Berglauf"));
    QCOMPARE(changed.count(), 2);

    // Back in the form the buttons have nothing to act on.
    w->ToolButton12->click();
    QVERIFY(!push(w, "ChangeSportButton")->isEnabled());
    f.discardEditor();
}

void TestEditorBulk::rowsChosenAreDeletedTogetherOrNotAtAll()
{
    EditorFixture f;
    const int user = f.addUser();
    QList<int> e;
    for (int day = 1; day <= 5; ++day) {
        e << f.addEntry(user, QStringLiteral("0%1.03.2025").arg(day));
        f.addUnit(e.last(), 1, QString::number(day));
    }
    TForm4* w = f.openEditor(user);
    auto* list = w->findChild<StringGrid*>("StringAlignGrid2");
    w->ToolButton8->click();
    clickRow(list, 2);
    clickRow(list, 4, Qt::ControlModifier);
    QCOMPARE(list->selectedGridRows(), (QList<int>{2, 4}));

    Messages::setNextAnswer(QMessageBox::No);
    push(w, "DeleteEntriesButton")->click();
    QCOMPARE(Messages::shown().last().text, QString("Möchten Sie die 2 gewählten Einträge löschen?"));
    QCOMPARE(w->entries().size(), 5);

    // The engine refusing the second entry keeps the first with its units.
    f.exec("CREATE EXCEPTION bulk_refused 'refused'");
    f.exec(QString("CREATE TRIGGER bulk_refuse FOR main BEFORE DELETE AS BEGIN IF (OLD.ID = %1) THEN "
                   "EXCEPTION bulk_refused; END")
               .arg(e[3]));
    Messages::setNextAnswer(QMessageBox::Yes);
    Messages::setNextAnswer(QMessageBox::Ok);
    push(w, "DeleteEntriesButton")->click();
    QCOMPARE(Messages::shown().last().icon, QMessageBox::Critical);
    QCOMPARE(f.value("SELECT COUNT(*) FROM units"), QString("5"));
    QCOMPARE(w->entries().size(), 5);
    QCOMPARE(list->selectedGridRows(), (QList<int>{2, 4}));
    f.exec("DROP TRIGGER bulk_refuse");

    Messages::setNextAnswer(QMessageBox::Yes);
    push(w, "DeleteEntriesButton")->click();
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("3"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM units"), QString("3"));
    // The entry shown is gone: its neighbour after it is shown and marked.
    QCOMPARE(w->model().id(), QString::number(e[4]));
    QCOMPARE(list->gridRowCount(), 5);
    QCOMPARE(list->currentGridRow(), 3);
    QCOMPARE(w->statusPanel(0)->text(), QString("  3 Trainingseinheiten"));
    QCOMPARE(w->statusPanel(1)->text(), QString("  Gesamt: 9,0 km"));

    // One row is asked about as one entry; the last entry gone, none is left to choose.
    Messages::setNextAnswer(QMessageBox::Yes);
    push(w, "DeleteEntriesButton")->click();
    QCOMPARE(Messages::shown().last().text, QString("Möchten Sie den gewählten Eintrag löschen?"));
    QCOMPARE(w->entries(), (QStringList{QString::number(e[0]), QString::number(e[2])}));
    f.discardEditor();
}

void TestEditorBulk::rowsHiddenByTheFilterAreNotChosen()
{
    EditorFixture f;
    const int user = f.addUser();
    for (const char* shoe : {"Alpha", "Beta", "Alpha"})
        f.addEntry(user, QStringLiteral("01.03.2025"), "08:00:00", shoe);
    TForm4* w = f.openEditor(user);
    auto* list = w->findChild<StringGrid*>("StringAlignGrid2");
    w->ToolButton8->click();
    QTest::keyClicks(w->findChild<QLineEdit*>("FilterEdit"), "alpha");
    QTRY_COMPARE(w->statusPanel(0)->text(), QString("  2 von 3 Einträgen"));
    // Everything chosen is what the list shows, not the row hidden between.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    Messages::setNextAnswer(QMessageBox::Yes);
    push(w, "DeleteEntriesButton")->click();
    QCOMPARE(Messages::shown().last().text, QString("Möchten Sie die 2 gewählten Einträge löschen?"));
    QCOMPARE(f.value("SELECT Schuhe FROM main"), QString("Beta"));
    f.discardEditor();
}

QTEST_MAIN(TestEditorBulk)
#include "tst_editorbulk.moc"
