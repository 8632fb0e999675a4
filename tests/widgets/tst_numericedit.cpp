#include "messages.h"
#include "numericedit.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

// A shown window with the field under test and one to move on to.
struct NumberWindow
{
    QWidget window;
    NumericEdit* edit = nullptr;
    QLineEdit* other = nullptr;

    NumberWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        edit = new NumericEdit(&window);
        edit->setObjectName("EnhancedEdit1");
        other = new QLineEdit(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        if (!showActive(window))
            qWarning("test window did not become active");
        edit->setFocus();
    }
};

class TestNumericEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }

    void digitFieldRefusesOtherKeys();
    void decimalFieldTakesCommaAndPoint();
    void escapeGivesBackThePreviousText();
};

void TestNumericEdit::digitFieldRefusesOtherKeys()
{
    NumberWindow w;
    w.edit->setMaxLength(2);
    w.edit->setAlignment(Qt::AlignRight);
    QSignalSpy changed(w.edit, &QLineEdit::textChanged);
    QTest::keyClicks(w.edit, "a4-");
    QCOMPARE(w.edit->text(), QString("4"));
    QCOMPARE(Messages::beepCount(), 2);
    QTest::keyClicks(w.edit, ",.");
    QCOMPARE(Messages::beepCount(), 4);
    QTest::keyClicks(w.edit, "56");
    QCOMPARE(w.edit->text(), QString("45")); // at most two characters
    QCOMPARE(changed.count(), 2);            // refused keys change nothing
    QTest::keyClick(w.edit, Qt::Key_Backspace);
    QCOMPARE(w.edit->text(), QString("4"));
    QCOMPARE(Messages::beepCount(), 4);
    QCOMPARE(w.edit->intValue(), 4);

    // Pasted text goes through the same filter.
    QApplication::clipboard()->setText("7x");
    QTest::keySequence(w.edit, QKeySequence::Paste);
    QCOMPARE(w.edit->text(), QString("4"));
    QCOMPARE(Messages::beepCount(), 5);
    QApplication::clipboard()->setText("7");
    QTest::keySequence(w.edit, QKeySequence::Paste);
    QCOMPARE(w.edit->text(), QString("47"));

    // A whole number only; anything else reads as 0.
    bool ok = true;
    w.edit->setText("");
    QCOMPARE(w.edit->intValue(&ok), 0);
    QVERIFY(!ok);
    w.edit->setText("7,5");
    QCOMPARE(w.edit->intValue(&ok), 0);
    QVERIFY(!ok);
}

void TestNumericEdit::decimalFieldTakesCommaAndPoint()
{
    NumberWindow w;
    w.edit->setKeyFilter(&NumericEdit::decimalKey);
    w.edit->setMaxLength(5);
    QTest::keyClicks(w.edit, "72,5x");
    QCOMPARE(w.edit->text(), QString("72,5"));
    QCOMPARE(Messages::beepCount(), 1);
    QCOMPARE(w.edit->decimalValue(), 72.5);
    w.edit->clear();
    QTest::keyClicks(w.edit, "12.25");
    QCOMPARE(w.edit->decimalValue(), 12.25);

    bool ok = true;
    w.edit->setText("1,2,3");
    QCOMPARE(w.edit->decimalValue(&ok), 0.0);
    QVERIFY(!ok);

    // A filter of the window's own.
    w.edit->clear();
    w.edit->setKeyFilter([](QChar c) { return c == '1'; });
    QTest::keyClicks(w.edit, "121");
    QCOMPARE(w.edit->text(), QString("11"));
}

void TestNumericEdit::escapeGivesBackThePreviousText()
{
    NumberWindow w;
    w.edit->setKeyFilter(&NumericEdit::decimalKey);
    w.other->setFocus();
    w.edit->setText("0,0");

    // Without the option Esc changes nothing.
    w.edit->setFocus();
    QTest::keyClicks(w.edit, "5");
    QTest::keyClick(w.edit, Qt::Key_Escape);
    QCOMPARE(w.edit->text(), QString("0,05"));

    w.edit->setEscapeRestores(true);
    w.other->setFocus();
    w.edit->setFocus(Qt::TabFocusReason);
    w.edit->selectAll();
    QTest::keyClicks(w.edit, "80,5");
    QTest::keyClick(w.edit, Qt::Key_Escape);
    QCOMPARE(w.edit->text(), QString("0,05"));

    // A text set by the program while the field has the focus is the one
    // Esc returns to, not the one from before.
    w.edit->setText("72,5");
    QTest::keyClick(w.edit, Qt::Key_Backspace);
    QCOMPARE(w.edit->text(), QString("72,"));
    QTest::keyClick(w.edit, Qt::Key_Escape);
    QCOMPARE(w.edit->text(), QString("72,5"));
    QCOMPARE(Messages::beepCount(), 0);
}

QTEST_MAIN(TestNumericEdit)
#include "tst_numericedit.moc"
