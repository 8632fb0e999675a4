#include "maskedit.h"
#include "messages.h"
#include "radiogroup.h"
#include "session.h"
#include "sqltext.h"
#include "stringgrid.h"
#include "testsupport.h"
#include "textforms.h"
#include "tform1.h"
#include "tform2.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

const QStringList kFields = {"Edit1", "Edit2", "maskeditL1", "maskeditL2", "maskeditL3", "maskeditL4"};
// A complete, valid person: field name and value ("RadioGroup1" takes the item index).
const QList<QPair<QString, QString>> kValid = {{"Edit1", "Muster"},     {"Edit2", "Erika"},
                                               {"RadioGroup1", "1"},    {"maskeditL1", "01.02.1970"},
                                               {"maskeditL2", "50"},    {"maskeditL3", "185"},
                                               {"maskeditL4", "075,5"}};

QString faultText(const QStringList& lines)
{
    QString text = QStringLiteral("Es sind folgende Eingabefehler aufgetreten:\n\r\n\r");
    for (const QString& line : lines)
        text += line + QStringLiteral("\n\r");
    return text + QStringLiteral("\n\rIhre Eingaben können deshalb nicht gespeichert werden");
}

} // namespace

class TestUserManagement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void windowAndList();
    void layoutFollowsTheWindow();
    void fieldStatesNewSelectionAndDoubleClick();
    void closingAlwaysEndsWithResultOne();
    void unfinishedBirthdayKeepsTheFocus();

    void inputCheck_data();
    void inputCheck();
    void refusedSaveKeepsTheInput();

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

private:
    Session& session() { return m_main->session(); }
    QString count(const QString& sql) { return scalar(session(), sql); }
    // Runs an insert and returns the generator's new value.
    int insert(const QString& table, const QString& columns, const QString& values, const char* generator)
    {
        session().ZQuery1.execSql(QStringLiteral("INSERT INTO %1 (ID, %2) VALUES (gen_id(%3,1), %4)")
                                      .arg(table, columns, QString::fromLatin1(generator), values));
        return count(QStringLiteral("SELECT gen_id(%1,0) FROM rdb$database").arg(generator)).toInt();
    }
    int addUser(const QString& name, const QString& vorname, const QString& weight = "75.5")
    {
        return insert("users", "Name, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, Maxpuls",
                      quoted(name) + ", " + quoted(vorname) + ", '01.02.1970', '1', " + quoted(weight) + ", '48', '185'",
                      "Gen_Users");
    }
    int addEntry(int user) { return insert("main", "Datum, UserID", "'01.06.2025', " + quoted(user), "Gen_Main"); }
    void addUnit(int entry, int sub)
    {
        insert("units", "MainID, SubID, strecke", quoted(entry) + ", " + quoted(sub) + ", '5.0'", "Gen_Units");
    }
    void addShoe(int user, const QString& modell)
    {
        insert("schuhe", "modell, MaxLeistung, prevLeistung, UserID", quoted(modell) + ", '800', '0', " + quoted(user),
               "Gen_Schuhe");
    }
    // The numbers of persons, diary entries, units and shoes.
    QString totals()
    {
        return count("SELECT (SELECT COUNT(*) FROM users) || '/' || (SELECT COUNT(*) FROM main) || '/' || "
                     "(SELECT COUNT(*) FROM units) || '/' || (SELECT COUNT(*) FROM schuhe) FROM rdb$database");
    }
    TForm2* open(bool shown = false)
    {
        m_form = std::make_unique<TForm2>(m_main.get());
        m_cur = m_form.get();
        return shown && !showActive(*m_cur) ? nullptr : m_cur;
    }
    // Children of the open window (opened here or from the main window).
    template <class T = QLineEdit> T* w(const QString& name) { return m_cur->findChild<T*>(name); }
    QPushButton* button(int n) { return w<QPushButton>(QStringLiteral("BitBtn%1").arg(n)); }
    StringGrid* grid() { return w<StringGrid>("StringAlignGrid1"); }
    void clickRow(int row, bool twice = false)
    {
        const QPoint at = grid()->visualRect(grid()->model()->index(row - 1, 1)).center();
        if (twice)
            QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
        else
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, at);
    }
    void set(const QString& field, const QString& value)
    {
        if (field == "RadioGroup1")
            w<RadioGroup>(field)->setItemIndex(value.toInt());
        else if (auto* mask = w<MaskEdit>(field))
            mask->setText(value); // through the mask, not QLineEdit::setText
        else
            w(field)->setText(value);
    }
    void fillValid()
    {
        for (const auto& [field, value] : kValid)
            set(field, value);
    }
    bool fieldsLocked(bool locked);
    QString checkMessage();

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<TForm1> m_main;
    std::unique_ptr<TForm2> m_form;
    TForm2* m_cur = nullptr;
};

