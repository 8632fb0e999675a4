#include "userfixture.h"
#include "query.h"

// The user management saving and deleting persons, also when another workstation changed them.
class TestUserManagement : public UserFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { start(); }
    void cleanup() { finish(); }

    void newPersonIsInsertedInSurnameOrder();
    void weightIsTakenAsTyped();
    void newPersonReachesTheMainSelector();
    void changedPersonKeepsItsId();
    void namesAsTypedWithinTheirColumns();

    void deleteRemovesEntriesAndUnitsButNotShoes();
    void failingDeleteKeepsEverything();
    void buttonsFollowTheRowAfterDeleteAndSave();
    void personDeletedElsewhere();
    void personChangedElsewhere();
};

// --- saving -------------------------------------------------------------

void TestUserManagement::weightIsTakenAsTyped()
{
    QVERIFY(open(true));
    button(4)->click();
    auto* weight = w<MaskEdit>("maskeditL4");
    for (const auto& [typed, text] : {std::pair{"72,5", " 72,5"}, {"105,5", "105,5"}, {"0755", "075,5"}}) {
        weight->setFocus(Qt::TabFocusReason);
        weight->selectAll();
        QTest::keyClicks(weight, typed);
        QTest::keyClick(weight, Qt::Key_Tab);
        QVERIFY2(Messages::shown().isEmpty(), typed);
        QCOMPARE(weight->text(), QString(text));
        QVERIFY(!weight->hasFocus());
    }
}

void TestUserManagement::newPersonIsInsertedInSurnameOrder()
{
    addUser("Adler", "Anton");
    addUser("Zander", "Anna");
    QVERIFY(open(true));
    button(4)->click();
    QTest::keyClicks(w("Edit1"), "Muster");
    QTest::keyClick(w("Edit1"), Qt::Key_Tab);
    QTest::keyClicks(w("Edit2"), "Erika");
    QTest::keyClick(w("Edit2"), Qt::Key_Tab);                    // male by entering the choice
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right); // female with the arrow key
    QCOMPARE(w<RadioGroup>("RadioGroup1")->itemIndex(), 1);
    w("maskeditL1")->setFocus(Qt::TabFocusReason);
    const QStringList typed = {"01021970", "50", "185", "0755"};
    for (int i = 0; i < typed.size(); ++i) {
        QTest::keyClicks(w(kFields[2 + i]), typed[i]);
        QTest::keyClick(w(kFields[2 + i]), Qt::Key_Tab);
    }
    QVERIFY(Messages::shown().isEmpty());
    QTest::mouseClick(button(1), Qt::LeftButton);
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));

    QCOMPARE(count("SELECT COUNT(*) FROM users"), QString("3"));
    Query q(session().ZDatabase1);
    q.open("SELECT ID, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, Maxpuls FROM users WHERE Name = 'Muster'");
    QStringList stored;
    for (int f = 0; f < 7; ++f)
        stored << q.field(f).asString();
    QCOMPARE(stored, QStringList({"3", "Erika", "01.02.1970", "1", "75,5", "50", "185"}));

    QCOMPARE(grid()->gridRowCount(), 5);
    QCOMPARE(grid()->cells(1, 1), QString(" Adler"));
    QCOMPARE(grid()->cells(0, 2) + grid()->cells(1, 2) + grid()->cells(2, 2), QString("3 Muster Erika"));
    QCOMPARE(grid()->cells(1, 3), QString(" Zander"));
    QVERIFY(grid()->isRowEmpty(4));
    QVERIFY(fieldsLocked(true)); // locked and emptied again, the save mode kept
    QCOMPARE(w("Edit1")->text(), QString());
    QCOMPARE(m_cur->saveMode(), 0);
}

void TestUserManagement::newPersonReachesTheMainSelector()
{
    QComboBox* selector = m_main->ComboBox1;
    QCOMPARE(selector->count(), 1);
    auto addThroughTheWindow = [&](const QString& surname) {
        bool acted = false;
        QTimer::singleShot(0, m_main.get(), [&] {
            auto* form = qobject_cast<TForm2*>(QApplication::activeModalWidget());
            if (!form)
                return;
            acted = true;
            m_cur = form;
            button(4)->click();
            fillValid();
            set("Edit1", surname);
            button(1)->click();
            form->close();
        });
        m_main->findChild<QToolButton*>("ToolButton2")->click();
        return acted;
    };
    QVERIFY(addThroughTheWindow("Muster"));
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(selector->count(), 2);
    QCOMPARE(selector->currentIndex(), 1); // the only person is selected
    QCOMPARE(selector->currentText(), QString("Erika Muster"));
    QCOMPARE(m_main->currentUser(), QString("1"));
    QVERIFY(m_main->ToolButton3->isEnabled());
    QVERIFY(!m_main->findChild<TForm2*>()); // released after use

    // a second person: both in surname order after the placeholder
    QVERIFY(addThroughTheWindow("Adler"));
    QCOMPARE(selector->count(), 3);
    QCOMPARE(selector->currentIndex(), 0);
    QCOMPARE(selector->itemText(1), QString("Erika Adler"));
    QCOMPARE(selector->itemText(2), QString("Erika Muster"));
}

