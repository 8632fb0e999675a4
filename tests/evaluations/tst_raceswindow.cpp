#include "dateedit.h"
#include "editorfixture.h"
#include "entries.h"
#include "maskedit.h"
#include "numericedit.h"
#include "races.h"
#include "storedtext.h"
#include "stringgrid.h"
#include "textforms.h"
#include "tform11.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// The races window opened from the main window on a person without entries
// at first: races are added, changed and deleted; a refused input saves
// nothing; a past race's result leads into the editor.
class TestRacesWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorFixture> fx;
    int user = 0;

    TForm11* open()
    {
        fx->main().ShowUsers();
        fx->main().ComboBox1->setCurrentIndex(fx->main().ComboBox2->findText(QString::number(user)));
        fx->main().ComboBox1Change();
        if (!fx->main().RacesButton->isEnabled())
            return nullptr;
        fx->main().RacesButton->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<TForm11*>(w); f && f->isVisible())
                return f;
        return nullptr;
    }
    static void fill(TForm11* f, const QDate& date, const QString& name, const QString& km, const QString& goal)
    {
        f->DateEdit1->setDate(date);
        f->Edit1->setText(name);
        f->NumericEdit1->setText(km);
        f->MaskEdit1->setText(goal);
    }
    static QStringList column(TForm11* f, int c)
    {
        QStringList cells;
        for (int r = 1; r < f->RacesGrid->gridRowCount(); ++r)
            cells << f->RacesGrid->cells(c, r);
        return cells;
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
    void cleanup() { fx.reset(); }

    void addChangeDeleteAndResults()
    {
        const QDate today = QDate::currentDate();
        TForm11* f = open();
        QVERIFY(f);
        QVERIFY(f->windowTitle().startsWith("Wettkämpfe "));
        QVERIFY(QTest::qWaitForWindowExposed(f));
        const QStringList faults = layoutFaults({f});
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
        Database& db = fx->session().ZDatabase1;

        // A refused input: no name, no distance, a goal that is no time,
        // a name the code page cannot store. Nothing is saved.
        f->NewButton->click();
        fill(f, today.addDays(12), QString(), "0", "0:75:00");
        Messages::setNextAnswer(QMessageBox::Ok);
        f->SaveButton->click();
        QCOMPARE(Messages::shown().size(), 1);
        const QString text = Messages::shown().first().text;
        QVERIFY(text.contains("Name") && text.contains("Strecke") && text.contains("Zielzeit"));
        f->Edit1->setText(QString::fromUtf8("Lauf ") + QChar(0x4E00));
        f->NumericEdit1->setText("10");
        f->MaskEdit1->setText("0:45:00");
        Messages::clearShown();
        Messages::setNextAnswer(QMessageBox::Ok);
        f->SaveButton->click();
        QCOMPARE(Messages::shown().size(), 1);
        QVERIFY(Races::ofPerson(db, user).isEmpty());

        // Added: a later race and a past one, listed by date.
        f->Edit1->setText("Stadtlauf");
        f->SaveButton->click();
        f->NewButton->click();
        fill(f, today.addDays(-7), "Waldlauf", "10", "");
        f->SaveButton->click();
        QCOMPARE(column(f, 1), QStringList({"Waldlauf", "Stadtlauf"}));
        QCOMPARE(column(f, 3), QStringList({"", "0:45:00"}));
        QCOMPARE(column(f, 4), QStringList({"kein Ergebnis", "in 12 Tagen"}));
        QVERIFY(!f->hasUnsavedChanges());

        // Changed, then another row chosen with the change unsaved: Abbrechen
        // keeps the input, Ja saves it.
        f->RacesGrid->setCurrentGridRow(2);
        QCOMPARE(f->Edit1->text(), QString("Stadtlauf"));
        f->NumericEdit1->setText("21,1");
        Messages::clearShown();
        Messages::setNextAnswer(QMessageBox::Cancel);
        f->RacesGrid->setCurrentGridRow(1);
        QCOMPARE(f->Edit1->text(), QString("Stadtlauf"));
        Messages::setNextAnswer(QMessageBox::Yes);
        f->RacesGrid->setCurrentGridRow(1);
        QCOMPARE(f->Edit1->text(), QString("Waldlauf"));
        QCOMPARE(Races::ofPerson(db, user).last().km, 21.1);

        // A past race with a result: the entry of its day with 10 km.
        Entries::Entry e;
        e.date = dateText(today.addDays(-7));
        e.time = "09:00";
        e.category = "Laufen";
        e.userId = user;
        e.duration = "0:45";
        e.units.append({"1", "10", "0:44:10", "-1", {}});
        const QString entry = Entries::insert(db, e);
        f->close();
        f = open();
        QVERIFY(f);
        QCOMPARE(column(f, 4).first(), QString("44:10 (10,0 km)"));
        f->RacesGrid->setCurrentGridRow(2);
        f->RacesGrid->setFocus();
        QTest::keyClick(f->RacesGrid, Qt::Key_Return);
        QVERIFY(!TForm4::findOpen(user)); // a later race leads nowhere
        f->RacesGrid->setCurrentGridRow(1);
        QTest::keyClick(f->RacesGrid, Qt::Key_Return);
        TForm4* editor = TForm4::findOpen(user);
        QVERIFY(editor);
        QCOMPARE(editor->Label16->text(), entry);

        // Deleted after Ja; Nein keeps it.
        Messages::clearShown();
        Messages::setNextAnswer(QMessageBox::No);
        f->DeleteButton->click();
        QCOMPARE(Races::ofPerson(db, user).size(), 2);
        QCOMPARE(Messages::shown().first().text, QString("Möchten Sie den Wettkampf „Waldlauf“ löschen?"));
        Messages::setNextAnswer(QMessageBox::Yes);
        f->DeleteButton->click();
        QCOMPARE(column(f, 1), QStringList({"Stadtlauf"}));
        QCOMPARE(Races::ofPerson(db, user).size(), 1);
    }
};

QTEST_MAIN(TestRacesWindow)
#include "tst_raceswindow.moc"
