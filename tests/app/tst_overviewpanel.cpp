#include "editorinput.h"
#include "entries.h"
#include "goalbar.h"
#include "goaldialog.h"
#include "goals.h"
#include "overviewpanel.h"
#include "sqltext.h"
#include "testsupport.h"
#include "textforms.h"
#include "tform1.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTest>

#include <memory>

using namespace editorinput;

class TestOverviewPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        initTestEnvironment();
        m_dir = std::make_unique<TestFolder>();
        m_form = std::make_unique<TForm1>(StartOptions{m_dir->path(), 0});
        Database& db = m_form->session().ZDatabase1;
        db.execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht, Ruhepuls, Maxpuls) VALUES "
                   "(gen_id(Gen_Users,1), 'Muster', 'Max', '01.01.1980', '0', 50, 190)");
        m_user = db.select("SELECT ID FROM users").rows.first().value(0).asInteger();
        Entries::Entry e;
        e.date = dateText(QDate::currentDate());
        e.time = "07:00";
        e.category = "Laufen";
        e.userId = m_user;
        e.duration = "0:30";
        e.units.append({"1", "6", "0:30:00", "-1", {}});
        m_entry = Entries::insert(db, e);
    }
    void cleanup()
    {
        m_form.reset();
        m_dir.reset();
    }

    // Without a person a hint; the chosen person's overview fits the window
    // uncut; a save in the editor shows at once, and a click on a last
    // training shows it in the editor.
    void showsThePersonAndFollowsTheEditor()
    {
        TForm1* w = m_form.get();
        OverviewPanel* panel = w->Overview1;
        QVERIFY(!panel->HintLabel->isHidden());
        w->ShowUsers();
        w->ComboBox1Change();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(panel->userId(), m_user);
        QVERIFY(panel->HintLabel->isHidden());
        QVERIFY2(panel->WeekLabel->text().startsWith("Laufen: 6,0 km (Vorjahr 0,0 km)"),
                 qPrintable(panel->WeekLabel->text()));
        QCOMPARE(panel->LastGrid->cells(4, 1), QString("5:00 min/km"));
        QCOMPARE(panel->RaceLabel->text(), QString("Kein Wettkampf geplant."));
        const QStringList faults = layoutFaults({w});
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
        w->grab().save(QDir::temp().filePath("tramora_overview.png"));

        w->ToolButton3->click();
        TForm4* editor = TForm4::findOpen(m_user);
        QVERIFY(editor);
        newEntry(editor, dateText(QDate::currentDate()), "18:00");
        enterUnit(editor, "4", "0:20:00");
        save(editor);
        QVERIFY2(panel->WeekLabel->text().startsWith("Laufen: 10,0 km"), qPrintable(panel->WeekLabel->text()));
        QCOMPARE(panel->LastGrid->cells(2, 1), QString("4,0"));

        const QRect second = panel->LastGrid->visualRect(panel->LastGrid->model()->index(1, 0));
        QTest::mouseClick(panel->LastGrid->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(control<QLabel>(editor, "Label16")->text(), m_entry);
        answering({QMessageBox::No}, [editor] { editor->close(); });
    }

    // The dialog stores the goal of all sports and of a sport; an empty field sets none.
    void goalDialogStoresTheGoals()
    {
        m_form->ShowUsers();
        m_form->ComboBox1Change();
        const int year = QDate::currentDate().year();
        GoalDialog dialog(m_form->session(), m_user, year, m_form.get());
        QVERIFY(dialog.sportKmEdit("Laufen"));
        dialog.AllKmEdit->setText("2000");
        dialog.sportKmEdit("Laufen")->setText("1200");
        dialog.OkButton->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const QList<Goals::Goal> goals = Goals::ofYear(m_form->session().ZDatabase1, m_user, year);
        QCOMPARE(goals.size(), 2);
        QCOMPARE(goals[0].km, 2000.0);
        QCOMPARE(goals[1].sport, QString("Laufen"));
        m_form->Overview1->refresh();
        QVERIFY2(m_form->Overview1->GoalLabel->text().startsWith("6 von 2.000 km, Soll heute"),
                 qPrintable(m_form->Overview1->GoalLabel->text()));
        QCOMPARE(m_form->Overview1->GoalBarView->planned(), 2000.0);
    }

private:
    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<TForm1> m_form;
    int m_user = -1;
    QString m_entry;
};

QTEST_MAIN(TestOverviewPanel)
#include "tst_overviewpanel.moc"
