#include "dateedit.h"
#include "messages.h"
#include "numericedit.h"
#include "storedtext.h"
#include "testsupport.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
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
    void textFieldsTakeOnlyWhatCanBeStored_data();
    void textFieldsTakeOnlyWhatCanBeStored();
};

void TestInputFields::dateThatIsNoDateKeepsTheFocus()
{
    FieldWindow w;
    // Digits typed in one go are shown as the date they were read as.
    const QList<QPair<QString, QString>> faults = {
        {"31.02.2025", "31.02.2025"}, {"abc", "abc"}, {"01.02.25", "01.02.25"},
        {"1.2.-2025", "1.2.-2025"},   {"07132026", "07.13.2026"}};
    for (const auto& [typed, shown] : faults) {
        Messages::clearShown();
        w.date->clear();
        QTest::keyClicks(w.date, typed);
        Messages::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(w.date, Qt::Key_Tab);
        QVERIFY2(w.date->hasFocus() && !w.other->hasFocus(), qPrintable(typed));
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::shown()[0].text, QString("„%1“ ist kein gültiges Datum.").arg(shown));
        QCOMPARE(w.date->text(), shown);
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
    w.date->setFocus();
    w.date->selectAll();
    QTest::keyClicks(w.date, "07122026");
    QCOMPARE(w.date->date(), QDate(2026, 12, 7)); // read so before the field is left too
    QTest::keyClick(w.date, Qt::Key_Tab);
    QCOMPARE(w.date->text(), QString("07.12.2026"));
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

void TestInputFields::textFieldsTakeOnlyWhatCanBeStored_data()
{
    QTest::addColumn<QString>("field"); // line, list or memo
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("beeps");
    // Characters without a place in code page 1252 never get in, typed or pasted.
    QTest::newRow("line") << "line" << QString::fromUtf8("Łódź Müller-Ž") << QString::fromUtf8("Дом😀")
                          << QString::fromUtf8("ód Müller-Ž") << 3;
    QTest::newRow("line break pasted") << "line" << "Nord" << "\nSüd\n" << "Nord" << 1;
    QTest::newRow("list word") << "list" << " 50% Regen" << "Regen%Wind" << "50 Regen" << 3;
    QTest::newRow("list line break") << "list" << "sonnig" << "heiter\r\nwolkig" << "sonnig" << 1;
    QTest::newRow("list cut at column") << "list" << "Sonne" << "und Wolken am Himmel" << "Sonneund Wolken am H" << 0;
    QTest::newRow("memo") << "memo" << QString::fromUtf8("3'45\"\u4e2d") << "" << "3'45\"" << 1;
    QTest::newRow("memo paste refused") << "memo" << "a" << QString::fromUtf8("b\nŁ") << "a" << 1;
    QTest::newRow("memo paste cut") << "memo" << "ab" << "c\r\nd\te-fghijk" << "abc\nd\te-fg" << 1;
    QTest::newRow("memo full") << "memo" << "abcdefghijXY" << "" << "abcdefghij" << 2;
}

void TestInputFields::textFieldsTakeOnlyWhatCanBeStored()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, pasted);
    QFETCH(QString, expected);
    QFETCH(int, beeps);
    QWidget window;
    auto* line = new QLineEdit(&window);
    auto* list = new QComboBox(&window);
    list->setEditable(true);
    auto* memo = new MemoEdit(&window);
    StoredText::limit(line, 40);
    StoredText::limit(list, 20, StoredText::Kind::ListItem);
    memo->setMaxLength(10);
    auto* layout = new QVBoxLayout(&window);
    for (QWidget* w : std::initializer_list<QWidget*>{line, list, memo})
        layout->addWidget(w);
    QVERIFY(showActive(window));
    QWidget* target = field == "line" ? static_cast<QWidget*>(line)
                      : field == "list" ? static_cast<QWidget*>(list->lineEdit())
                                        : static_cast<QWidget*>(memo);
    auto text = [&] { return field == "memo" ? memo->toPlainText() : qobject_cast<QLineEdit*>(target)->text(); };
    target->setFocus();
    const int before = Messages::beepCount();
    typeText(target, typed);
    if (!pasted.isEmpty()) {
        QApplication::clipboard()->setText(pasted);
        QTest::keySequence(target, QKeySequence::Paste);
    }
    QCOMPARE(text(), expected);
    QCOMPARE(Messages::beepCount() - before, beeps);
    QVERIFY(Messages::shown().isEmpty());

    // The input check names what a text set by the program would lose.
    const auto kind = field == "list" ? StoredText::Kind::ListItem
                      : field == "memo" ? StoredText::Kind::Memo : StoredText::Kind::Line;
    QCOMPARE(StoredText::fault("Feld", expected, 40, kind), QString());
    QCOMPARE(StoredText::fault("Wetter", QString::fromUtf8("Łódź"), 40, kind),
             QString::fromUtf8("- Wetter: das Zeichen „Ł“ kann nicht gespeichert werden"));
    QCOMPARE(StoredText::fault("Notizen", QString(256, 'x'), 255, kind), QString("- Notizen: mehr als 255 Zeichen"));
    QCOMPARE(StoredText::fault("Sportart", "a%b", 40, kind).isEmpty(), kind != StoredText::Kind::ListItem);
    QCOMPARE(StoredText::fault("Schuhe", "a\nb", 40, kind).isEmpty(), kind == StoredText::Kind::Memo);
}

QTEST_MAIN(TestInputFields)
#include "tst_inputfields.moc"
