#include "editorfixture.h"

#include "maskedit.h"
#include "numericedit.h"
#include "stringgrid.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>

class TestEditorBrowse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pagingClampsAndSetsTheButtons();
    void entriesOfOneDateByTime();
    void deletingKeepsThePositionInsideAndNoUnits();
    void listViewShowsEveryEntry();
    void failedDeleteKeepsTheUnits();
    void pagingPastEntriesDeletedElsewhere();
};

namespace {

QToolButton* button(TForm4* w, const char* name)
{
    return w->findChild<QToolButton*>(name);
}

QString shownId(TForm4* w)
{
    return w->findChild<QLabel*>("Label16")->text();
}

// Which of the paging buttons and "Eintrag ändern" / "Eintrag löschen" can be pressed, as "3456 13 2".
QString enabledButtons(TForm4* w)
{
    QString result;
    for (const char* name : {"ToolButton3", "ToolButton4", "ToolButton5", "ToolButton6", "ToolButton13",
                             "ToolButton2", "ToolButton1", "ToolButton10"})
        if (button(w, name)->isEnabled())
            result += QString::fromLatin1(name).mid(10) + ' ';
    return result.trimmed();
}

} // namespace

void TestEditorBrowse::pagingClampsAndSetsTheButtons()
{
    EditorFixture f;
    const int user = f.addUser();
    const int e1 = f.addEntry(user, "01.03.2025");
    const int e2 = f.addEntry(user, "02.03.2025");
    const int e3 = f.addEntry(user, "03.03.2025");
    TForm4* w = f.openEditor(user);
    QCOMPARE(shownId(w), QString::number(e3));
    QCOMPARE(enabledButtons(w), QString("3 4 13 2 1"));

    button(w, "ToolButton4")->click();
    QCOMPARE(shownId(w), QString::number(e2));
    QCOMPARE(enabledButtons(w), QString("3 4 5 6 13 2 1"));
    button(w, "ToolButton4")->click();
    QCOMPARE(shownId(w), QString::number(e1));
    QCOMPARE(w->statusPanel(2)->text(), QString("  Eintrag 1/3"));
    QCOMPARE(enabledButtons(w), QString("5 6 13 2 1"));
    // Calling past the first keeps the first.
    w->ToolButton4Click();
    QCOMPARE(w->position(), 0);

    button(w, "ToolButton6")->click();
    QCOMPARE(shownId(w), QString::number(e3));
    QCOMPARE(w->statusPanel(2)->text(), QString("  Eintrag 3/3"));
    w->ToolButton5Click();
    QCOMPARE(w->position(), 2);
    button(w, "ToolButton3")->click();
    QCOMPARE(shownId(w), QString::number(e1));
    button(w, "ToolButton5")->click();
    QCOMPARE(shownId(w), QString::number(e2));
    QVERIFY(!w->hasUnsavedChanges());
    QVERIFY(Messages::shown().isEmpty());
}

void TestEditorBrowse::entriesOfOneDateByTime()
{
    EditorFixture f;
    const int user = f.addUser();
    const int evening = f.addEntry(user, "05.03.2025", "18:30:00");
    const int morning = f.addEntry(user, "05.03.2025", "07:05:00", QString(), ", '-1', '0', '0:50'");
    f.addUnit(morning, 1, "8", "00:00:00", "-1", "Fahrtspiel");
    TForm4* w = f.openEditor(user);
    QCOMPARE(w->entries(), QStringList({QString::number(morning), QString::number(evening)}));
    QCOMPARE(w->findChild<MaskEdit*>("maskeditL1")->text(), QString("18:30"));
    button(w, "ToolButton4")->click();
    QCOMPARE(w->findChild<MaskEdit*>("maskeditL1")->text(), QString("07:05"));
    // Weight -1, rest pulse 0, unit time 0:00:00 and pulse -1 stand for "not given".
    QCOMPARE(w->findChild<NumericEdit*>("EnhancedEdit1")->text(), QString());
    QCOMPARE(w->findChild<NumericEdit*>("EnhancedEdit2")->text(), QString());
    auto* units = w->findChild<StringGrid*>("StringAlignGrid1");
    QCOMPARE(units->cells(1, 1), QString("8 km "));
    QCOMPARE(units->cells(2, 1), QString());
    QCOMPARE(units->cells(3, 1), QString());
    QCOMPARE(units->gridRowCount(), 3);
}

