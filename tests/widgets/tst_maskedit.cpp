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

// A shown, active window with a masked edit, a plain line edit after it
// and a button, so that focus changes are real ones.
struct FocusWindow
{
    explicit FocusWindow(const QString& mask)
    {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        edit = new MaskEdit(mask, window.get());
        edit->setObjectName("maskeditL1");
        other = new QLineEdit(window.get());
        other->setObjectName("Edit1");
        button = new QPushButton("&Knopf", window.get());
        layout->addWidget(edit);
        layout->addWidget(other);
        layout->addWidget(button);
        window->show();
        window->activateWindow();
    }
    bool activate()
    {
        if (!QTest::qWaitForWindowActive(window.get()))
            return false;
        edit->setFocus(Qt::TabFocusReason);
        return edit->hasFocus();
    }

    std::unique_ptr<QWidget> window;
    MaskEdit* edit = nullptr;
    QLineEdit* other = nullptr;
    QPushButton* button = nullptr;
};

class TestMaskEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }

    // text forms
    void emptyTextForms_data();
    void emptyTextForms();
    void maximumLengthIsTheMaskLength();
    void storedValuesFillTheMask_data();
    void storedValuesFillTheMask();
    void literalsLeftOutWhenNotSaved();
    void textSetAsPlainLineEditGoesThroughTheMask();
    void blankCharacterShowsOnlyWhileFocused();

    // typing
    void typedDigitsSkipLiterals();
    void refusedKeysBeep();
    void optionalPositionTakesABlank();
    void separatorEndsTheSectionWithLeadingBlanks();
    void backspaceAndDeleteEmptyPositions();
    void typingReplacesTheSelection();
    void pasteGoesThroughTheMask();
    void signalsCarryTheTextForm();

    // Esc and leaving the field
    void escRestoresTheTextBeforeTheChange();
    void escWithoutChangeIsLeftToTheWindow();
    void incompleteChangedFieldKeepsTheFocus();
    void clickElsewhereIsRefusedToo();
    void completeOrUnchangedFieldMayBeLeft();
    void emptiedFieldIsIncompleteToo();
    void leadingBlanksAreMadeOnLeaving();
    void escAfterRefusalRestoresAndLets();

    void withoutMaskItIsAPlainLineEdit();
};

void TestMaskEdit::emptyTextForms_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("empty");
    QTest::newRow("date") << "!00/00/0000;1;_" << "  .  .    ";
    QTest::newRow("weight") << "900,0;1;_" << "   , ";
    QTest::newRow("time of day") << "!90:00;1;_" << "  :  ";
    QTest::newRow("duration") << "!0:00;1;_" << " :  ";
    QTest::newRow("unit time") << "!00:00:00;1;_" << "  :  :  ";
    QTest::newRow("two digits") << "00" << "  ";
    QTest::newRow("three digits") << "000" << "   ";
}

void TestMaskEdit::emptyTextForms()
{
    QFETCH(QString, mask);
    QFETCH(QString, empty);
    MaskEdit edit(mask);
    QCOMPARE(edit.text(), empty);
    QCOMPARE(edit.displayText(), empty);
    QVERIFY(edit.isEmpty());
    QVERIFY(!edit.isComplete());
    QVERIFY(!edit.isChanged());
    edit.setText("");
    QCOMPARE(edit.text(), empty);
}

void TestMaskEdit::maximumLengthIsTheMaskLength()
{
    QCOMPARE(MaskEdit("!00/00/0000;1;_").maxLength(), 10);
    QCOMPARE(MaskEdit("900,0;1;_").maxLength(), 5);
    QCOMPARE(MaskEdit("!90:00;1;_").maxLength(), 5);
    QCOMPARE(MaskEdit("!0:00;1;_").maxLength(), 4);
    QCOMPARE(MaskEdit("00").maxLength(), 2);
}