void TestUserManagement::changedPersonKeepsItsId()
{
    addUser("Adler", "Anton", "72.25");
    const int id = addUser("Berg", "Britta", "68.0");
    open();
    grid()->setCurrentGridRow(2);
    button(3)->click();
    QCOMPARE(m_cur->saveMode(), 2);
    QCOMPARE(w<QLabel>("Label8")->text(), QString::number(id));
    QStringList loaded;
    for (const QString& name : kFields)
        loaded << w(name)->text();
    // the weight below 100 kg with a leading zero
    QCOMPARE(loaded, QStringList({"Berg", "Britta", "01.02.1970", "48", "185", "068,0"}));
    QCOMPARE(w<RadioGroup>("RadioGroup1")->itemIndex(), 1);
    QVERIFY(fieldsLocked(false));

    set("Edit1", "Berger");
    set("maskeditL4", "101,5");
    button(1)->click();
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(count("SELECT COUNT(*) FROM users"), QString("2"));
    QCOMPARE(count("SELECT Name FROM users WHERE ID = " + quoted(id)), QString("Berger"));
    QCOMPARE(count("SELECT Gewicht FROM users WHERE ID = " + quoted(id)), QString("101,5"));
    QCOMPARE(m_cur->saveMode(), 2);
    QCOMPARE(grid()->cells(0, 2) + grid()->cells(1, 2), QString::number(id) + " Berger");

    // above 100 kg no leading zero; the other person's weight rounded to one decimal, half up
    button(3)->click();
    QCOMPARE(w("maskeditL4")->text(), QString("101,5"));
    grid()->setCurrentGridRow(1);
    button(3)->click();
    QCOMPARE(w("maskeditL4")->text(), QString("072,3"));
}

void TestUserManagement::namesAsTypedWithinTheirColumns()
{
    QVERIFY(open(true));
    button(4)->click();
    fillValid();
    const QString longName = "Maximiliane-Friederike-Charlotte-Augusta von Hohenberg";
    for (const auto& [field, typed] : {std::pair{"Edit1", QString("O'Brien")}, std::pair{"Edit2", longName}}) {
        w(field)->clear();
        QTest::keyClicks(w(field), typed);
    }
    QCOMPARE(w("Edit2")->text(), longName.left(40));
    Messages::setNextAnswer(QMessageBox::Ok); // a box on a fault fails the test instead of waiting
    button(1)->click();
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));
    QCOMPARE(count("SELECT Name FROM users"), QString("O'Brien"));
    QCOMPARE(count("SELECT Vorname FROM users"), longName.left(40));
    QCOMPARE(grid()->cells(1, 1), QString(" O'Brien"));

    // reads back as typed and saves again unchanged
    grid()->setCurrentGridRow(1);
    button(3)->click();
    QCOMPARE(w("Edit1")->text(), QString("O'Brien"));
    Messages::setNextAnswer(QMessageBox::Ok);
    button(1)->click();
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(count("SELECT Name FROM users"), QString("O'Brien"));

    // Characters the code page lacks are refused while typing, so what is
    // stored is what the field shows.
    grid()->setCurrentGridRow(1);
    button(3)->click();
    w("Edit2")->clear();
    const int beeps = Messages::beepCount();
    typeText(w("Edit2"), QString::fromUtf8("Zoë Łódź"));
    QCOMPARE(w("Edit2")->text(), QString::fromUtf8("Zoë ód"));
    QCOMPARE(Messages::beepCount() - beeps, 2);
    Messages::setNextAnswer(QMessageBox::Ok);
    button(1)->click();
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(count("SELECT Vorname FROM users"), QString::fromUtf8("Zoë ód"));
}

// --- deleting -----------------------------------------------------------

