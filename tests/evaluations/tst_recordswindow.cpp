#include "../course/coursebuilder.h"
#include "courses.h"
#include "editorfixture.h"
#include "entries.h"
#include "predictions.h"
#include "stringgrid.h"
#include "textforms.h"
#include "tform10.h"

#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QSignalSpy>

using coursebuilder::paced;

// The records window on a small diary of runs with and without a course,
// opened through the main window; a best time leads into the editor.
class TestRecordsWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorFixture> fx;
    int user = 0;

    QString addRun(const QDate& date, const QList<QPair<QString, QString>>& units, const course::Course& course = {})
    {
        Entries::Entry e;
        e.date = dateText(date);
        e.time = QStringLiteral("07:00");
        e.category = QStringLiteral("Laufen");
        e.userId = user;
        e.duration = QStringLiteral("1:00");
        for (int i = 0; i < units.size(); ++i)
            e.units.append({QString::number(i + 1), units[i].first, units[i].second, QStringLiteral("-1"), {}});
        const QString id = Entries::insert(fx->session().ZDatabase1, e);
        if (!course.isEmpty())
            Courses::store(fx->session().ZDatabase1, id, course);
        return id;
    }
    TForm10* open()
    {
        fx->main().ShowUsers();
        fx->main().ComboBox1->setCurrentIndex(fx->main().ComboBox2->findText(QString::number(user)));
        fx->main().ComboBox1Change();
        if (!fx->main().RecordsButton->isEnabled())
            return nullptr;
        fx->main().RecordsButton->click();
        TForm10* found = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<TForm10*>(w); f && f->isVisible())
                found = f;
        return found;
    }
    static QStringList row(StringGrid* grid, int r)
    {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << grid->cells(c, r);
        return cells;
    }
    static int rowOf(TForm10* f, const QString& distance, const QString& time)
    {
        for (int r = 1; r < f->RecordsGrid->gridRowCount(); ++r)
            if (f->RecordsGrid->cells(0, r) == distance && f->RecordsGrid->cells(1, r) == time)
                return r;
        return -1;
    }
    static void doubleClick(StringGrid* grid, int r)
    {
        grid->setCurrentGridRow(r);
        QTableWidgetItem* item = grid->item(r - grid->firstDataRow(), 0);
        grid->scrollToItem(item);
        const QRect cell = grid->visualItemRect(item);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }

private Q_SLOTS:
    void init()
    {
        skipWithoutTestServer();
        fx = std::make_unique<EditorFixture>();
        user = fx->addUser();
        Messages::clearShown();
        Messages::clearQueuedAnswers();
    }
    void cleanup()
    {
        fx.reset();
    }

    void bestTimesPredictionsAndTheEditor();
    void emptyDiary();
};

