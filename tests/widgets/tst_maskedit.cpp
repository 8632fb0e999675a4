#include "maskedit.h"
#include "messages.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString kDate = QStringLiteral("!00/00/0000;1;_");
const QString kWeight = QStringLiteral("900,0;1;_");
const QString kTime = QStringLiteral("!90:00;1;_");

// A shown, active window with a masked edit, a plain line edit after it
// and a button, so that focus changes are real ones.
struct FocusWindow
{
    explicit FocusWindow(const QString& mask)
    {
        auto* layout = new QVBoxLayout(&window);
        edit = new MaskEdit(mask, &window);
        other = new QLineEdit(&window);
        button = new QPushButton("&Knopf", &window);
        for (QWidget* w : std::initializer_list<QWidget*>{edit, other, button})
            layout->addWidget(w);
    }
    // Shows the window and puts the focus into the masked edit, optionally after setting its text.
    bool activate(const QString& text = QString())
    {
        if (!showActive(window))
            return false;
        if (!text.isNull())
            edit->setText(text);
        edit->setFocus(Qt::TabFocusReason);
        return edit->hasFocus();
    }
    // Tab out of the masked edit, answering a refusal box with OK; true when the focus went on.
    bool tabOut()
    {
        Messages::setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(edit, Qt::Key_Tab);
        const bool left = other->hasFocus();
        if (left)
            Messages::clearQueuedAnswers();
        return left && !edit->hasFocus();
    }

    QWidget window;
    MaskEdit* edit = nullptr;
    QLineEdit* other = nullptr;
    QPushButton* button = nullptr;
};

} // namespace

class TestMaskEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }
    void textForms_data();
    void textForms();
    void otherTextPaths();
    void typing_data();
    void typing();
    void editingKeysSelectionAndPaste();
    void signalsCarryTheTextForm();
    void esc();
    void incompleteChangedFieldKeepsTheFocus();
    void fieldsThatMayBeLeft();
    void escAfterRefusalRestoresAndLets();
};

void TestMaskEdit::textForms_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("empty");
    QTest::addColumn<QString>("value"); // set as a stored value
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("complete");
    QTest::newRow("date") << kDate << "  .  .    " << "01.02.1970" << "01.02.1970" << true;
    QTest::newRow("date with slashes") << kDate << "  .  .    " << "01/02/1970" << "01.02.1970" << true;
    QTest::newRow("weight") << kWeight << "   , " << "075,5" << "075,5" << true;
    QTest::newRow("heavy weight") << kWeight << "   , " << "105,0" << "105,0" << true;
    QTest::newRow("short weight stays short") << kWeight << "   , " << "75,5" << "75 ,5" << false;
    QTest::newRow("empty weight form") << kWeight << "   , " << "   , " << "   , " << false;
    QTest::newRow("pulse") << "00" << "  " << "48" << "48" << true;
    QTest::newRow("single digit pulse") << "00" << "  " << "5" << "5 " << false;
    QTest::newRow("letters are left out") << "00" << "  " << "ab" << "  " << false;
    QTest::newRow("maximum pulse") << "000" << "   " << "185" << "185" << true;
    QTest::newRow("time of day") << kTime << "  :  " << "08:30" << "08:30" << true;
    QTest::newRow("short hour leads with a blank") << kTime << "  :  " << "8:30" << " 8:30" << true;
    QTest::newRow("time with seconds") << kTime << "  :  " << "08:30:00" << "08:30" << true;
    QTest::newRow("duration") << "!0:00;1;_" << " :  " << "1:30" << "1:30" << true;
    QTest::newRow("unit time") << "!00:00:00;1;_" << "  :  :  " << "00:45:10" << "00:45:10" << true;
}

