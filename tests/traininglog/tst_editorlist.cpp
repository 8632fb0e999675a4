#include "editorfixture.h"

#include "stringgrid.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>

// The list view of the editor, driven through its filter line, its sport
// choice and the headings of its columns.
class TestEditorList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typingNarrowsTheRows();
    void headingsSortAndPickedRowsShowTheirEntry();
};

namespace {

StringGrid* list(TForm4* w)
{
    return w->findChild<StringGrid*>("StringAlignGrid2");
}

// The IDs of the rows shown, from top to bottom.
QStringList shownIds(TForm4* w)
{
    StringGrid* grid = list(w);
    QStringList ids;
    for (int r = 0; r < grid->rowCount(); ++r)
        if (!grid->isRowHidden(r) && !grid->cells(0, r + 1).isEmpty())
            ids << grid->cells(0, r + 1);
    return ids;
}

void clickHeading(TForm4* w, int column)
{
    QHeaderView* header = list(w)->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 4, header->height() / 2));
}

} // namespace

void TestEditorList::typingNarrowsTheRows()
{
    EditorFixture f;
    const int user = f.addUser();
    const int other = f.addUser("Zweite", "Eva");
    QStringList ids;
    for (int day = 1; day <= 10; ++day)
        ids << QString::number(f.addEntry(user, QString("%1.03.2025").arg(day, 2, 10, QLatin1Char('0'))));
    f.exec("UPDATE main SET Notizen = 'Übung am Berg' WHERE ID = " + ids[1]);
    f.exec("UPDATE main SET Wetter = 'übermäßig warm', Kategorie = 'Radfahren' WHERE ID = " + ids[4]);
    f.exec("UPDATE main SET Befinden = '100% fit', Kategorie = 'Radfahren' WHERE ID = " + ids[7]);
    f.exec("UPDATE main SET Schuhe = 'Berglöwe' WHERE ID = " + ids[8]);
    f.addEntry(other, "01.03.2025", "08:00:00", "Berglöwe");
    TForm4* w = f.openEditor(user);
    QVERIFY(w && showActive(*w));
    w->ToolButton8->click();
    QVERIFY(w->ListBar->isVisible());
    QCOMPARE(w->statusPanel(0)->text(), QString("  10 Trainingseinheiten"));
    QCOMPARE(w->FilterSport->count(), 3);
    QCOMPARE(w->FilterSport->itemText(0), QString("alle Sportarten"));
    QCOMPARE(w->FilterSport->itemText(1), QString("Laufen"));

    // Typed, in any case, umlauts too, in notes, weather, shoe and feeling;
    // the other person's entries never show.
    QTest::keyClicks(w->FilterEdit, "ÜB");
    QTRY_COMPARE(w->statusPanel(0)->text(), QString("  2 von 10 Einträgen"));
    QCOMPARE(shownIds(w), QStringList({ids[1], ids[4]}));
    // The entry shown behind the list (the last) has no row now: none is marked.
    QCOMPARE(list(w)->currentGridRow(), -1);
    w->FilterEdit->setText("BERG");
    QTRY_COMPARE(shownIds(w), QStringList({ids[1], ids[8]}));
    w->FilterEdit->setText("0%");
    QTRY_COMPARE(shownIds(w), QStringList{ids[7]});
    // The sport narrows with the text and alone.
    w->FilterEdit->setText("e");
    w->FilterSport->setCurrentText("Radfahren");
    QCOMPARE(shownIds(w), QStringList({ids[4], ids[7]}));
    QCOMPARE(w->statusPanel(0)->text(), QString("  2 von 10 Einträgen"));

    // The filter stays through a rebuild of the list and a visit to the form.
    w->ToolButton8Click();
    QCOMPARE(w->FilterEdit->text(), QString("e"));
    QCOMPARE(w->FilterSport->currentText(), QString("Radfahren"));
    QCOMPARE(shownIds(w), QStringList({ids[4], ids[7]}));
    w->ToolButton12->click();
    w->FilterEdit->clear();
    w->ToolButton8->click();
    QCOMPARE(shownIds(w), QStringList({ids[4], ids[7]}));
    QCOMPARE(w->statusPanel(0)->text(), QString("  2 von 10 Einträgen"));
    w->FilterSport->setCurrentIndex(0);
    QCOMPARE(shownIds(w), ids);
    QCOMPARE(w->statusPanel(0)->text(), QString("  10 Trainingseinheiten"));

    // The bar at the editor's own size, with a filter set: nothing cut off.
    w->FilterEdit->setText("Berg");
    QTRY_COMPARE(shownIds(w).size(), 2);
    QStringList faults = layoutFaults({w->ListBar});
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    if (qEnvironmentVariableIsSet("TRAMORA_SHOTS"))
        w->grab().save(qEnvironmentVariable("TRAMORA_SHOTS") + "/editorlist.png");
    QVERIFY(Messages::shown().isEmpty());
    f.discardEditor();
}

