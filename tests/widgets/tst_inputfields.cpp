#include "dateedit.h"
#include "messages.h"
#include "numericedit.h"
#include "testsupport.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QDialog>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

// A shown window with the fields under test and a plain field to move on to.
struct FieldWindow
{
    QWidget window;
    DateEdit* date = new DateEdit(&window); // tab order as declared
    QLineEdit* other = new QLineEdit(&window);
    DateEdit* date2 = new DateEdit(&window);
    NumericEdit* number = new NumericEdit(&window);

    FieldWindow()
    {
        date->setObjectName("DateEdit1");
        date2->setObjectName("DateEdit2");
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* field : {static_cast<QWidget*>(date), static_cast<QWidget*>(other),
                               static_cast<QWidget*>(date2), static_cast<QWidget*>(number)})
            layout->addWidget(field);
        if (!showActive(window))
            qWarning("test window did not become active");
        date->setFocus();
        // A real message box (no answer queued) is closed, so that a fault
        // fails the test instead of hanging it.
        QObject::connect(&boxCloser, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->close();
        });
        boxCloser.start(20);
    }
    QTimer boxCloser;
};

class TestInputFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }

    void dateThatIsNoDateKeepsTheFocus();
    void dateEmptyOrValidPassesAndCalendarPicks();
    void numericKeyFilters();
    void numericEscapeGivesBackThePreviousText();
};

void TestInputFields::dateThatIsNoDateKeepsTheFocus()
{
    FieldWindow w;
    for (const QString typed : {"31.02.2025", "abc", "01.02.25", "1.2.-2025"}) {
        Messages::clearShown();
        w.date->clear();
        QTest::keyClicks(w.date, typed);
        Messages::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(w.date, Qt::Key_Tab);
        QVERIFY2(w.date->hasFocus() && !w.other->hasFocus(), qPrintable(typed));
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::shown()[0].text, QString("''%1'' ist kein gültiges Datum.").arg(typed));
        QCOMPARE(w.date->text(), typed);
        QVERIFY(!w.date->date().isValid());
    }

    // A real error box: once closed, the field has the focus.
    QTest::mouseClick(w.other, Qt::LeftButton);
    QCOMPARE(Messages::shown().size(), 2);
    QApplication::setActiveWindow(&w.window); // the headless platform does not do it
    QVERIFY(w.date->hasFocus());

    // Two date fields with wrong texts must not pull the focus back and forth.
    Messages::clearShown();
    w.date2->setText("xyz");
    Messages::setNextAnswer(QMessageBox::Ok);
    w.date2->setFocus(Qt::OtherFocusReason);
    QVERIFY(w.date->hasFocus());
    QCOMPARE(Messages::shown().size(), 1);

    // Another window coming up, or the field being locked by its window,
    // is no leaving: no complaint.
    Messages::clearShown();
    QWidget elsewhere;
    QVERIFY(showActive(elsewhere));
    QVERIFY(Messages::shown().isEmpty());
    QVERIFY(showActive(w.window));
    w.date->setEnabled(false);
    QVERIFY(!w.date->hasFocus());
    QVERIFY(Messages::shown().isEmpty());
}

void TestInputFields::dateEmptyOrValidPassesAndCalendarPicks()
{
    FieldWindow w;
    QTest::keyClick(w.date, Qt::Key_Tab);
    QVERIFY(w.other->hasFocus());

    w.date->setFocus();
    QTest::keyClicks(w.date, "1.2.2025");
    QTest::keyClick(w.date, Qt::Key_Tab);
    QVERIFY(w.other->hasFocus());
    QCOMPARE(w.date->text(), QString("01.02.2025"));
    QCOMPARE(w.date->date(), QDate(2025, 2, 1));
    QVERIFY(Messages::shown().isEmpty());

    // The button takes no focus, so the calendar opens over a half-typed text.
    w.date->setShowTodayWhenEmpty(true);
    w.date->setCalendarTitle("Datum wählen");
    QCOMPARE(w.window.findChild<QToolButton*>("DateEdit1Button"), w.date->button());
    w.date->setFocus();
    w.date->setText("15.08.20");
    QTest::mouseClick(w.date->button(), Qt::LeftButton);
    QDialog* dialog = w.date->calendarDialog();
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QString("Datum wählen"));
    QVERIFY(Messages::shown().isEmpty());
    QTableView* days = w.date->calendar()->findChild<QTableView*>();
    w.date->calendar()->setSelectedDate(QDate(2025, 3, 9));
    QTest::keyClick(days, Qt::Key_Return);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(w.date->text(), QString("09.03.2025"));

    // Opened at the field's date; emptied, at today rather than the last pick.
    QTest::keyClick(w.date, Qt::Key_F4);
    QCOMPARE(w.date->calendar()->selectedDate(), QDate(2025, 3, 9));
    QTest::keyClick(days, Qt::Key_Escape);
    w.date->clear();
    QTest::keyClick(w.date, Qt::Key_F4);
    QCOMPARE(w.date->calendar()->selectedDate(), QDate::currentDate());
}

void TestInputFields::numericKeyFilters()
{
    FieldWindow w;
    w.number->setFocus();
    w.number->setMaxLength(2);
    QTest::keyClicks(w.number, "a4,-56");
    QCOMPARE(w.number->text(), QString("45"));
    QCOMPARE(Messages::beepCount(), 3);
    QTest::keyClick(w.number, Qt::Key_Backspace);
    QCOMPARE(w.number->intValue(), 4);

    QApplication::clipboard()->setText("7x");
    QTest::keySequence(w.number, QKeySequence::Paste);
    QCOMPARE(w.number->text(), QString("4"));
    QCOMPARE(Messages::beepCount(), 4);
    QApplication::clipboard()->setText("7");
    QTest::keySequence(w.number, QKeySequence::Paste);
    QCOMPARE(w.number->text(), QString("47"));

    w.number->clear();
    w.number->setMaxLength(5);
    w.number->setKeyFilter(&NumericEdit::decimalKey);
    QTest::keyClicks(w.number, "72,5x");
    QCOMPARE(w.number->text(), QString("72,5"));
    QCOMPARE(w.number->decimalValue(), 72.5);
    QCOMPARE(w.number->intValue(), 0);
    w.number->setText("7,2,5");
    QCOMPARE(w.number->decimalValue(), 0.0);
}

void TestInputFields::numericEscapeGivesBackThePreviousText()
{
    FieldWindow w;
    w.number->setKeyFilter(&NumericEdit::decimalKey);
    w.number->setText("0,0");
    w.number->setFocus();
    QTest::keyClicks(w.number, "5");
    QTest::keyClick(w.number, Qt::Key_Escape);
    QCOMPARE(w.number->text(), QString("0,05")); // only when asked for

    w.number->setEscapeRestores(true);
    w.other->setFocus();
    w.number->setFocus(Qt::TabFocusReason);
    w.number->selectAll();
    QTest::keyClicks(w.number, "80,5");
    QTest::keyClick(w.number, Qt::Key_Escape);
    QCOMPARE(w.number->text(), QString("0,05"));

    // A text the window sets is the new one to go back to.
    w.number->setText("72,5");
    QTest::keyClick(w.number, Qt::Key_Backspace);
    QTest::keyClick(w.number, Qt::Key_Escape);
    QCOMPARE(w.number->text(), QString("72,5"));
}

QTEST_MAIN(TestInputFields)
#include "tst_inputfields.moc"