void TestMaskEdit::storedValuesFillTheMask_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("complete");
    QTest::newRow("date") << "!00/00/0000;1;_" << "01.02.1970" << "01.02.1970" << true;
    QTest::newRow("date with slashes") << "!00/00/0000;1;_" << "01/02/1970" << "01.02.1970" << true;
    QTest::newRow("weight") << "900,0;1;_" << "075,5" << "075,5" << true;
    QTest::newRow("heavy weight") << "900,0;1;_" << "105,0" << "105,0" << true;
    QTest::newRow("short weight stays short") << "900,0;1;_" << "75,5" << "75 ,5" << false;
    QTest::newRow("empty weight form") << "900,0;1;_" << "   , " << "   , " << false;
    QTest::newRow("pulse") << "00" << "48" << "48" << true;
    QTest::newRow("single digit pulse") << "00" << "5" << "5 " << false;
    QTest::newRow("maximum pulse") << "000" << "185" << "185" << true;
    QTest::newRow("time of day") << "!90:00;1;_" << "08:30" << "08:30" << true;
    QTest::newRow("short hour leads with a blank") << "!90:00;1;_" << "8:30" << " 8:30" << true;
    QTest::newRow("time with seconds") << "!90:00;1;_" << "08:30:00" << "08:30" << true;
    QTest::newRow("duration") << "!0:00;1;_" << "1:30" << "1:30" << true;
    QTest::newRow("unit time") << "!00:00:00;1;_" << "00:45:10" << "00:45:10" << true;
    QTest::newRow("letters are left out") << "00" << "ab" << "  " << false;
}

void TestMaskEdit::storedValuesFillTheMask()
{
    QFETCH(QString, mask);
    QFETCH(QString, value);
    QFETCH(QString, text);
    QFETCH(bool, complete);
    MaskEdit edit(mask);
    edit.setText(value);
    QCOMPARE(edit.text(), text);
    QCOMPARE(edit.isComplete(), complete);
    QVERIFY(!edit.isChanged());
    QVERIFY(!edit.isModified());
    edit.clear();
    QVERIFY(edit.isEmpty());
}

void TestMaskEdit::literalsLeftOutWhenNotSaved()
{
    MaskEdit edit("!00/00/0000;0;_");
    QCOMPARE(edit.text(), QString("        "));
    edit.setText("01021970");
    QCOMPARE(edit.text(), QString("01021970"));
    QCOMPARE(edit.displayText(), QString("01.02.1970"));
    edit.setText("03.04.1980");
    QCOMPARE(edit.text(), QString("03041980"));
}

void TestMaskEdit::textSetAsPlainLineEditGoesThroughTheMask()
{
    MaskEdit edit("900,0;1;_");
    QLineEdit* plain = &edit;
    plain->setText("075,5");
    QCOMPARE(edit.text(), QString("075,5"));
    QVERIFY(edit.isComplete());
    plain->setText("7x");
    QCOMPARE(edit.text(), QString("7  , "));
    QCOMPARE(plain->text(), QString("7  , "));
    plain->clear();
    QCOMPARE(edit.text(), QString("   , "));
    QVERIFY(edit.isEmpty());
    plain->setProperty("text", "099,0");
    QCOMPARE(edit.text(), QString("099,0"));
    QVERIFY(!edit.isChanged());
}

void TestMaskEdit::blankCharacterShowsOnlyWhileFocused()
{
    FocusWindow w("!00/00/0000;1;_");
    QVERIFY(w.activate());
    QCOMPARE(w.edit->displayText(), QString("__.__.____"));
    QCOMPARE(w.edit->text(), QString("  .  .    "));
    QTest::keyClicks(w.edit, "01");
    QCOMPARE(w.edit->displayText(), QString("01.__.____"));
    QCOMPARE(w.edit->text(), QString("01.  .    "));
    w.edit->setText("01.02.1970");
    w.other->setFocus(Qt::TabFocusReason);
    QVERIFY(w.other->hasFocus());
    QCOMPARE(w.edit->displayText(), QString("01.02.1970"));
    w.edit->clear();
    QCOMPARE(w.edit->displayText(), QString("  .  .    "));
}

