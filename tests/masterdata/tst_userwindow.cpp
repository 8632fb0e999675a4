#include "faulttext.h"
#include "userfixture.h"

// The user management's window: its list, its fields and the input check.
class TestUserWindow : public UserFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { start(); }
    void cleanup() { finish(); }

    void windowAndList();
    void layoutFollowsTheWindow();
    void fieldStatesNewSelectionAndDoubleClick();
    void closingAlwaysEndsWithResultOne();
    void unfinishedBirthdayKeepsTheFocus();

    void inputCheck_data();
    void inputCheck();
    void refusedSaveKeepsTheInput();

private:
    QString checkMessage();
};

// Runs CheckData and returns the text of the one "Fehler" box it showed ("" when none).
QString TestUserWindow::checkMessage()
{
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    if (!m_cur->CheckData()) {
        Messages::clearQueuedAnswers();
        return Messages::shown().isEmpty() ? QString() : QStringLiteral("<box without faults>");
    }
    if (Messages::shown().size() != 1)
        return QStringLiteral("<%1 boxes>").arg(Messages::shown().size());
    const Messages::Record& box = Messages::shown().first();
    if (box.title != "Fehler" || box.icon != QMessageBox::NoIcon || box.buttons != QMessageBox::Ok)
        return QStringLiteral("<wrong box>");
    return box.text;
}

// --- the window ---------------------------------------------------------

void TestUserWindow::windowAndList()
{
    TForm2* form = open();
    QCOMPARE(form->windowTitle(), QString("Benutzerverwaltung"));
    QVERIFY(form->isModal());
    QCOMPARE(form->parentWidget(), m_main.get());
    const QStringList captions = {"&Speichern", "&Löschen", "&Ändern", "&Neu"};
    for (int n = 1; n <= 4; ++n) {
        QCOMPARE(button(n)->text(), captions[n - 1]);
        QVERIFY(!button(n)->autoDefault()); // Enter presses no button
        QCOMPARE(button(n)->isEnabled(), n == 4);
    }
    QCOMPARE(form->saveMode(), 0);
    for (const char* name : {"Edit1", "Edit2"})
        QCOMPARE(w(name)->maxLength(), 40);
    auto* radio = w<RadioGroup>("RadioGroup1");
    QCOMPARE(radio->button(0)->text(), QString("&männl."));
    QCOMPARE(radio->button(1)->text(), QString("&weibl."));
    QCOMPARE(radio->itemIndex(), -1);
    const QList<std::tuple<QString, QString, QString>> masks = {{"maskeditL1", "!00/00/0000;1;_", "  .  .    "},
                                                                {"maskeditL2", "00", "  "},
                                                                {"maskeditL3", "000", "   "},
                                                                {"maskeditL4", "!900,0;1;_", "   , "}};
    for (const auto& [name, mask, empty] : masks) {
        QCOMPARE(w<MaskEdit>(name)->editMask(), mask);
        QCOMPARE(w<MaskEdit>(name)->text(), empty);
    }
    QVERIFY(w<QLabel>("Label8")->isHidden());
    QCOMPARE(grid()->gridColumnWidth(0), 0); // the ID column is hidden
    QCOMPARE(grid()->editTriggers(), QAbstractItemView::NoEditTriggers);

    // an empty diary: headings and the empty row only; choosing it enables nothing
    const QStringList headings = {" ID", " Name", " Vorname", "Geburtstag"};
    for (int c = 0; c < 4; ++c)
        QCOMPARE(grid()->cells(c, 0), headings[c]);
    QCOMPARE(grid()->gridRowCount(), 2);
    grid()->setCurrentGridRow(1);
    QVERIFY(!button(2)->isEnabled() && !button(3)->isEnabled());

    // persons in surname order, then first-name order, the empty row last
    addUser("Zander", "Anna");
    addUser("Adler", "Bernd");
    addUser("Adler", "Anton");
    open();
    QStringList rows;
    for (int r = 1; r < grid()->gridRowCount(); ++r)
        rows << QStringList{grid()->cells(0, r), grid()->cells(1, r), grid()->cells(2, r), grid()->cells(3, r)}
                    .join('|');
    QCOMPARE(rows, QStringList({"3| Adler| Anton|01.02.1970", "2| Adler| Bernd|01.02.1970",
                                "1| Zander| Anna|01.02.1970", "|||"}));
    QVERIFY(!button(2)->isEnabled() && !button(3)->isEnabled()); // nothing chosen at the start
    grid()->setCurrentGridRow(2);
    QVERIFY(button(2)->isEnabled() && button(3)->isEnabled());
    grid()->setCurrentGridRow(4);
    QVERIFY(!button(2)->isEnabled() && !button(3)->isEnabled());
}