void TestMaskEdit::textForms()
{
    QFETCH(QString, mask);
    QFETCH(QString, empty);
    QFETCH(QString, value);
    QFETCH(QString, text);
    QFETCH(bool, complete);
    MaskEdit edit(mask);
    QCOMPARE(edit.text(), empty);
    QCOMPARE(edit.displayText(), empty); // no blank character without the focus
    QCOMPARE(edit.maxLength(), empty.size());
    QVERIFY(edit.isEmpty() && !edit.isComplete() && !edit.isChanged());
    edit.setText(value);
    QCOMPARE(edit.text(), text);
    QCOMPARE(edit.isComplete(), complete);
    QVERIFY(!edit.isChanged() && !edit.isModified()); // a stored value is no change
    edit.clear();
    QVERIFY(edit.isEmpty());
    edit.setText(value);
    edit.setText("");
    QCOMPARE(edit.text(), empty);
}

void TestMaskEdit::otherTextPaths()
{
    // literals left out when the mask does not save them
    MaskEdit bare("!00/00/0000;0;_");
    QCOMPARE(bare.text(), QString("        "));
    bare.setText("01021970");
    QCOMPARE(bare.text() + bare.displayText(), QString("0102197001.02.1970"));
    bare.setText("03.04.1980");
    QCOMPARE(bare.text(), QString("03041980"));

    // text set through the plain line edit goes through the mask
    MaskEdit weight(kWeight);
    QLineEdit* plain = &weight;
    plain->setText("7x");
    QCOMPARE(plain->text(), QString("7  , "));
    plain->clear();
    QVERIFY(weight.isEmpty());
    plain->setProperty("text", "099,0");
    QCOMPARE(weight.text(), QString("099,0"));
    QVERIFY(weight.isComplete() && !weight.isChanged());

    // without a mask it is a plain line edit
    MaskEdit free;
    QVERIFY(!free.isMasked());
    QTest::keyClicks(&free, "abc");
    QCOMPARE(free.text(), QString("abc"));
    QCOMPARE(Messages::beepCount(), 0);
}

void TestMaskEdit::typing_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("keys"); // typed from the start of the empty field
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<int>("beeps");
    QTest::newRow("digits skip literals") << kDate << "01021970" << "01.02.1970" << true << 0;
    QTest::newRow("weight") << kWeight << "0755" << "075,5" << true << 0;
    QTest::newRow("separator behind the cursor") << kDate << "01.02.1970" << "01.02.1970" << true << 0;
    QTest::newRow("letter refused") << kDate << "x" << "  .  .    " << false << 1;
    QTest::newRow("required position takes no blank") << kDate << " " << "  .  .    " << false << 1;
    QTest::newRow("full behind the cursor") << kDate << "010219701" << "01.02.1970" << true << 1;
    QTest::newRow("letter in the weight") << kWeight << "7a" << "7  , " << false << 1;
    QTest::newRow("minus refused") << kWeight << "7a-" << "7  , " << false << 2;
    QTest::newRow("optional position takes a blank") << kWeight << " 755" << " 75,5" << true << 0;
    QTest::newRow("separator ends the hour with a leading blank") << kTime << "8:30" << " 8:30" << true << 0;
    QTest::newRow("duration") << "!0:00;1;_" << "1:05" << "1:05" << true << 0;
    // without "!" the digits stay where they were typed: the weight needs its leading zero
    QTest::newRow("weight without leading zero") << kWeight << "75,5" << "75 ,5" << false << 0;
}

void TestMaskEdit::typing()
{
    QFETCH(QString, mask);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(bool, complete);
    QFETCH(int, beeps);
    MaskEdit edit(mask);
    const QString empty = edit.text();
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, keys);
    QCOMPARE(edit.text(), text);
    QCOMPARE(edit.isComplete(), complete);
    QCOMPARE(Messages::beepCount(), beeps);
    QCOMPARE(edit.isChanged(), text != empty);
    QCOMPARE(edit.isModified(), text != empty);
}