void TestMaskEdit::typedDigitsSkipLiterals()
{
    MaskEdit date("!00/00/0000;1;_");
    date.setCursorPosition(0);
    QTest::keyClicks(&date, "01021970");
    QCOMPARE(date.text(), QString("01.02.1970"));
    QVERIFY(date.isComplete());
    QVERIFY(date.isChanged());
    QVERIFY(date.isModified());
    QCOMPARE(Messages::beepCount(), 0);

    MaskEdit weight("900,0;1;_");
    weight.setCursorPosition(0);
    QTest::keyClicks(&weight, "0755");
    QCOMPARE(weight.text(), QString("075,5"));

    // Typing the separator where the cursor already stands behind it changes nothing.
    MaskEdit date2("!00/00/0000;1;_");
    date2.setCursorPosition(0);
    QTest::keyClicks(&date2, "01.02.1970");
    QCOMPARE(date2.text(), QString("01.02.1970"));
    QCOMPARE(Messages::beepCount(), 0);
}

void TestMaskEdit::refusedKeysBeep()
{
    MaskEdit date("!00/00/0000;1;_");
    date.setCursorPosition(0);
    QTest::keyClicks(&date, "x");
    QCOMPARE(date.text(), QString("  .  .    "));
    QCOMPARE(Messages::beepCount(), 1);
    QVERIFY(!date.isChanged());
    QTest::keyClick(&date, Qt::Key_Space); // a required position takes no blank
    QCOMPARE(Messages::beepCount(), 2);
    QTest::keyClicks(&date, "01021970");
    QCOMPARE(Messages::beepCount(), 2);
    QTest::keyClicks(&date, "1"); // the mask is full behind the cursor
    QCOMPARE(Messages::beepCount(), 3);
    QCOMPARE(date.text(), QString("01.02.1970"));

    MaskEdit weight("900,0;1;_");
    weight.setCursorPosition(0);
    QTest::keyClicks(&weight, "7a");
    QCOMPARE(weight.text(), QString("7  , "));
    QCOMPARE(Messages::beepCount(), 4);
    QTest::keyClicks(&weight, "-");
    QCOMPARE(Messages::beepCount(), 5);
}

void TestMaskEdit::optionalPositionTakesABlank()
{
    MaskEdit weight("900,0;1;_");
    weight.setCursorPosition(0);
    QTest::keyClicks(&weight, " 755");
    QCOMPARE(weight.text(), QString(" 75,5"));
    QVERIFY(weight.isComplete());
    QCOMPARE(Messages::beepCount(), 0);
}

void TestMaskEdit::separatorEndsTheSectionWithLeadingBlanks()
{
    MaskEdit time("!90:00;1;_");
    time.setCursorPosition(0);
    QTest::keyClicks(&time, "8:30");
    QCOMPARE(time.text(), QString(" 8:30"));
    QVERIFY(time.isComplete());
    QCOMPARE(Messages::beepCount(), 0);

    MaskEdit duration("!0:00;1;_");
    duration.setCursorPosition(0);
    QTest::keyClicks(&duration, "1:05");
    QCOMPARE(duration.text(), QString("1:05"));

    // Without "!" the digits stay where they were typed: the weight needs its leading zero.
    MaskEdit weight("900,0;1;_");
    weight.setCursorPosition(0);
    QTest::keyClicks(&weight, "75,5");
    QCOMPARE(weight.text(), QString("75 ,5"));
    QVERIFY(!weight.isComplete());
}

void TestMaskEdit::backspaceAndDeleteEmptyPositions()
{
    MaskEdit date("!00/00/0000;1;_");
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
}

void TestMaskEdit::typingReplacesTheSelection()
{
    MaskEdit date("!00/00/0000;1;_");
    date.setText("01.02.1970");
    date.selectAll();
    QTest::keyClicks(&date, "2");
    QCOMPARE(date.text(), QString("2 .  .    "));
    date.setSelection(3, 2);
    QTest::keyClick(&date, Qt::Key_Backspace);
    QCOMPARE(date.text(), QString("2 .  .    "));
}