// Shrunk to its minimum, at its design size and enlarged, with a person
// loaded: nothing overlaps or is cut, and the room goes to the list.
void TestUserWindow::layoutFollowsTheWindow()
{
    addUser("Müller-Lüdenscheidt", "Hans-Joachim", "188.8");
    QVERIFY(open(true));
    grid()->setCurrentGridRow(1);
    button(3)->click();
    set("maskeditL3", "199");
    const QList<QWidget*> containers{m_cur, w<QWidget>("GroupBox1"), w<QWidget>("RadioGroup1")};

    m_cur->resize(200, 100);
    QCoreApplication::processEvents();
    QCOMPARE(m_cur->size(), m_cur->minimumSizeHint());
    QVERIFY(m_cur->width() <= 645 && m_cur->height() <= 320);
    QStringList faults = layoutFaults(containers);
    QVERIFY2(faults.isEmpty(), qPrintable("minimum: " + faults.join("; ")));
    const QSize list = grid()->size();
    const QSize data = w<QWidget>("GroupBox1")->size();
    m_cur->resize(645, 275);
    QCoreApplication::processEvents();
    faults = layoutFaults(containers);
    QVERIFY2(faults.isEmpty(), qPrintable("design size: " + faults.join("; ")));
    m_cur->resize(m_cur->size() + QSize(400, 300));
    QCoreApplication::processEvents();
    faults = layoutFaults(containers);
    QVERIFY2(faults.isEmpty(), qPrintable("enlarged: " + faults.join("; ")));
    QVERIFY(grid()->width() >= list.width() + 400);
    QVERIFY(grid()->height() >= list.height() + 300);
    QCOMPARE(w<QWidget>("GroupBox1")->width(), data.width());
}

void TestUserWindow::fieldStatesNewSelectionAndDoubleClick()
{
    addUser("Adler", "Anton");
    QVERIFY(open(true));
    QVERIFY(fieldsLocked(true));
    QTest::mouseClick(button(4), Qt::LeftButton);
    QVERIFY(fieldsLocked(false));
    QVERIFY(w("Edit1")->hasFocus());
    QCOMPARE(m_cur->saveMode(), 0);

    // tabbing into the sex choice selects male; an existing choice is kept
    auto* radio = w<RadioGroup>("RadioGroup1");
    QTest::keyClick(w("Edit1"), Qt::Key_Tab);
    QVERIFY(w("Edit2")->hasFocus());
    QCOMPARE(radio->itemIndex(), -1);
    QTest::keyClick(w("Edit2"), Qt::Key_Tab);
    QVERIFY(radio->isAncestorOf(QApplication::focusWidget()));
    QCOMPARE(radio->itemIndex(), 0);
    radio->setItemIndex(1);
    w("Edit2")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w("Edit2"), Qt::Key_Tab);
    QCOMPARE(radio->itemIndex(), 1);

    // tabbing past "&Speichern" into the list chooses no row: the input stays
    QTest::keyClicks(w("Edit1"), "Berg");
    button(1)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button(1), Qt::Key_Tab);
    QVERIFY(grid()->hasFocus());
    QCOMPARE(grid()->currentGridRow(), -1);
    QCOMPARE(w("Edit1")->text(), QString("Berg"));
    QVERIFY(fieldsLocked(false));

    // typed input is discarded by choosing a row
    clickRow(1);
    QCOMPARE(grid()->currentGridRow(), 1);
    QVERIFY(fieldsLocked(true));
    QCOMPARE(w("Edit1")->text(), QString());
    QCOMPARE(radio->itemIndex(), -1);
    QVERIFY(button(2)->isEnabled() && button(3)->isEnabled());

    // a double click loads a person, but not the empty row (and gives no conversion error there)
    clickRow(2, true);
    QCOMPARE(grid()->currentGridRow(), 2);
    QVERIFY(Messages::shown().isEmpty());
    QVERIFY(fieldsLocked(true));
    QCOMPARE(m_cur->saveMode(), 0);
    clickRow(1, true);
    QCOMPARE(w("Edit1")->text(), QString("Adler"));
    QVERIFY(fieldsLocked(false));
    QCOMPARE(m_cur->saveMode(), 2);
}