void TestEditorBrowse::deletingKeepsThePositionInsideAndNoUnits()
{
    EditorFixture f;
    const int user = f.addUser();
    const int e1 = f.addEntry(user, "01.03.2025");
    const int e2 = f.addEntry(user, "02.03.2025");
    const int e3 = f.addEntry(user, "03.03.2025");
    for (int e : {e1, e2, e3}) {
        f.addUnit(e, 1, "5");
        f.addUnit(e, 2, "2.5");
    }
    TForm4* w = f.openEditor(user);
    QCOMPARE(w->statusPanel(1)->text(), QString("  Gesamt: 22,5 km"));
    button(w, "ToolButton4")->click();

    // No keeps the entry.
    Messages::setNextAnswer(QMessageBox::No);
    button(w, "ToolButton2")->click();
    QCOMPARE(f.value(QString("SELECT COUNT(*) FROM main WHERE ID = %1").arg(e2)), QString("1"));
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().last().title, QString::fromUtf8("Bestätigen"));
    QCOMPARE(Messages::shown().last().text,
             QString::fromUtf8("Möchten Sie den ausgewählten Eintrag aus Ihrem Rezidedazurazedad löschen?"));

    // The 2nd of three: the 1st is shown.
    Messages::setNextAnswer(QMessageBox::Yes);
    button(w, "ToolButton2")->click();
    QCOMPARE(shownId(w), QString::number(e1));
    QCOMPARE(f.value(QString("SELECT COUNT(*) FROM units WHERE MainID = %1").arg(e2)), QString("0"));
    QCOMPARE(w->statusPanel(0)->text(), QString("  2 Trainingseinheiten"));
    QCOMPARE(w->statusPanel(1)->text(), QString("  Gesamt: 15,0 km"));
    QCOMPARE(w->statusPanel(2)->text(), QString("  Eintrag 1/2"));

    // The first: the former 2nd becomes the first.
    Messages::setNextAnswer(QMessageBox::Yes);
    button(w, "ToolButton2")->click();
    QCOMPARE(shownId(w), QString::number(e3));
    QCOMPARE(w->position(), 0);
    QCOMPARE(enabledButtons(w), QString("13 2 1"));

    // The only one: nothing is shown, nothing can be paged, changed or deleted.
    Messages::setNextAnswer(QMessageBox::Yes);
    button(w, "ToolButton2")->click();
    QCOMPARE(shownId(w), QString("-1"));
    QCOMPARE(w->statusPanel(3)->text(), QString("  ID:"));
    QCOMPARE(w->statusPanel(2)->text(), QString("  Eintrag 0/0"));
    QCOMPARE(enabledButtons(w), QString("1"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM main"), QString("0"));
    QCOMPARE(f.value("SELECT COUNT(*) FROM units"), QString("0"));
    QCOMPARE(w->findChild<StringGrid*>("StringAlignGrid1")->gridRowCount(), 2);
    QVERIFY(!Messages::hasQueuedAnswers());
}

void TestEditorBrowse::listViewShowsEveryEntry()
{
    EditorFixture f;
    const int user = f.addUser();
    const int plain = f.addEntry(user, "01.03.2025", "08:00:00", "Alpha", ", '72.5', '0', '1:00'");
    const int rainy = f.addEntry(user, "02.03.2025", "09:15:00", QString(), ", '-1', '52', '0:40'");
    const int third = f.addEntry(user, "03.03.2025");
    f.exec(QString("UPDATE main SET Wetter = 'Nieselregen bei kräftigem Gegenwind', Schuhe = 'Trailschuh mit "
                   "tiefem Profil', Befinden = 'schwere Beine', Notizen = 'Intervalle am Berg' WHERE ID = %1")
               .arg(rainy));
    f.addUnit(rainy, 1, "10");
    f.addUnit(rainy, 2, "2.5");
    f.addUnit(third, 1, "7");
    TForm4* w = f.openEditor(user);
    auto* list = w->findChild<StringGrid*>("StringAlignGrid2");
    QVERIFY(!list->isVisible());

    button(w, "ToolButton8")->click();
    QVERIFY(list->isVisible());
    QCOMPARE(list->geometry(), w->centralWidget()->rect());
    w->resize(w->width() + 40, w->height() + 30);
    QTRY_COMPARE(list->geometry(), w->centralWidget()->rect());
    QCOMPARE(w->centralWidget()->findChildren<QObject*>("CoverClientArea").size(), 1);
    QVERIFY(button(w, "ToolButton8")->isChecked());
    QVERIFY(!button(w, "ToolButton12")->isChecked());
    QCOMPARE(enabledButtons(w), QString("3 4"));
    QCOMPARE(list->gridRowCount(), 5);
    QCOMPARE(list->cells(0, 1), QString::number(plain));
    QCOMPARE(list->cells(1, 1), QString("01.03.2025"));
    QCOMPARE(list->cells(2, 1), QString("08:00:00"));
    QCOMPARE(list->cells(3, 1), QString("Laufen"));
    QCOMPARE(list->cells(4, 1), QString("0 km "));
    QCOMPARE(list->cells(5, 1), QString());
    QCOMPARE(list->cells(6, 1), QString("72,5 kg "));
    QCOMPARE(list->cells(7, 1), QString("Alpha"));
    // Every entry gets its own sum.
    QCOMPARE(list->cells(4, 2), QString("12,5 km "));
    QCOMPARE(list->cells(5, 2), QString("52"));
    QCOMPARE(list->cells(6, 2), QString());
    QCOMPARE(list->cells(4, 3), QString("7 km "));
    QCOMPARE(list->item(1, 8)->toolTip(), QString("Nieselregen bei kräftigem Gegenwind"));
    QCOMPARE(list->item(1, 9)->toolTip(), QString("schwere Beine"));
    QCOMPARE(list->item(1, 10)->toolTip(), QString("Intervalle am Berg"));
    QVERIFY(list->isRowEmpty(4));
    // The font cuts no heading, nor a date, time, sport, distance, pulse,
    // weight, shoe or weather.
    for (int c = 1; c < list->columnCount() - 1; ++c) {
        int needed = list->horizontalHeader()->sectionSizeHint(c);
        if (c <= 8)
            needed = qMax(needed, static_cast<QAbstractItemView*>(list)->sizeHintForColumn(c));
        QVERIFY2(needed <= list->columnWidth(c), qPrintable(list->cells(c, 0)));
    }
    QCOMPARE(list->currentGridRow(), 3);
    // Choosing the list view again fills it anew.
    button(w, "ToolButton8")->click();
    QCOMPARE(list->gridRowCount(), 5);
    QCOMPARE(w->centralWidget()->findChildren<QObject*>("CoverClientArea").size(), 1);

    // Paging moves the list's selection; picking a line shows its entry.
    button(w, "ToolButton3")->click();
    QCOMPARE(list->currentGridRow(), 1);
    QCOMPARE(shownId(w), QString::number(plain));
    QCOMPARE(enabledButtons(w), QString("5 6"));
    list->setCurrentGridRow(2);
    QCOMPARE(shownId(w), QString::number(rainy));
    QCOMPARE(w->findChild<QPlainTextEdit*>("Memo2")->toPlainText(), QString("Intervalle am Berg"));
    list->setCurrentGridRow(4);
    QCOMPARE(shownId(w), QString::number(third));

    // A double click on a line goes back to the form with that entry.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0, 1)).center());
    QVERIFY(!list->isVisible());
    QCOMPARE(shownId(w), QString::number(plain));
    QVERIFY(button(w, "ToolButton12")->isChecked());
    QVERIFY(!button(w, "ToolButton8")->isChecked());
    QCOMPARE(enabledButtons(w), QString("5 6 13 2 1"));
    QVERIFY(Messages::shown().isEmpty());
}

void TestEditorBrowse::failedDeleteKeepsTheUnits()
{
    EditorFixture f;
    const int user = f.addUser();
    const int entry = f.addEntry(user, "01.03.2025");
    f.addUnit(entry, 1, "5");
    f.addUnit(entry, 2, "3");
    // The entry itself cannot be deleted; its units could.
    f.exec("CREATE EXCEPTION entry_locked 'Eintrag gesperrt'");
    f.exec("CREATE TRIGGER main_locked FOR main BEFORE DELETE AS BEGIN EXCEPTION entry_locked; END");
    TForm4* w = f.openEditor(user);
    Messages::setNextAnswer(QMessageBox::Yes);
    Messages::setNextAnswer(QMessageBox::Ok);
    button(w, "ToolButton2")->click();
    QCOMPARE(Messages::shown().size(), 2);
    QCOMPARE(Messages::shown().last().title, Messages::applicationTitle());
    QCOMPARE(f.value("SELECT COUNT(*) FROM units"), QString("2"));
    QCOMPARE(shownId(w), QString::number(entry));
}

// The entry list is read when the editor opens; another workstation
// deletes entries after that.
void TestEditorBrowse::pagingPastEntriesDeletedElsewhere()
{
    EditorFixture f;
    const int user = f.addUser();
    QList<int> e{0};
    for (const char* date : {"01.03.2025", "02.03.2025", "03.03.2025", "04.03.2025", "05.03.2025"})
        e << f.addEntry(user, date);
    f.addUnit(e[4], 1, "12");
    TForm4* w = f.openEditor(user);
    QCOMPARE(shownId(w), QString::number(e[5]));
    const auto deleteElsewhere = [&](int id) {
        f.exec("DELETE FROM units WHERE MainID = " + quoted(id));
        f.exec("DELETE FROM main WHERE ID = " + quoted(id));
    };
    const auto told = [] {
        const bool once = Messages::shown().size() == 1
                          && Messages::shown().first().text
                                 == "Der Eintrag wurde inzwischen an einem anderen Arbeitsplatz gelöscht.";
        Messages::clearShown();
        return once;
    };

    // backwards past a gone entry: the one before it, from the list read anew
    deleteElsewhere(e[4]);
    Messages::setNextAnswer(QMessageBox::Ok);
    button(w, "ToolButton4")->click();
    QVERIFY(told());
    QCOMPARE(shownId(w), QString::number(e[3]));
    QCOMPARE(w->entries().size(), 4);
    QCOMPARE(w->statusPanel(2)->text(), QString("  Eintrag 3/4"));
    QCOMPARE(enabledButtons(w), QString("3 4 5 6 13 2 1"));
    QVERIFY(!w->hasUnsavedChanges());

    // forwards past one
    button(w, "ToolButton3")->click();
    deleteElsewhere(e[2]);
    Messages::setNextAnswer(QMessageBox::Ok);
    button(w, "ToolButton5")->click();
    QVERIFY(told());
    QCOMPARE(shownId(w), QString::number(e[3]));
    QCOMPARE(w->statusPanel(2)->text(), QString("  Eintrag 2/3"));

    // the list view shows the entries there are now, line by line the entry list
    deleteElsewhere(e[1]);
    button(w, "ToolButton8")->click();
    auto* list = w->findChild<StringGrid*>("StringAlignGrid2");
    QCOMPARE(list->gridRowCount(), 4);
    list->setCurrentGridRow(2);
    QCOMPARE(shownId(w), QString::number(e[5]));
    QVERIFY(Messages::shown().isEmpty());

    // picking a line whose entry is gone: the list view is built anew
    deleteElsewhere(e[3]);
    Messages::setNextAnswer(QMessageBox::Ok);
    list->setCurrentGridRow(1);
    QVERIFY(told());
    QCoreApplication::processEvents();
    QCOMPARE(list->gridRowCount(), 3);
    QCOMPARE(list->cells(0, 1), QString::number(e[5]));
    QCOMPARE(shownId(w), QString::number(e[5]));

    // none left: the empty form
    deleteElsewhere(e[5]);
    Messages::setNextAnswer(QMessageBox::Ok);
    w->ToolButton3Click(); // the one entry shown again
    QVERIFY(told());
    QCoreApplication::processEvents();
    QCOMPARE(shownId(w), QString("-1"));
    QVERIFY(w->entries().isEmpty());
    QCOMPARE(list->gridRowCount(), 2);
    QVERIFY(Messages::shown().isEmpty());
}

QTEST_MAIN(TestEditorBrowse)
#include "tst_editorbrowse.moc"