void TestUserManagement::init()
{
    initTestEnvironment();
    m_dir = std::make_unique<TestFolder>();
    m_main = std::make_unique<TForm1>(StartOptions{m_dir->path(), 0});
    QVERIFY(Messages::shown().isEmpty());
}

void TestUserManagement::cleanup()
{
    m_form.reset();
    m_main.reset();
    m_dir.reset();
    QVERIFY(!QApplication::overrideCursor());
}

// All data fields locked and grey (or open and white), the save button the opposite, the sex choice usable.
bool TestUserManagement::fieldsLocked(bool locked)
{
    for (const QString& name : kFields)
        if (w(name)->isEnabled() == locked
            || w(name)->palette().color(QPalette::Base) != (locked ? QColor(0xE9E9E9) : QColor(Qt::white)))
            return false;
    return button(1)->isEnabled() != locked && w<RadioGroup>("RadioGroup1")->isEnabled();
}

// Runs CheckData and returns the text of the one "Fehler" box it showed ("" when none).
QString TestUserManagement::checkMessage()
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

void TestUserManagement::windowAndList()
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
void TestUserManagement::layoutFollowsTheWindow()
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

void TestUserManagement::fieldStatesNewSelectionAndDoubleClick()
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

void TestUserManagement::closingAlwaysEndsWithResultOne()
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

void TestUserManagement::unfinishedBirthdayKeepsTheFocus()
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

void TestUserManagement::inputCheck_data()
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

void TestUserManagement::inputCheck()
{
    QFETCH(QStringList, changes);
    QFETCH(QStringList, lines);
    open()->EnableControls();
    fillValid();
    for (int i = 0; i + 1 < changes.size(); i += 2)
        set(changes[i], changes[i + 1]);
    QCOMPARE(checkMessage(), lines.isEmpty() ? QString() : faultText(lines));
}

void TestUserManagement::refusedSaveKeepsTheInput()
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
    session().ZQuery1.execSql("CREATE EXCEPTION e_no_users 'Keine neuen Benutzer'");
    session().ZQuery1.execSql("CREATE TRIGGER t_no_users FOR users BEFORE INSERT AS BEGIN EXCEPTION e_no_users; END");
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
    QCOMPARE(m_cur->insertStatement(),
             QString("INSERT INTO USERS (ID, name, vorname, GebDatum, Gewicht, Geschlecht, Ruhepuls, MaxPuls) "
                     "VALUES (gen_id(Gen_Users,1), 'Muster','Erika','01.02.1970','75.5','1','50','185')"));
    QTest::mouseClick(button(1), Qt::LeftButton);
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));

    QCOMPARE(count("SELECT COUNT(*) FROM users"), QString("3"));
    Query& q = session().ZQuery1;
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
    QCOMPARE(m_cur->updateStatement(),
             QString("UPDATE users SET ID = %1, name = 'Berger', vorname = 'Britta', gebdatum = '01.02.1970', "
                     "geschlecht = '1', gewicht = '101.5', ruhepuls = '48', maxpuls = '185' WHERE ID = '%1'")
                 .arg(id));
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
    session().ZQuery1.execSql("CREATE EXCEPTION e_kept 'Eintrag ist geschützt'");
    session().ZQuery1.execSql(
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
    session().ZQuery1.execSql("DROP TRIGGER t_kept");
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
    const auto deleteElsewhere = [&](int id) { session().ZQuery1.execSql("DELETE FROM users WHERE ID = " + quoted(id)); };
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
    session().ZQuery1.execSql("UPDATE users SET Vorname = 'Alma' WHERE ID = " + quoted(anton));
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
#include "tst_usermanagement.moc"