void TestUserWindow::closingAlwaysEndsWithResultOne()
{
    TForm2* form = open();
    QTimer::singleShot(0, form, [form] {
        QTest::keyClick(form, Qt::Key_Escape); // Esc does not close the window ...
        if (form->isVisible())
            form->close(); // ... the close button does
    });
    QCOMPARE(form->exec(), 1);
    QVERIFY(form->isHidden());
    QTimer::singleShot(0, form, [form] { form->reject(); });
    QCOMPARE(form->exec(), 1);
}

void TestUserWindow::unfinishedBirthdayKeepsTheFocus()
{
    addUser("Adler", "Anton");
    QVERIFY(open(true));
    button(4)->click();
    auto* birthday = w<MaskEdit>("maskeditL1");
    birthday->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(birthday, "0102");
    Messages::setNextAnswer(QMessageBox::Ok);
    clickRow(1);
    QVERIFY(birthday->hasFocus());
    QCOMPARE(Messages::beepCount(), 1);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].text, MaskEdit::invalidInputMessage());
    QCOMPARE(grid()->currentGridRow(), -1);                // the click chose no row ...
    QCOMPARE(birthday->text(), QString("01.02.    ")); // ... and discarded no input
    QVERIFY(birthday->isEnabled());

    QTest::keyClick(birthday, Qt::Key_Escape);
    QCOMPARE(birthday->text(), QString("  .  .    "));
    // Day and month of one digit are read as the date fields read them.
    QTest::keyClicks(birthday, "1.2.1970");
    QTest::keyClick(birthday, Qt::Key_Tab);
    QCOMPARE(birthday->text(), QString("01.02.1970"));
    QCOMPARE(Messages::shown().size(), 1);
    QTest::keyClick(birthday, Qt::Key_Escape);
    birthday->setText(QString());
    clickRow(1);
    QCOMPARE(grid()->currentGridRow(), 1);
    QVERIFY(!birthday->isEnabled());
    QCOMPARE(Messages::shown().size(), 1);
}

// --- input checks -------------------------------------------------------