void TestUserManagement::deleteRemovesEntriesAndUnitsButNotShoes()
{
    const int anton = addUser("Adler", "Anton");
    const int britta = addUser("Berg", "Britta");
    const int a1 = addEntry(anton);
    addUnit(a1, 1);
    addUnit(a1, 2);
    const int a2 = addEntry(anton);
    addUnit(a2, 1);
    addEntry(anton); // an entry without units
    addUnit(addEntry(britta), 1);
    addShoe(anton, "Pegasus");
    addShoe(britta, "Clifton");
    open();
    grid()->setCurrentGridRow(1);

    // cancelling the question keeps everything
    Messages::setNextAnswer(QMessageBox::Cancel);
    button(2)->click();
    QCOMPARE(totals(), QString("2/4/4/2"));

    Messages::setNextAnswer(QMessageBox::Ok);
    button(2)->click();
    QCOMPARE(Messages::shown().size(), 2);
    const Messages::Record& question = Messages::shown().last();
    QCOMPARE(question.title, QString("Frage"));
    QCOMPARE(question.icon, QMessageBox::NoIcon);
    QCOMPARE(question.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(question.text, QString("Möchten Sie den ausgewählten Benutzer tatsächlich löschen?\n\r"
                                    "Es werden auch alle zugehörigen Rezidedazurazedadeinträge gelöscht."));
    // Anton, his entries and their units are gone, his shoe stays; Britta keeps everything
    QCOMPARE(totals(), QString("1/1/1/2"));
    QCOMPARE(count("SELECT COUNT(*) FROM main WHERE UserID = " + quoted(britta)), QString("1"));
    QCOMPARE(count("SELECT COUNT(*) FROM schuhe WHERE UserID = " + quoted(anton)), QString("1"));
    QCOMPARE(grid()->gridRowCount(), 3);
    QCOMPARE(grid()->cells(1, 1), QString(" Berg"));
}

void TestUserManagement::failingDeleteKeepsEverything()
{
    const int anton = addUser("Adler", "Anton");
    const int a1 = addEntry(anton);
    addUnit(a1, 1);
    const int a2 = addEntry(anton);
    addUnit(a2, 1);
    addUnit(a2, 2);
    addShoe(anton, "Pegasus");
    // The database refuses to delete the second entry: the failure comes
    // midway, after the person, the first entry and its unit were deleted.
    session().ZDatabase1.execute("CREATE EXCEPTION e_kept 'Eintrag ist geschützt'");
    session().ZDatabase1.execute(
        QStringLiteral("CREATE TRIGGER t_kept FOR main BEFORE DELETE AS BEGIN IF (OLD.ID = %1) THEN EXCEPTION e_kept; END")
            .arg(a2));
    open();
    grid()->setCurrentGridRow(1);
    Messages::setNextAnswer(QMessageBox::Ok); // the question
    Messages::setNextAnswer(QMessageBox::Ok); // the error box
    button(2)->click();

    QCOMPARE(Messages::shown().size(), 2);
    const Messages::Record& error = Messages::shown()[1];
    QCOMPARE(error.title, Messages::applicationTitle());
    QCOMPARE(error.icon, QMessageBox::Critical);
    QVERIFY2(error.text.contains("Eintrag ist geschützt"), qPrintable(error.text));
    QCOMPARE(count("SELECT COUNT(*) FROM users WHERE ID = " + quoted(anton)), QString("1"));
    QCOMPARE(count("SELECT COUNT(*) FROM units WHERE MainID = " + quoted(a1)), QString("1"));
    QCOMPARE(count("SELECT COUNT(*) FROM units WHERE MainID = " + quoted(a2)), QString("2"));
    QCOMPARE(totals(), QString("1/2/3/1"));
    QVERIFY(!session().ZDatabase1.inTransaction());
    QCOMPARE(grid()->gridRowCount(), 3);
    QCOMPARE(grid()->cells(1, 1), QString(" Adler"));

    // the connection works on as before: without the trigger the delete goes through
    session().ZDatabase1.execute("DROP TRIGGER t_kept");
    grid()->setCurrentGridRow(1);
    Messages::setNextAnswer(QMessageBox::Ok);
    button(2)->click();
    QCOMPARE(totals(), QString("0/0/0/1"));
}

void TestUserManagement::buttonsFollowTheRowAfterDeleteAndSave()
{
    addUser("Adler", "Anton");
    addUser("Berg", "Britta");
    const int carla = addUser("Christ", "Carla");
    open();
    auto enabled = [&] { return button(2)->isEnabled() && button(3)->isEnabled(); };

    // deleting the middle person: the next one moves up and stays chosen
    grid()->setCurrentGridRow(2);
    Messages::setNextAnswer(QMessageBox::Ok);
    button(2)->click();
    QCOMPARE(grid()->currentGridRow(), 2);
    QCOMPARE(grid()->cells(1, 2), QString(" Christ"));
    QVERIFY(enabled());
    button(3)->click();
    QCOMPARE(w<QLabel>("Label8")->text(), QString::number(carla));

    // deleting the last person: the empty row is at the chosen position now
    Messages::setNextAnswer(QMessageBox::Ok);
    button(2)->click();
    QCOMPARE(grid()->gridRowCount(), 3);
    QCOMPARE(grid()->currentGridRow(), 2);
    QVERIFY(grid()->isRowEmpty(2));
    QVERIFY(!button(2)->isEnabled() && !button(3)->isEnabled());
    QVERIFY(fieldsLocked(true)); // the deleted person is no longer loaded

    // saving a new person that sorts before the chosen row
    button(4)->click();
    fillValid();
    set("Edit1", "Aal");
    button(1)->click();
    QCOMPARE(grid()->gridRowCount(), 4);
    QCOMPARE(grid()->currentGridRow(), 2);
    QCOMPARE(grid()->cells(1, 2), QString(" Adler"));
    QVERIFY(enabled());
    QVERIFY(Messages::shown().size() == 2 && Messages::shown()[0].title == "Frage");
}

// Another workstation deletes the person while this window shows it.
void TestUserManagement::personDeletedElsewhere()
{
    const int anton = addUser("Adler", "Anton");
    const int britta = addUser("Berg", "Britta");
    addEntry(britta);
    open();
    const auto deleteElsewhere = [&](int id) { session().ZDatabase1.execute("DELETE FROM users WHERE ID = " + quoted(id)); };
    const QString gone = "Der Benutzer wurde inzwischen an einem anderen Arbeitsplatz gelöscht.";

    // saving a change: nothing written, the list anew, the input kept for a new person
    grid()->setCurrentGridRow(1);
    button(3)->click();
    set("Edit2", "Arno");
    deleteElsewhere(anton);
    Messages::setNextAnswer(QMessageBox::Ok);
    button(1)->click();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text,
             gone + " Ihre Eingaben stehen weiter im Formular; „Speichern“ legt sie als neuen Benutzer an.");
    QCOMPARE(count("SELECT COUNT(*) FROM users"), QString("1"));
    QCOMPARE(grid()->gridRowCount(), 3);
    QCOMPARE(w("Edit2")->text(), QString("Arno"));
    QVERIFY(fieldsLocked(false));
    QVERIFY(!button(2)->isEnabled() && !button(3)->isEnabled());
    button(1)->click();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(count("SELECT Vorname FROM users WHERE ID <> " + quoted(britta)), QString("Arno"));

    // opening for a change, and deleting: nothing deleted, the list anew
    grid()->setCurrentGridRow(2);
    QCOMPARE(grid()->cells(1, 2), QString(" Berg"));
    deleteElsewhere(britta);
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    button(3)->click();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, gone);
    QVERIFY(fieldsLocked(true));
    QCOMPARE(grid()->gridRowCount(), 3);

    grid()->setCurrentGridRow(1);
    deleteElsewhere(count("SELECT ID FROM users").toInt());
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok); // the question
    Messages::setNextAnswer(QMessageBox::Ok);
    button(2)->click();
    QCOMPARE(Messages::shown().size(), 2);
    QCOMPARE(Messages::shown().last().text, gone);
    QCOMPARE(totals(), QString("0/1/0/0")); // Britta's entry was not this window's to delete
    QCOMPARE(grid()->gridRowCount(), 2);
}

