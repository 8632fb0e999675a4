#include "dateedit.h"
#include "messages.h"
#include "testsupport.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDialog>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

// A window with the date field under test and two fields to move on to.
struct DateWindow
{
    QWidget window;
    DateEdit* date = nullptr;
    DateEdit* second = nullptr;
    QLineEdit* other = nullptr;

    DateWindow()
    {
        window.setObjectName("TFormTest");
        auto* layout = new QVBoxLayout(&window);
        date = new DateEdit(&window);
        date->setObjectName("DateEdit1");
        other = new QLineEdit(&window);
        other->setObjectName("Edit1");
        second = new DateEdit(&window);
        second->setObjectName("DateEdit2");
        layout->addWidget(date);
        layout->addWidget(other);
        layout->addWidget(second);
        if (!showActive(window))
            qWarning("test window did not become active");
        date->setFocus();
    }
};

class TestDateEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }

    void textThatIsNoDateKeepsTheFocus();
    void emptyAndValidTextsPass();
    void leavingWithoutMovingInsideTheWindowIsNoCheck();
    void calendarPutsTheChosenDate();
};

void TestDateEdit::textThatIsNoDateKeepsTheFocus()
{
    DateWindow w;
    // Two-digit and negative years are no dates either.
    for (const QString typed : {"31.02.2025", "abc", "01.02.25", "1.2.-2025"}) {
        Messages::clearShown();
        w.date->clear();
        QTest::keyClicks(w.date, typed);
        Messages::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(w.date, Qt::Key_Tab);
        QVERIFY2(w.date->hasFocus(), qPrintable(typed));
        QVERIFY(!w.other->hasFocus());
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::shown()[0].text, QString("''%1'' ist kein gültiges Datum.").arg(typed));
        QCOMPARE(Messages::shown()[0].icon, QMessageBox::Critical);
        QCOMPARE(w.date->text(), typed); // kept for correction
        QVERIFY(!w.date->date().isValid());
    }

    // With a real error box the focus is back in the field once it is closed.
    Messages::clearShown();
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    QTest::keyClick(w.date, Qt::Key_Tab);
    QCOMPARE(Messages::shown().size(), 1);
    // (the headless platform does not give the window back its activation)
    QApplication::setActiveWindow(&w.window);
    QVERIFY(w.date->hasFocus());
    QVERIFY(!w.other->hasFocus());

    // A click into another field is a leaving as well.
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(w.other, Qt::LeftButton);
    QVERIFY(w.date->hasFocus());
    QCOMPARE(Messages::shown().size(), 1);

    // Two date fields with wrong texts do not pull the focus back and forth:
    // the one that is left complains, the other stays silent.
    Messages::clearShown();
    w.second->setText("xyz");
    Messages::setNextAnswer(QMessageBox::Ok);
    w.second->setFocus(Qt::OtherFocusReason);
    QVERIFY(w.date->hasFocus());
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].text, QString("''1.2.-2025'' ist kein gültiges Datum."));
}

void TestDateEdit::emptyAndValidTextsPass()
{
    DateWindow w;
    QVERIFY(!w.date->date().isValid());
    QTest::keyClick(w.date, Qt::Key_Tab);
    QVERIFY(w.other->hasFocus());

    w.date->setFocus();
    QTest::keyClicks(w.date, "07.12.2024");
    QTest::keyClick(w.date, Qt::Key_Tab);
    QVERIFY(w.other->hasFocus());
    QCOMPARE(w.date->date(), QDate(2024, 12, 7));

    // A short day and month are taken and written out in full when left.
    w.date->setFocus();
    w.date->clear();
    QTest::keyClicks(w.date, "1.2.2025");
    QTest::keyClick(w.date, Qt::Key_Tab);
    QCOMPARE(w.date->text(), QString("01.02.2025"));
    QVERIFY(Messages::shown().isEmpty());

    w.date->setDate(QDate(2023, 3, 4));
    QCOMPARE(w.date->text(), QString("04.03.2023"));
    w.date->setDate(QDate());
    QVERIFY(w.date->text().isEmpty());
}

void TestDateEdit::leavingWithoutMovingInsideTheWindowIsNoCheck()
{
    DateWindow w;
    QTest::keyClicks(w.date, "abc");
    // The window locks its fields: the focus goes, no complaint.
    w.date->setEnabled(false);
    QVERIFY(!w.date->hasFocus());
    QVERIFY(Messages::shown().isEmpty());

    // The calendar button does not take the focus, so the calendar opens
    // over a half-typed text without a complaint, and a pick replaces it.
    w.date->setEnabled(true);
    w.date->setFocus();
    QTest::mouseClick(w.date->button(), Qt::LeftButton);
    QVERIFY(w.date->calendarDialog()->isVisible());
    QVERIFY(Messages::shown().isEmpty());
    w.date->calendar()->setSelectedDate(QDate(2024, 5, 6));
    QTest::keyClick(w.date->calendar()->findChild<QTableView*>(), Qt::Key_Return);
    QCOMPARE(w.date->text(), QString("06.05.2024"));
}

void TestDateEdit::calendarPutsTheChosenDate()
{
    DateWindow w;
    w.date->setButtonHint("Trainingsdatum wählen");
    w.date->setCalendarTitle("Datum wählen");
    w.date->setShowTodayWhenEmpty(true);
    QToolButton* button = w.window.findChild<QToolButton*>("DateEdit1Button");
    QCOMPARE(button, w.date->button());
    QCOMPARE(button->toolTip(), QString("Trainingsdatum wählen"));
    QCOMPARE(w.window.findChild<QLineEdit*>("DateEdit1"), w.date);

    // Opening with a date shows that date; choosing a day writes dd.mm.yyyy.
    w.date->setText("15.08.2023");
    QSignalSpy changed(w.date, &DateEdit::changed);
    button->click();
    QDialog* dialog = w.date->calendarDialog();
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QString("Datum wählen"));
    QCOMPARE(w.date->calendar()->selectedDate(), QDate(2023, 8, 15));
    QTableView* days = w.date->calendar()->findChild<QTableView*>();
    QTest::keyClick(days, Qt::Key_Right); // moving alone picks nothing
    QCOMPARE(w.date->text(), QString("15.08.2023"));
    w.date->calendar()->setSelectedDate(QDate(2025, 3, 9));
    QTest::keyClick(days, Qt::Key_Return);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(w.date->text(), QString("09.03.2025"));
    QCOMPARE(w.date->date(), QDate(2025, 3, 9));
    QCOMPARE(changed.count(), 1);

    // Emptied, it opens at today, not at the day chosen before.
    w.date->clear();
    QTest::keyClick(w.date, Qt::Key_F4);
    QVERIFY(dialog->isVisible());
    QCOMPARE(w.date->calendar()->selectedDate(), QDate::currentDate());
    QTest::keyClick(days, Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    QVERIFY(w.date->text().isEmpty());

    // A disabled field has no working calendar.
    w.date->setEnabled(false);
    w.date->openCalendar();
    QVERIFY(!dialog->isVisible());
}

QTEST_MAIN(TestDateEdit)
#include "tst_dateedit.moc"