void TestUserWindow::inputCheck_data()
{
    QTest::addColumn<QStringList>("changes"); // field, value, field, value ... over a valid person
    QTest::addColumn<QStringList>("lines");   // the expected fault lines, none for a valid person
    const QString birthday = "- Geburtsdatum nicht oder nicht korrekt angegeben";
    const QString future = "- Geburtsdatum liegt in der Zukunft";
    const QString swapped = "- der Maximalpuls muss größer als der Minimalpuls sein";
    const QString unrealistic = "- Ihre angegebenen Pulswerte erscheinen unrealistisch";
    const QString weight = "- Gewicht nicht oder nicht korrekt angegeben";
    const QString today = dateText(QDate::currentDate());
    const QString tomorrow = dateText(QDate::currentDate().addDays(1));
    auto row = [](const char* name, const QStringList& changes, const QStringList& lines) {
        QTest::newRow(name) << changes << lines;
    };
    row("valid", {}, {});
    row("everything missing",
        {"Edit1", "", "Edit2", "", "maskeditL1", "", "RadioGroup1", "-1", "maskeditL2", "", "maskeditL3", "",
         "maskeditL4", ""},
        {"- Nachname nicht angegeben", "- Vorname nicht angegeben", birthday, "- kein Geschlecht angegeben",
         "- Ruhepuls nicht oder nicht korrekt angegeben", "- Maximalpuls nicht oder nicht korrekt angegeben", weight});
    row("surname", {"Edit1", ""}, {"- Nachname nicht angegeben"});
    row("first name", {"Edit2", ""}, {"- Vorname nicht angegeben"});
    row("no birthday", {"maskeditL1", ""}, {birthday});
    row("no date", {"maskeditL1", "31.02.1970"}, {birthday});
    row("born today", {"maskeditL1", today}, {});
    row("born tomorrow", {"maskeditL1", tomorrow}, {future});
    row("sex", {"RadioGroup1", "-1"}, {"- kein Geschlecht angegeben"});
    row("resting pulse", {"maskeditL2", ""}, {"- Ruhepuls nicht oder nicht korrekt angegeben"});
    row("maximum pulse", {"maskeditL3", ""}, {"- Maximalpuls nicht oder nicht korrekt angegeben"});
    row("31/62", {"maskeditL2", "31", "maskeditL3", "062"}, {});
    row("50/219", {"maskeditL3", "219"}, {});
    row("30/180", {"maskeditL2", "30", "maskeditL3", "180"}, {unrealistic});
    row("60/119", {"maskeditL2", "60", "maskeditL3", "119"}, {unrealistic});
    row("50/220", {"maskeditL3", "220"}, {unrealistic});
    row("50/099", {"maskeditL3", "099"}, {unrealistic});
    row("60/060", {"maskeditL2", "60", "maskeditL3", "060"}, {swapped});
    row("85/050", {"maskeditL2", "85", "maskeditL3", "050"}, {swapped});
    row("50/045", {"maskeditL3", "045"}, {swapped});
    row("no weight", {"maskeditL4", ""}, {weight});
    row("19.9 kg", {"maskeditL4", "019,9"}, {weight});
    row("20.0 kg", {"maskeditL4", "020,0"}, {});
    row("several faults in their places",
        {"Edit2", "", "maskeditL1", dateText(QDate::currentDate().addYears(1)), "maskeditL2", "90", "maskeditL3",
         "080", "maskeditL4", "010,0"},
        {"- Vorname nicht angegeben", future, swapped, weight});
}

void TestUserWindow::inputCheck()
{
    QFETCH(QStringList, changes);
    QFETCH(QStringList, lines);
    open()->EnableControls();
    fillValid();
    for (int i = 0; i + 1 < changes.size(); i += 2)
        set(changes[i], changes[i + 1]);
    QCOMPARE(checkMessage(), lines.isEmpty() ? QString() : faultText(lines));
}

void TestUserWindow::refusedSaveKeepsTheInput()
{
    // a failed input check saves nothing and keeps state and input
    open();
    button(4)->click();
    fillValid();
    set("maskeditL4", "010,0");
    Messages::setNextAnswer(QMessageBox::Ok);
    button(1)->click();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(count("SELECT COUNT(*) FROM users"), QString("0"));
    QCOMPARE(w("Edit1")->text(), QString("Muster"));
    QCOMPARE(w("maskeditL4")->text(), QString("010,0"));
    QVERIFY(fieldsLocked(false));

    // a statement the database rejects is shown, and the input stays
    session().ZDatabase1.execute("CREATE EXCEPTION e_no_users 'Keine neuen Benutzer'");
    session().ZDatabase1.execute("CREATE TRIGGER t_no_users FOR users BEFORE INSERT AS BEGIN EXCEPTION e_no_users; END");
    set("maskeditL4", "075,5");
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    button(1)->click();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].title, Messages::applicationTitle());
    QCOMPARE(Messages::shown()[0].icon, QMessageBox::Critical);
    QVERIFY2(Messages::shown()[0].text.contains("Keine neuen Benutzer"), qPrintable(Messages::shown()[0].text));
    QCOMPARE(w("Edit1")->text(), QString("Muster"));
    QCOMPARE(w("maskeditL4")->text(), QString("075,5"));
    QVERIFY(fieldsLocked(false));
}


QTEST_MAIN(TestUserWindow)
#include "tst_userwindow.moc"