// Another workstation changes the person while this window has it open for change.
void TestUserManagement::personChangedElsewhere()
{
    const int anton = addUser("Adler", "Anton");
    open();
    const auto vorname = [&] { return count("SELECT Vorname FROM users WHERE ID = " + quoted(anton)); };
    grid()->setCurrentGridRow(1);
    button(3)->click();
    set("Edit2", "Arno");
    session().ZDatabase1.execute("UPDATE users SET Vorname = 'Alma' WHERE ID = " + quoted(anton));
    Messages::setNextAnswer(QMessageBox::Cancel);
    button(1)->click();
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY(Messages::shown().first().text.startsWith(
        "Der Benutzer wurde seit dem Laden an einem anderen Arbeitsplatz geändert."));
    QCOMPARE(vorname(), QString("Alma"));
    QCOMPARE(w("Edit2")->text(), QString("Arno"));
    // the stored version loaded into the fields
    Messages::setNextAnswer(Messages::customAnswer(0));
    button(1)->click();
    QCOMPARE(w("Edit2")->text(), QString("Alma"));
    QVERIFY(fieldsLocked(false));
    // changed again and saved without a question
    set("Edit2", "Arno");
    Messages::clearShown();
    button(1)->click();
    QCOMPARE(Messages::shown().size(), 0);
    QCOMPARE(vorname(), QString("Arno"));
}

QTEST_MAIN(TestUserManagement)
#include "query.h"
#include "tst_usermanagement.moc"