void TestRecordsWindow::bestTimesPredictionsAndTheEditor()
{
    const QDate today = QDate::currentDate();
    const double pace4 = 1000.0 / 240.0, pace5 = 1000.0 / 300.0;
    // 12 km at 4:00 min/km two years ago; 10 km a month ago with 5 km in
    // 19:00 from 15:00 on; 5 km as the second unit of a run without a
    // course three years ago.
    const QString steady = addRun(QDate(today.year() - 2, 6, 1), {{"12", "0:48:00"}}, paced({{2880, pace4}}));
    const QString fast = addRun(today.addDays(-30), {{"10", "0:44:00"}},
                                paced({{900, pace5}, {1140, 5000.0 / 1140}, {600, pace5}}));
    const QString unit = addRun(QDate(today.year() - 3, 3, 1), {{"2", "0:09:00"}, {"5.02", "0:21:30"}});

    TForm10* f = open();
    QVERIFY(f);
    QVERIFY(f->windowTitle().startsWith("Bestleistungen"));
    QVERIFY(QTest::qWaitForWindowExposed(f));
    const QStringList faults = layoutFaults({f});
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));

    // All years: the 5 km of the three runs, fastest first.
    QStringList years;
    for (int i = 0; i < f->ComboBox1->count(); ++i)
        years << f->ComboBox1->itemText(i);
    QCOMPARE(years, QStringList({"alle Jahre", QString::number(today.addDays(-30).year()),
                                 QString::number(today.year() - 2), QString::number(today.year() - 3)}));
    const int five = rowOf(f, "5 km", "19:00");
    QVERIFY(five > 0);
    QCOMPARE(row(f->RecordsGrid, five),
             QStringList({"5 km", "19:00", "3:48 min/km", dateText(today.addDays(-30)), "Laufen, 10,0 km, ab 15:00"}));
    QCOMPARE(f->RecordsGrid->cells(1, five + 1), QString("20:00"));
    QCOMPARE(row(f->RecordsGrid, five + 2),
             QStringList({"5 km", "21:30", "4:18 min/km", dateText(QDate(today.year() - 3, 3, 1)),
                          "Laufen, 7,0 km, Einheit 2"}));
    QVERIFY(f->RecordsGrid->cells(0, five + 3) != "5 km");

    // One year: only the steady run's efforts, from 400 m to 10 km.
    f->ComboBox1->setCurrentIndex(2);
    QStringList distances;
    for (int r = 1; r < f->RecordsGrid->gridRowCount(); ++r) {
        distances << f->RecordsGrid->cells(0, r);
        QCOMPARE(f->shownEfforts().at(r - 1).entryId, steady);
    }
    QCOMPARE(distances, QStringList({"400 m", "1 km", "1 Meile", "3 km", "5 km", "10 km"}));
    QCOMPARE(f->RecordsGrid->cells(2, 5), QString("4:00 min/km"));
    // Filled anew, the grid asks for no more room than its texts need.
    QVERIFY(f->RecordsGrid->minimumWidth() < f->RecordsGrid->width());

    // The forecast stands on the 5 km of last month.
    const QString vdot = QLocale(QLocale::German).toString(predictions::vdot(5000, 1140), 'f', 1);
    QCOMPARE(f->BasisLabel->text(), "Grundlage: 5 km in 19:00 am " + dateText(today.addDays(-30)) + " (VDOT " + vdot + ")");
    QCOMPARE(f->PredictionGrid->cells(0, 4), QString("Marathon"));
    QVERIFY(!f->PredictionGrid->cells(1, 4).isEmpty() && !f->PredictionGrid->cells(3, 4).isEmpty());
    QCOMPARE(f->PacesGrid->cells(0, 1), QString("Dauerlauf locker (E)"));
    QVERIFY(f->PacesGrid->cells(1, 1).contains(QChar(0x2013)));

    // Return on a best time opens the editor on its entry.
    f->ComboBox1->setCurrentIndex(0);
    f->RecordsGrid->setFocus();
    f->RecordsGrid->setCurrentGridRow(five);
    QTest::keyClick(f->RecordsGrid, Qt::Key_Return);
    TForm4* editor = TForm4::findOpen(user);
    QVERIFY(editor);
    QCOMPARE(editor->Label16->text(), fast);

    // Unsaved input in the open editor is asked about: Abbrechen keeps it.
    editor->ToolButton13->click();
    editor->Memo2->setPlainText("locker");
    QVERIFY(editor->hasUnsavedChanges());
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Cancel);
    doubleClick(f->RecordsGrid, five + 2);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(TForm4::findOpen(user), editor);
    QCOMPARE(editor->Label16->text(), fast);
    QVERIFY(editor->hasUnsavedChanges());
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::No);
    doubleClick(f->RecordsGrid, five + 2);
    QCOMPARE(editor->Label16->text(), unit);
    QVERIFY(!editor->hasUnsavedChanges());

    // An entry deleted since the window read it is told as deleted
    // elsewhere; the editor shows one that is left.
    Entries::remove(fx->session().ZDatabase1, steady);
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    doubleClick(f->RecordsGrid, five + 1);
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY(Messages::shown().first().text.contains("gelöscht"));
    QCOMPARE(editor->entries(), QStringList({unit, fast}));
    QVERIFY(editor->entries().contains(editor->Label16->text()));

    // An entry saved after the editor read its list is found all the same.
    const QString newer = addRun(today.addDays(-10), {{"5", "0:18:00"}});
    fx->main().RecordsButton->click();
    TForm10* second = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* r = qobject_cast<TForm10*>(w); r && r != f && r->isVisible())
            second = r;
    QVERIFY(second);
    doubleClick(second->RecordsGrid, rowOf(second, "5 km", "18:00"));
    QCOMPARE(TForm4::findOpen(user), editor);
    QCOMPARE(editor->Label16->text(), newer);
    QCOMPARE(editor->entries().size(), 3);
}

void TestRecordsWindow::emptyDiary()
{
    fx->main().ShowUsers();
    auto* f = new TForm10(fx->session(), user, &fx->main());
    f->show();
    QCOMPARE(f->ComboBox1->count(), 1);
    QVERIFY(f->RecordsGrid->isRowEmpty(1));
    QCOMPARE(f->RecordsGrid->gridRowCount(), 2);
    QCOMPARE(f->BasisLabel->text(),
             QString("Keine Bestleistung über 1 Meile oder mehr in den letzten 90 Tagen: keine Prognose."));
    QVERIFY(f->PredictionGrid->isRowEmpty(1) && f->PacesGrid->isRowEmpty(1));
    QVERIFY(Messages::shown().isEmpty());
    const QStringList faults = layoutFaults({f});
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    // Nothing to choose: a double-click asks for no entry.
    QSignalSpy chosen(f, &TForm10::entryChosen);
    f->RecordsGridDblClick();
    QCOMPARE(chosen.count(), 0);
}

QTEST_MAIN(TestRecordsWindow)
#include "tst_recordswindow.moc"