void TestMaskEdit::pasteGoesThroughTheMask()
{
    MaskEdit date("!00/00/0000;1;_");
    QApplication::clipboard()->setText("24.12.1999");
    date.setCursorPosition(0);
    QTest::keyClick(&date, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(date.text(), QString("24.12.1999"));
    QCOMPARE(Messages::beepCount(), 0);

    MaskEdit pulse("00");
    QApplication::clipboard()->setText("4x");
    pulse.setCursorPosition(0);
    QTest::keyClick(&pulse, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(pulse.text(), QString("4 "));
    QCOMPARE(Messages::beepCount(), 1);
}

void TestMaskEdit::signalsCarryTheTextForm()
{
    MaskEdit weight("900,0;1;_");
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

void TestMaskEdit::escRestoresTheTextBeforeTheChange()
{
    MaskEdit date("!00/00/0000;1;_");
    date.setText("01.02.1970");
    date.setCursorPosition(0);
    QTest::keyClicks(&date, "15");
    QCOMPARE(date.text(), QString("15.02.1970"));
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&date, &esc);
    QVERIFY(esc.isAccepted());
    QCOMPARE(date.text(), QString("01.02.1970"));
    QVERIFY(!date.isChanged());
    QVERIFY(!date.isModified());

    // From an empty field back to the empty field.
    MaskEdit weight("900,0;1;_");
    weight.setCursorPosition(0);
    QTest::keyClicks(&weight, "07");
    QTest::keyClick(&weight, Qt::Key_Escape);
    QCOMPARE(weight.text(), QString("   , "));
}

void TestMaskEdit::escWithoutChangeIsLeftToTheWindow()
{
    MaskEdit date("!00/00/0000;1;_");
    date.setText("01.02.1970");
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    esc.setAccepted(true);
    QApplication::sendEvent(&date, &esc);
    QVERIFY(!esc.isAccepted());
    QCOMPARE(date.text(), QString("01.02.1970"));
}

void TestMaskEdit::incompleteChangedFieldKeepsTheFocus()
{
    FocusWindow w("!00/00/0000;1;_");
    QVERIFY(w.activate());
    Messages::setNextAnswer(QMessageBox::Ok);
    QTest::keyClicks(w.edit, "0102");
    QTest::keyClick(w.edit, Qt::Key_Tab);
    QVERIFY(w.edit->hasFocus());
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
    QCOMPARE(w.edit->cursorPosition(), 6);
    QCOMPARE(w.edit->displayText(), QString("01.02.____"));

    // finishing the input lets the field go
    QTest::keyClicks(w.edit, "1970");
    QTest::keyClick(w.edit, Qt::Key_Tab);
    QVERIFY(w.other->hasFocus());
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(w.edit->text(), QString("01.02.1970"));
}

void TestMaskEdit::clickElsewhereIsRefusedToo()
{
    FocusWindow w("900,0;1;_");
    QVERIFY(w.activate());
    QSignalSpy clicked(w.button, &QPushButton::clicked);
    Messages::setNextAnswer(QMessageBox::Ok);
    QTest::keyClicks(w.edit, "75");
    QTest::mouseClick(w.button, Qt::LeftButton);
    QVERIFY(w.edit->hasFocus());
    QCOMPARE(clicked.size(), 0); // the click that could not take the focus does nothing
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::beepCount(), 1);
    // the next click, after Esc, works as usual
    QTest::keyClick(w.edit, Qt::Key_Escape);
    QTest::mouseClick(w.button, Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    QVERIFY(w.button->hasFocus());
}

void TestMaskEdit::completeOrUnchangedFieldMayBeLeft()
{
    FocusWindow w("!00/00/0000;1;_");
    QVERIFY(w.activate());
    QTest::keyClick(w.edit, Qt::Key_Tab); // empty and unchanged
    QVERIFY(w.other->hasFocus());
    w.edit->setText("01.0");             // set, not typed: incomplete but unchanged
    w.edit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.edit, Qt::Key_Tab);
    QVERIFY(w.other->hasFocus());
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(Messages::beepCount(), 0);
}

void TestMaskEdit::emptiedFieldIsIncompleteToo()
{
    FocusWindow w("00");
    QVERIFY(w.activate());
    w.edit->setText("48");
    w.edit->setFocus(Qt::TabFocusReason);
    w.edit->selectAll();
    QTest::keyClick(w.edit, Qt::Key_Delete);
    QCOMPARE(w.edit->text(), QString("  "));
    Messages::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(w.edit, Qt::Key_Tab);
    QVERIFY(w.edit->hasFocus());
    QCOMPARE(Messages::shown().size(), 1);
}

void TestMaskEdit::leadingBlanksAreMadeOnLeaving()
{
    FocusWindow w("!90:00;1;_");
    QVERIFY(w.activate());
    QTest::keyClicks(w.edit, "8");
    w.edit->setCursorPosition(3); // on to the minutes with the mouse, say
    QTest::keyClicks(w.edit, "30");
    QCOMPARE(w.edit->text(), QString("8 :30"));
    QTest::keyClick(w.edit, Qt::Key_Tab);
    QVERIFY(w.other->hasFocus());
    QCOMPARE(w.edit->text(), QString(" 8:30"));
    QVERIFY(Messages::shown().isEmpty());

    // a required position is no leading blank: the field keeps the focus
    FocusWindow d("!00/00/0000;1;_");
    QVERIFY(d.activate());
    QTest::keyClicks(d.edit, "1");
    d.edit->setCursorPosition(3);
    QTest::keyClicks(d.edit, "021970");
    Messages::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(d.edit, Qt::Key_Tab);
    QVERIFY(d.edit->hasFocus());
    QCOMPARE(d.edit->text(), QString("1 .02.1970"));
    QCOMPARE(d.edit->cursorPosition(), 1);
}

void TestMaskEdit::escAfterRefusalRestoresAndLets()
{
    FocusWindow w("!00/00/0000;1;_");
    QVERIFY(w.activate());
    w.edit->setText("01.02.1970");
    w.edit->setFocus(Qt::TabFocusReason);
    w.edit->setCursorPosition(6);
    QTest::keyClick(w.edit, Qt::Key_Delete);
    QCOMPARE(w.edit->text(), QString("01.02. 970"));
    Messages::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(w.edit, Qt::Key_Tab);
    QVERIFY(w.edit->hasFocus());
    QTest::keyClick(w.edit, Qt::Key_Escape);
    QCOMPARE(w.edit->text(), QString("01.02.1970"));
    QTest::keyClick(w.edit, Qt::Key_Tab);
    QVERIFY(w.other->hasFocus());
    QCOMPARE(Messages::shown().size(), 1);

    // A field changed and left complete restores, on a later Esc, what it held on re-entry.
    w.edit->setFocus(Qt::TabFocusReason);
    w.edit->setCursorPosition(0);
    QTest::keyClicks(w.edit, "03");
    QTest::keyClick(w.edit, Qt::Key_Tab);
    QVERIFY(w.other->hasFocus());
    w.edit->setFocus(Qt::TabFocusReason);
    w.edit->setCursorPosition(0);
    QTest::keyClicks(w.edit, "04");
    QTest::keyClick(w.edit, Qt::Key_Escape);
    QCOMPARE(w.edit->text(), QString("03.02.1970"));
}

void TestMaskEdit::withoutMaskItIsAPlainLineEdit()
{
    MaskEdit edit;
    QVERIFY(!edit.isMasked());
    QTest::keyClicks(&edit, "abc");
    QCOMPARE(edit.text(), QString("abc"));
    QCOMPARE(Messages::beepCount(), 0);
}

QTEST_MAIN(TestMaskEdit)
#include "tst_maskedit.moc"