void TestMaskEdit::editingKeysSelectionAndPaste()
{
    MaskEdit date(kDate);
    date.setText("01.02.1970");
    date.setCursorPosition(3); // behind the first point
    QTest::keyClick(&date, Qt::Key_Backspace);
    QCOMPARE(date.text(), QString("0 .02.1970"));
    QCOMPARE(date.cursorPosition(), 1);
    date.setCursorPosition(2);
    QTest::keyClick(&date, Qt::Key_Delete); // the point is skipped: the month's first digit goes
    QCOMPARE(date.text(), QString("0 . 2.1970"));
    QCOMPARE(date.cursorPosition(), 2);
    QVERIFY(date.isChanged());

    // typing replaces the selection; Backspace on empty positions changes nothing
    date.selectAll();
    QTest::keyClicks(&date, "2");
    QCOMPARE(date.text(), QString("2 .  .    "));
    date.setSelection(3, 2);
    QTest::keyClick(&date, Qt::Key_Backspace);
    QCOMPARE(date.text(), QString("2 .  .    "));

    // pasted text goes through the mask; a refused character beeps
    MaskEdit pasted(kDate);
    QApplication::clipboard()->setText("24.12.1999");
    QTest::keyClick(&pasted, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(pasted.text(), QString("24.12.1999"));
    QCOMPARE(Messages::beepCount(), 0);
    MaskEdit pulse("00");
    QApplication::clipboard()->setText("4x");
    QTest::keyClick(&pulse, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(pulse.text(), QString("4 "));
    QCOMPARE(Messages::beepCount(), 1);
}

void TestMaskEdit::signalsCarryTheTextForm()
{
    MaskEdit weight(kWeight);
    QSignalSpy changed(&weight, &QLineEdit::textChanged);
    QSignalSpy edited(&weight, &QLineEdit::textEdited);
    weight.setText("075,5");
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.last().at(0).toString(), QString("075,5"));
    QCOMPARE(edited.size(), 0);
    weight.setCursorPosition(0);
    QTest::keyClicks(&weight, "1");
    QCOMPARE(changed.size(), 2);
    QCOMPARE(edited.size(), 1);
    QCOMPARE(edited.last().at(0).toString(), QString("175,5"));
    QTest::keyClicks(&weight, "x"); // refused: nothing changed
    QCOMPARE(changed.size(), 2);
}

void TestMaskEdit::esc()
{
    MaskEdit date(kDate);
    date.setText("01.02.1970");
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&date, &esc); // without a change Esc is left to the window
    QVERIFY(!esc.isAccepted());
    date.setCursorPosition(0);
    QTest::keyClicks(&date, "15");
    QCOMPARE(date.text(), QString("15.02.1970"));
    esc.setAccepted(false);
    QApplication::sendEvent(&date, &esc); // after a change it restores the text before it
    QVERIFY(esc.isAccepted());
    QCOMPARE(date.text(), QString("01.02.1970"));
    QVERIFY(!date.isChanged() && !date.isModified());

    // from an empty field back to the empty field
    MaskEdit weight(kWeight);
    QTest::keyClicks(&weight, "07");
    QTest::keyClick(&weight, Qt::Key_Escape);
    QCOMPARE(weight.text(), QString("   , "));
}