void TestEditorList::headingsSortAndPickedRowsShowTheirEntry()
{
    EditorFixture f;
    const int user = f.addUser();
    const QString slow = QString::number(f.addEntry(user, "01.03.2025", "18:00:00"));
    const QString none = QString::number(f.addEntry(user, "02.03.2025"));
    const QString fast = QString::number(f.addEntry(user, "03.03.2025"));
    const QString untimed = QString::number(f.addEntry(user, "01.03.2025", "07:00:00"));
    const QString mixed = QString::number(f.addEntry(user, "04.03.2025"));
    f.addUnit(slow.toInt(), 1, "9.5", "00:57:00");
    f.addUnit(fast.toInt(), 1, "10", "00:40:00");
    f.addUnit(fast.toInt(), 2, "2", "00:10:00");
    f.addUnit(untimed.toInt(), 1, "5", "00:00:00");
    // A unit without a time does not count into the pace.
    f.addUnit(mixed.toInt(), 1, "1", "00:00:00");
    f.addUnit(mixed.toInt(), 2, "2", "00:09:00");
    TForm4* w = f.openEditor(user);
    w->ToolButton8->click();
    StringGrid* grid = list(w);
    QHeaderView* header = grid->horizontalHeader();
    // Zeit and Tempo stand after Strecke, the notes last.
    QCOMPARE(header->visualIndex(11), header->visualIndex(4) + 1);
    QCOMPARE(header->visualIndex(12), header->visualIndex(4) + 2);
    QCOMPARE(header->logicalIndex(header->count() - 1), 10);
    QCOMPARE(grid->cells(10, 0), QString("Notizen"));

    // By date and time of day, as the list comes.
    QCOMPARE(shownIds(w), QStringList({untimed, slow, none, fast, mixed}));
    QCOMPARE(grid->cells(11, 4), QString("0:50:00"));
    QCOMPARE(grid->cells(12, 4), QString("4:10 min/km"));
    QCOMPARE(grid->cells(12, 5), QString("4:30 min/km"));
    QCOMPARE(grid->cells(11, 1), QString());

    clickHeading(w, 4); // Strecke: by number, not as text ("12" before "9,5")
    QCOMPARE(shownIds(w), QStringList({none, mixed, untimed, slow, fast}));
    QCOMPARE(header->sortIndicatorSection(), 4);
    clickHeading(w, 4);
    QCOMPARE(shownIds(w), QStringList({fast, slow, untimed, mixed, none}));
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
    // Tempo: the entries without one last, either way.
    clickHeading(w, 12);
    QCOMPARE(shownIds(w), QStringList({fast, mixed, slow, untimed, none}));
    clickHeading(w, 12);
    QCOMPARE(shownIds(w), QStringList({slow, mixed, fast, untimed, none}));
    QVERIFY(grid->isRowEmpty(grid->gridRowCount() - 1));
    if (qEnvironmentVariableIsSet("TRAMORA_SHOTS"))
        w->grab().save(qEnvironmentVariable("TRAMORA_SHOTS") + "/editorlistsorted.png");
    clickHeading(w, 1);
    QCOMPARE(shownIds(w), QStringList({untimed, slow, none, fast, mixed}));
    clickHeading(w, 1);
    QCOMPARE(shownIds(w), QStringList({mixed, fast, none, slow, untimed}));

    // A picked row shows its entry; paging marks the row of the entry shown.
    clickHeading(w, 11); // Zeit
    QCOMPARE(shownIds(w), QStringList({mixed, fast, slow, none, untimed}));
    grid->setCurrentGridRow(3);
    QCOMPARE(w->findChild<QLabel*>("Label16")->text(), slow);
    w->ToolButton3->click(); // the first of the paging
    QCOMPARE(w->findChild<QLabel*>("Label16")->text(), untimed);
    QCOMPARE(grid->currentGridRow(), 5);
    // The order stays when the list is built anew (those without a time in date order).
    w->ToolButton8Click();
    QCOMPARE(shownIds(w), QStringList({mixed, fast, slow, untimed, none}));
    QCOMPARE(header->sortIndicatorSection(), 11);
    QVERIFY(Messages::shown().isEmpty());
    f.discardEditor();
}

int main(int argc, char* argv[])
{
    TestEditorList test;
    return runOnScreen(test, argc, argv, QSize(1280, 1024));
}
#include "tst_editorlist.moc"