void TestMaskEdit::incompleteChangedFieldKeepsTheFocus()
{
    FocusWindow w(kDate);
    QVERIFY(w.activate());
    QCOMPARE(w.edit->displayText(), QString("__.__.____")); // the blank character shows while focused
    QTest::keyClicks(w.edit, "0102");
    QVERIFY(!w.tabOut());
    QCOMPARE(QApplication::focusWidget(), w.edit);
    QCOMPARE(Messages::beepCount(), 1);
    QCOMPARE(Messages::shown().size(), 1);
    const Messages::Record& box = Messages::shown().first();
    QCOMPARE(box.text, QString("Ungültiger Eingabewert. Benutzen Sie die ESC-Taste, um die Änderungen "
                               "rückgängig zu machen."));
    QCOMPARE(box.title, Messages::applicationTitle());
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::Ok);
    // the input stays, the cursor at the first unfilled required position
    QCOMPARE(w.edit->text(), QString("01.02.    "));
    QCOMPARE(w.edit->displayText(), QString("01.02.____"));
    QCOMPARE(w.edit->cursorPosition(), 6);

    // finishing the input lets the field go, and the blank character goes with the focus
    QTest::keyClicks(w.edit, "1970");
    QVERIFY(w.tabOut());
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(w.edit->displayText(), QString("01.02.1970"));
    w.edit->clear();
    QCOMPARE(w.edit->displayText(), QString("  .  .    "));

    // a field emptied by the user is incomplete too
    FocusWindow pulse("00");
    QVERIFY(pulse.activate("48"));
    pulse.edit->selectAll();
    QTest::keyClick(pulse.edit, Qt::Key_Delete);
    QCOMPARE(pulse.edit->text(), QString("  "));
    QVERIFY(!pulse.tabOut());

    // a click elsewhere is refused too and does nothing; after Esc it works as usual
    FocusWindow weight(kWeight);
    QVERIFY(weight.activate());
    QSignalSpy clicked(weight.button, &QPushButton::clicked);
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    Messages::setNextAnswer(QMessageBox::Ok); // a second refusal fails the test instead of waiting
    QTest::keyClicks(weight.edit, "75");
    QTest::mouseClick(weight.button, Qt::LeftButton);
    QVERIFY(weight.edit->hasFocus());
    QCOMPARE(clicked.size(), 0);
    QCOMPARE(Messages::shown().size(), 1);
    QTest::keyClick(weight.edit, Qt::Key_Escape);
    QTest::mouseClick(weight.button, Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    QVERIFY(weight.button->hasFocus());
}

void TestMaskEdit::fieldsThatMayBeLeft()
{
    FocusWindow w(kDate);
    QVERIFY(w.activate());
    QVERIFY(w.tabOut()); // empty and unchanged
    QVERIFY(w.activate("01.0")); // set, not typed: incomplete but unchanged
    QVERIFY(w.tabOut());
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(Messages::beepCount(), 0);

    // leading blanks are made on leaving
    FocusWindow time(kTime);
    QVERIFY(time.activate());
    QTest::keyClicks(time.edit, "8");
    time.edit->setCursorPosition(3); // on to the minutes with the mouse, say
    QTest::keyClicks(time.edit, "30");
    QCOMPARE(time.edit->text(), QString("8 :30"));
    QVERIFY(time.tabOut());
    QCOMPARE(time.edit->text(), QString(" 8:30"));
    QVERIFY(Messages::shown().isEmpty());

    // but a required position is no leading blank: the field keeps the focus
    FocusWindow d(kDate);
    QVERIFY(d.activate());
    QTest::keyClicks(d.edit, "1");
    d.edit->setCursorPosition(3);
    QTest::keyClicks(d.edit, "021970");
    QVERIFY(!d.tabOut());
    QCOMPARE(d.edit->text(), QString("1 .02.1970"));
    QCOMPARE(d.edit->cursorPosition(), 1);
}

void TestMaskEdit::escAfterRefusalRestoresAndLets()
{
    FocusWindow w(kDate);
    QVERIFY(w.activate("01.02.1970"));
    w.edit->setCursorPosition(6);
    QTest::keyClick(w.edit, Qt::Key_Delete);
    QCOMPARE(w.edit->text(), QString("01.02. 970"));
    QVERIFY(!w.tabOut());
    QTest::keyClick(w.edit, Qt::Key_Escape);
    QCOMPARE(w.edit->text(), QString("01.02.1970"));
    QVERIFY(w.tabOut());
    QCOMPARE(Messages::shown().size(), 1);

    // a field changed and left complete restores, on a later Esc, what it held on re-entry
    QVERIFY(w.activate());
    w.edit->setCursorPosition(0);
    QTest::keyClicks(w.edit, "03");
    QVERIFY(w.tabOut());
    QVERIFY(w.activate());
    w.edit->setCursorPosition(0);
    QTest::keyClicks(w.edit, "04");
    QTest::keyClick(w.edit, Qt::Key_Escape);
    QCOMPARE(w.edit->text(), QString("03.02.1970"));
}

QTEST_MAIN(TestMaskEdit)
#include "tst_maskedit.moc"
