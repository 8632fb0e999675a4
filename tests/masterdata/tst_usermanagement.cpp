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
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

namespace {

const QString kHead = QStringLiteral("Es sind folgende Eingabefehler aufgetreten:\n\r\n\r");
const QString kTail = QStringLiteral("\n\rIhre Eingaben können deshalb nicht gespeichert werden");

QString faultText(const QStringList& lines)
{
    QString text = kHead;
    for (const QString& line : lines)
        text += line + QStringLiteral("\n\r");
    return text + kTail;
}

} // namespace

class TestUserManagement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    // the window
    void windowAndControls();
    void emptyDiaryShowsOnlyTheEmptyRow();
    void personsAreListedInSurnameOrder();
    void fieldStatesFollowNewAndSelection();
    void tabbingIntoTheSexChoiceSelectsMale();
    void closingAlwaysEndsWithResultOne();
    void unfinishedBirthdayKeepsTheFocus();

    // input checks
    void eachFaultHasItsLine_data();
    void eachFaultHasItsLine();
    void allFaultsInOneMessage();
    void pulsePairs_data();
    void pulsePairs();
    void weightFromTwentyKilograms();
    void birthdayTodayButNotTomorrow();
    void failedCheckKeepsStateAndInput();

    // saving
    void newPersonIsInsertedInSurnameOrder();
    void newPersonReachesTheMainSelector();
    void changedPersonKeepsItsId();
    void doubleClickLoadsAPersonButNotTheEmptyRow();
    void apostropheAndFortyCharacters();
    void rejectedSaveKeepsTheInput();

    // deleting
    void deleteRemovesEntriesAndUnitsButNotShoes();
    void cancelledDeleteKeepsEverything();
    void failingDeleteKeepsEverything();
    void buttonsFollowTheRowAfterDeleteAndSave();

private:
    Session& session() { return m_main->session(); }
    int lastId(const char* generator);
    int addUser(const QString& name, const QString& vorname, const QString& weight = "75.5");
    int addEntry(int userId);
    void addUnit(int mainId, int subId);
    void addShoe(int userId, const QString& modell);
    QString count(const QString& sql) { return scalar(session(), sql); }
    TForm2* open();
    TForm2* openShown();
    void fillValid(TForm2* form);
    QString checkMessage(TForm2* form);

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<TForm1> m_main;
    std::unique_ptr<TForm2> m_form;
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

int TestUserManagement::lastId(const char* generator)
{
    return count(QStringLiteral("SELECT gen_id(%1,0) FROM rdb$database").arg(generator)).toInt();
}

int TestUserManagement::addUser(const QString& name, const QString& vorname, const QString& weight)
{
    session().ZQuery1.execSql("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, "
                              "Maxpuls) VALUES (gen_id(Gen_Users,1), "
                              + quoted(name) + ", " + quoted(vorname) + ", '01.02.1970', '1', " + quoted(weight)
                              + ", '48', '185')");
    return lastId("Gen_Users");
}

int TestUserManagement::addEntry(int userId)
{
    session().ZQuery1.execSql("INSERT INTO main (ID, Datum, UserID) VALUES (gen_id(Gen_Main,1), '01.06.2025', "
                              + quoted(userId) + ")");
    return lastId("Gen_Main");
}

void TestUserManagement::addUnit(int mainId, int subId)
{
    session().ZQuery1.execSql("INSERT INTO units (ID, MainID, SubID, strecke) VALUES (gen_id(Gen_Units,1), "
                              + quoted(mainId) + ", " + quoted(subId) + ", '5.0')");
}

void TestUserManagement::addShoe(int userId, const QString& modell)
{
    session().ZQuery1.execSql("INSERT INTO schuhe (ID, modell, MaxLeistung, prevLeistung, UserID) VALUES "
                              "(gen_id(Gen_Schuhe,1), "
                              + quoted(modell) + ", '800', '0', " + quoted(userId) + ")");
}

TForm2* TestUserManagement::open()
{
    m_form = std::make_unique<TForm2>(m_main.get());
    return m_form.get();
}

TForm2* TestUserManagement::openShown()
{
    TForm2* form = open();
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form))
        return nullptr;
    return form;
}

void TestUserManagement::fillValid(TForm2* form)
{
    form->findChild<QLineEdit*>("Edit1")->setText("Muster");
    form->findChild<QLineEdit*>("Edit2")->setText("Erika");
    form->findChild<RadioGroup*>("RadioGroup1")->setItemIndex(1);
    form->findChild<MaskEdit*>("maskeditL1")->setText("01.02.1970");
    form->findChild<MaskEdit*>("maskeditL2")->setText("50");
    form->findChild<MaskEdit*>("maskeditL3")->setText("185");
    form->findChild<MaskEdit*>("maskeditL4")->setText("075,5");
}

// Runs CheckData and returns the text of the box it showed ("" when none).
QString TestUserManagement::checkMessage(TForm2* form)
{
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    const bool faults = form->CheckData();
    if (!faults) {
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

void TestUserManagement::windowAndControls()
{
    TForm2* form = open();

    QCOMPARE(form->objectName(), QString("TForm2"));
    QCOMPARE(form->windowTitle(), QString("Benutzerverwaltung"));
    QCOMPARE(form->size(), QSize(645, 275));
    QVERIFY(form->isModal());
    QCOMPARE(form->parentWidget(), m_main.get());

    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    QVERIFY(grid);
    QCOMPARE(grid->columnCount(), 4);
    const QStringList headings = {" ID", " Name", " Vorname", "Geburtstag"};
    for (int c = 0; c < 4; ++c)
        QCOMPARE(grid->cells(c, 0), headings[c]);
    QCOMPARE(grid->gridColumnWidth(0), 0);
    QCOMPARE(grid->gridColumnWidth(1), 97);
    QCOMPARE(grid->gridColumnWidth(2), 103);
    QCOMPARE(grid->defaultRowHeight(), 19);
    QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);

    const QList<QPair<QString, QString>> buttons = {
        {"BitBtn1", "&Speichern"}, {"BitBtn2", "&Löschen"}, {"BitBtn3", "&Ändern"}, {"BitBtn4", "&Neu"}};
    for (const auto& [name, caption] : buttons) {
        auto* b = form->findChild<QPushButton*>(name);
        QVERIFY2(b, qPrintable(name));
        QCOMPARE(b->text(), caption);
        QVERIFY(!b->autoDefault());
    }
    QVERIFY(!form->findChild<QPushButton*>("BitBtn1")->isEnabled());
    QVERIFY(!form->findChild<QPushButton*>("BitBtn2")->isEnabled());
    QVERIFY(!form->findChild<QPushButton*>("BitBtn3")->isEnabled());
    QVERIFY(form->findChild<QPushButton*>("BitBtn4")->isEnabled());
    QCOMPARE(form->findChild<QPushButton*>("BitBtn1")->property("Tag").toInt(), 0);

    auto* group = form->findChild<QGroupBox*>("GroupBox1");
    QVERIFY(group);
    QCOMPARE(group->title(), QString(" Daten "));
    auto* edit1 = group->findChild<QLineEdit*>("Edit1");
    auto* edit2 = group->findChild<QLineEdit*>("Edit2");
    QVERIFY(edit1 && edit2);
    QCOMPARE(edit1->width(), 160);
    QCOMPARE(edit2->width(), 160);
    QCOMPARE(edit1->maxLength(), 40);
    QCOMPARE(edit2->maxLength(), 40);

    auto* radio = group->findChild<RadioGroup*>("RadioGroup1");
    QVERIFY(radio);
    QCOMPARE(radio->title(), QString(" Geschlecht "));
    QCOMPARE(radio->count(), 2);
    QCOMPARE(radio->button(0)->text(), QString("&männl."));
    QCOMPARE(radio->button(1)->text(), QString("&weibl."));
    QCOMPARE(radio->button(0)->y(), radio->button(1)->y()); // side by side
    QCOMPARE(radio->itemIndex(), -1);

    const QList<std::tuple<QString, QString, int, bool, QString>> masks = {
        {"maskeditL1", "!00/00/0000;1;_", 10, false, "  .  .    "},
        {"maskeditL2", "00", 2, true, "  "},
        {"maskeditL3", "000", 3, true, "   "},
        {"maskeditL4", "900,0;1;_", 5, true, "   , "},
    };
    for (const auto& [name, mask, length, right, empty] : masks) {
        auto* edit = group->findChild<MaskEdit*>(name);
        QVERIFY2(edit, qPrintable(name));
        QCOMPARE(edit->editMask(), mask);
        QCOMPARE(edit->maxLength(), length);
        QCOMPARE(bool(edit->alignment() & Qt::AlignRight), right);
        QCOMPARE(edit->text(), empty);
    }
    auto* label8 = group->findChild<QLabel*>("Label8");
    QVERIFY(label8);
    QVERIFY(label8->isHidden());
    QCOMPARE(label8->text(), QString("ID"));
}

void TestUserManagement::emptyDiaryShowsOnlyTheEmptyRow()
{
    TForm2* form = open();
    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    QCOMPARE(grid->gridRowCount(), 2);
    QVERIFY(grid->isRowEmpty(1));
    grid->setCurrentGridRow(1);
    QVERIFY(!form->findChild<QPushButton*>("BitBtn2")->isEnabled());
    QVERIFY(!form->findChild<QPushButton*>("BitBtn3")->isEnabled());
}

void TestUserManagement::personsAreListedInSurnameOrder()
{
    addUser("Zander", "Anna");
    addUser("Adler", "Bernd");
    addUser("Adler", "Anton");
    TForm2* form = open();
    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    QCOMPARE(grid->gridRowCount(), 5);
    QStringList rows;
    for (int r = 1; r < grid->gridRowCount(); ++r)
        rows << QStringList{grid->cells(0, r), grid->cells(1, r), grid->cells(2, r), grid->cells(3, r)}.join('|');
    QCOMPARE(rows, QStringList({"3| Adler| Anton|01.02.1970", "2| Adler| Bernd|01.02.1970",
                                "1| Zander| Anna|01.02.1970", "|||"}));
    // nothing is chosen at the start
    QVERIFY(!form->findChild<QPushButton*>("BitBtn2")->isEnabled());
    QVERIFY(!form->findChild<QPushButton*>("BitBtn3")->isEnabled());
    grid->setCurrentGridRow(2);
    QVERIFY(form->findChild<QPushButton*>("BitBtn2")->isEnabled());
    QVERIFY(form->findChild<QPushButton*>("BitBtn3")->isEnabled());
    grid->setCurrentGridRow(4);
    QVERIFY(!form->findChild<QPushButton*>("BitBtn2")->isEnabled());
    QVERIFY(!form->findChild<QPushButton*>("BitBtn3")->isEnabled());
}

void TestUserManagement::fieldStatesFollowNewAndSelection()
{
    addUser("Adler", "Anton");
    TForm2* form = openShown();
    QVERIFY(form);
    const QStringList fields = {"Edit1", "Edit2", "maskeditL1", "maskeditL2", "maskeditL3", "maskeditL4"};
    auto expectLocked = [&](bool locked) {
        for (const QString& name : fields) {
            auto* field = form->findChild<QLineEdit*>(name);
            if (!field || field->isEnabled() == locked
                || field->palette().color(QPalette::Base) != (locked ? QColor(0xE9E9E9) : QColor(Qt::white)))
                return false;
        }
        return form->findChild<QPushButton*>("BitBtn1")->isEnabled() != locked
               && form->findChild<RadioGroup*>("RadioGroup1")->isEnabled();
    };
    QVERIFY(expectLocked(true));

    QTest::mouseClick(form->findChild<QPushButton*>("BitBtn4"), Qt::LeftButton);
    QVERIFY(expectLocked(false));
    QVERIFY(form->findChild<QLineEdit*>("Edit1")->hasFocus());
    QCOMPARE(form->saveMode(), 0);

    // typed input is discarded by choosing a row
    QTest::keyClicks(form->findChild<QLineEdit*>("Edit1"), "Berg");
    form->findChild<RadioGroup*>("RadioGroup1")->setItemIndex(1);
    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    const QRect row1 = grid->visualRect(grid->model()->index(0, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row1.center());
    QCOMPARE(grid->currentGridRow(), 1);
    QVERIFY(expectLocked(true));
    QCOMPARE(form->findChild<QLineEdit*>("Edit1")->text(), QString());
    QCOMPARE(form->findChild<RadioGroup*>("RadioGroup1")->itemIndex(), -1);
    QVERIFY(form->findChild<QPushButton*>("BitBtn2")->isEnabled());
    QVERIFY(form->findChild<QPushButton*>("BitBtn3")->isEnabled());
}

void TestUserManagement::tabbingIntoTheSexChoiceSelectsMale()
{
    TForm2* form = openShown();
    QVERIFY(form);
    form->findChild<QPushButton*>("BitBtn4")->click();
    auto* edit2 = form->findChild<QLineEdit*>("Edit2");
    auto* radio = form->findChild<RadioGroup*>("RadioGroup1");
    QTest::keyClick(form->findChild<QLineEdit*>("Edit1"), Qt::Key_Tab);
    QVERIFY(edit2->hasFocus());
    QCOMPARE(radio->itemIndex(), -1);
    QTest::keyClick(edit2, Qt::Key_Tab);
    QVERIFY(radio->isAncestorOf(QApplication::focusWidget()));
    QCOMPARE(radio->itemIndex(), 0);

    // an existing choice is kept
    radio->setItemIndex(1);
    edit2->setFocus(Qt::TabFocusReason);
    QTest::keyClick(edit2, Qt::Key_Tab);
    QVERIFY(radio->isAncestorOf(QApplication::focusWidget()));
    QCOMPARE(radio->itemIndex(), 1);
}

void TestUserManagement::closingAlwaysEndsWithResultOne()
{
    TForm2* form = open();
    QTimer::singleShot(0, form, [form] {
        // Esc does not close the window ...
        QTest::keyClick(form, Qt::Key_Escape);
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
    TForm2* form = openShown();
    QVERIFY(form);
    form->findChild<QPushButton*>("BitBtn4")->click();
    auto* birthday = form->findChild<MaskEdit*>("maskeditL1");
    birthday->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(birthday, "0102");
    Messages::setNextAnswer(QMessageBox::Ok);
    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
    QVERIFY(birthday->hasFocus());
    QCOMPARE(Messages::beepCount(), 1);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].text, MaskEdit::invalidInputMessage());
    QCOMPARE(grid->currentGridRow(), -1); // the click chose no row ...
    QCOMPARE(birthday->text(), QString("01.02.    ")); // ... and discarded no input
    QVERIFY(birthday->isEnabled());

    QTest::keyClick(birthday, Qt::Key_Escape);
    QCOMPARE(birthday->text(), QString("  .  .    "));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
    QCOMPARE(grid->currentGridRow(), 1);
    QVERIFY(!birthday->isEnabled());
    QCOMPARE(Messages::shown().size(), 1);
}

// --- input checks -------------------------------------------------------

void TestUserManagement::eachFaultHasItsLine_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("line");
    const QString tomorrow = dateText(QDate::currentDate().addDays(1));
    QTest::newRow("surname") << "Edit1" << "" << "- Nachname nicht angegeben";
    QTest::newRow("first name") << "Edit2" << "" << "- Vorname nicht angegeben";
    QTest::newRow("no birthday") << "maskeditL1" << "" << "- Geburtsdatum nicht oder nicht korrekt angegeben";
    QTest::newRow("no date") << "maskeditL1" << "31.02.1970" << "- Geburtsdatum nicht oder nicht korrekt angegeben";
    QTest::newRow("future") << "maskeditL1" << tomorrow << "- Geburtsdatum liegt in der Zukunft";
    QTest::newRow("sex") << "RadioGroup1" << "-1" << "- kein Geschlecht angegeben";
    QTest::newRow("resting pulse") << "maskeditL2" << "" << "- Ruhepuls nicht oder nicht korrekt angegeben";
    QTest::newRow("maximum pulse") << "maskeditL3" << "" << "- Maximalpuls nicht oder nicht korrekt angegeben";
    QTest::newRow("pulses swapped") << "maskeditL3" << "045"
                                    << "- der Maximalpuls muss größer als der Minimalpuls sein";
    QTest::newRow("pulses unrealistic") << "maskeditL3" << "099" << "- Ihre angegebenen Pulswerte erscheinen unrealistisch";
    QTest::newRow("no weight") << "maskeditL4" << "" << "- Gewicht nicht oder nicht korrekt angegeben";
    QTest::newRow("light weight") << "maskeditL4" << "019,9" << "- Gewicht nicht oder nicht korrekt angegeben";
}

void TestUserManagement::eachFaultHasItsLine()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, line);
    TForm2* form = open();
    form->EnableControls();
    fillValid(form);
    QCOMPARE(checkMessage(form), QString());
    if (field == "RadioGroup1")
        form->findChild<RadioGroup*>(field)->setItemIndex(value.toInt());
    else if (auto* mask = form->findChild<MaskEdit*>(field))
        mask->setText(value);
    else
        form->findChild<QLineEdit*>(field)->setText(value);
    QCOMPARE(checkMessage(form), faultText({line}));
}

void TestUserManagement::allFaultsInOneMessage()
{
    TForm2* form = open();
    form->EnableControls();
    const QString expected = QStringLiteral(
        "Es sind folgende Eingabefehler aufgetreten:\n\r\n\r"
        "- Nachname nicht angegeben\n\r"
        "- Vorname nicht angegeben\n\r"
        "- Geburtsdatum nicht oder nicht korrekt angegeben\n\r"
        "- kein Geschlecht angegeben\n\r"
        "- Ruhepuls nicht oder nicht korrekt angegeben\n\r"
        "- Maximalpuls nicht oder nicht korrekt angegeben\n\r"
        "- Gewicht nicht oder nicht korrekt angegeben\n\r"
        "\n\r"
        "Ihre Eingaben können deshalb nicht gespeichert werden");
    QCOMPARE(checkMessage(form), expected);

    // the future birthday and the pulse faults come in their places
    fillValid(form);
    form->findChild<QLineEdit*>("Edit2")->clear();
    form->findChild<MaskEdit*>("maskeditL1")->setText(dateText(QDate::currentDate().addYears(1)));
    form->findChild<MaskEdit*>("maskeditL2")->setText("90");
    form->findChild<MaskEdit*>("maskeditL3")->setText("080");
    form->findChild<MaskEdit*>("maskeditL4")->setText("010,0");
    QCOMPARE(checkMessage(form), faultText({"- Vorname nicht angegeben", "- Geburtsdatum liegt in der Zukunft",
                                            "- der Maximalpuls muss größer als der Minimalpuls sein",
                                            "- Gewicht nicht oder nicht korrekt angegeben"}));
}

void TestUserManagement::pulsePairs_data()
{
    QTest::addColumn<QString>("rest");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("line");
    const QString unrealistic = "- Ihre angegebenen Pulswerte erscheinen unrealistisch";
    const QString swapped = "- der Maximalpuls muss größer als der Minimalpuls sein";
    QTest::newRow("31/62") << "31" << "062" << "";
    QTest::newRow("50/185") << "50" << "185" << "";
    QTest::newRow("50/219") << "50" << "219" << "";
    QTest::newRow("30/180") << "30" << "180" << unrealistic;
    QTest::newRow("60/119") << "60" << "119" << unrealistic;
    QTest::newRow("50/220") << "50" << "220" << unrealistic;
    QTest::newRow("60/060") << "60" << "060" << swapped;
    QTest::newRow("85/050") << "85" << "050" << swapped;
}

void TestUserManagement::pulsePairs()
{
    QFETCH(QString, rest);
    QFETCH(QString, max);
    QFETCH(QString, line);
    TForm2* form = open();
    form->EnableControls();
    fillValid(form);
    form->findChild<MaskEdit*>("maskeditL2")->setText(rest);
    form->findChild<MaskEdit*>("maskeditL3")->setText(max);
    QCOMPARE(checkMessage(form), line.isEmpty() ? QString() : faultText({line}));
}

void TestUserManagement::weightFromTwentyKilograms()
{
    TForm2* form = open();
    form->EnableControls();
    fillValid(form);
    form->findChild<MaskEdit*>("maskeditL4")->setText("019,9");
    QCOMPARE(checkMessage(form), faultText({"- Gewicht nicht oder nicht korrekt angegeben"}));
    form->findChild<MaskEdit*>("maskeditL4")->setText("020,0");
    QCOMPARE(checkMessage(form), QString());
}

void TestUserManagement::birthdayTodayButNotTomorrow()
{
    TForm2* form = open();
    form->EnableControls();
    fillValid(form);
    form->findChild<MaskEdit*>("maskeditL1")->setText(dateText(QDate::currentDate()));
    QCOMPARE(checkMessage(form), QString());
    form->findChild<MaskEdit*>("maskeditL1")->setText(dateText(QDate::currentDate().addDays(1)));
    QCOMPARE(checkMessage(form), faultText({"- Geburtsdatum liegt in der Zukunft"}));
}

void TestUserManagement::failedCheckKeepsStateAndInput()
{
    TForm2* form = open();
    form->findChild<QPushButton*>("BitBtn4")->click();
    fillValid(form);
    form->findChild<MaskEdit*>("maskeditL4")->setText("010,0");
    Messages::setNextAnswer(QMessageBox::Ok);
    form->findChild<QPushButton*>("BitBtn1")->click();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(count("SELECT COUNT(*) FROM users"), QString("0"));
    QCOMPARE(form->findChild<QLineEdit*>("Edit1")->text(), QString("Muster"));
    QCOMPARE(form->findChild<MaskEdit*>("maskeditL4")->text(), QString("010,0"));
    QVERIFY(form->findChild<QLineEdit*>("Edit1")->isEnabled());
    QVERIFY(form->findChild<QPushButton*>("BitBtn1")->isEnabled());
}

// --- saving -------------------------------------------------------------

void TestUserManagement::newPersonIsInsertedInSurnameOrder()
{
    addUser("Adler", "Anton");
    addUser("Zander", "Anna");
    TForm2* form = openShown();
    QVERIFY(form);
    form->findChild<QPushButton*>("BitBtn4")->click();
    auto* edit1 = form->findChild<QLineEdit*>("Edit1");
    QTest::keyClicks(edit1, "Muster");
    QTest::keyClick(edit1, Qt::Key_Tab);
    QTest::keyClicks(form->findChild<QLineEdit*>("Edit2"), "Erika");
    QTest::keyClick(form->findChild<QLineEdit*>("Edit2"), Qt::Key_Tab); // male by entering the choice
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);       // female with the arrow key
    QCOMPARE(form->findChild<RadioGroup*>("RadioGroup1")->itemIndex(), 1);
    auto* birthday = form->findChild<MaskEdit*>("maskeditL1");
    birthday->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(birthday, "01021970");
    QTest::keyClick(birthday, Qt::Key_Tab);
    QTest::keyClicks(form->findChild<MaskEdit*>("maskeditL2"), "50");
    QTest::keyClick(form->findChild<MaskEdit*>("maskeditL2"), Qt::Key_Tab);
    QTest::keyClicks(form->findChild<MaskEdit*>("maskeditL3"), "185");
    QTest::keyClick(form->findChild<MaskEdit*>("maskeditL3"), Qt::Key_Tab);
    QTest::keyClicks(form->findChild<MaskEdit*>("maskeditL4"), "0755");
    QVERIFY(Messages::shown().isEmpty());

    QCOMPARE(form->insertStatement(),
             QString("INSERT INTO USERS (ID, name, vorname, GebDatum, Gewicht, Geschlecht, Ruhepuls, MaxPuls) "
                     "VALUES (gen_id(Gen_Users,1), 'Muster','Erika','01.02.1970','75.5','1','50','185')"));
    QTest::mouseClick(form->findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));

    QCOMPARE(count("SELECT COUNT(*) FROM users"), QString("3"));
    session().ZQuery1.open("SELECT ID, Name, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, Maxpuls FROM users "
                           "WHERE Name = 'Muster'");
    QCOMPARE(session().ZQuery1.field(0).asString(), QString("3"));
    QCOMPARE(session().ZQuery1.field(2).asString(), QString("Erika"));
    QCOMPARE(session().ZQuery1.field(3).asString(), QString("01.02.1970"));
    QCOMPARE(session().ZQuery1.field(4).asInteger(), 1);
    QCOMPARE(session().ZQuery1.field(5).asFloat(), 75.5);
    QCOMPARE(session().ZQuery1.field(6).asInteger(), 50);
    QCOMPARE(session().ZQuery1.field(7).asInteger(), 185);

    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    QCOMPARE(grid->gridRowCount(), 5);
    QCOMPARE(grid->cells(1, 1), QString(" Adler"));
    QCOMPARE(grid->cells(1, 2), QString(" Muster"));
    QCOMPARE(grid->cells(2, 2), QString(" Erika"));
    QCOMPARE(grid->cells(0, 2), QString("3"));
    QCOMPARE(grid->cells(1, 3), QString(" Zander"));
    QVERIFY(grid->isRowEmpty(4));
    // locked again, the save mode kept
    QVERIFY(!form->findChild<QLineEdit*>("Edit1")->isEnabled());
    QCOMPARE(form->findChild<QLineEdit*>("Edit1")->text(), QString());
    QVERIFY(!form->findChild<QPushButton*>("BitBtn1")->isEnabled());
    QCOMPARE(form->saveMode(), 0);
}

void TestUserManagement::newPersonReachesTheMainSelector()
{
    QCOMPARE(m_main->ComboBox1->count(), 1);
    bool acted = false;
    QTimer::singleShot(0, m_main.get(), [&] {
        auto* form = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        if (!form)
            return;
        acted = true;
        form->findChild<QPushButton*>("BitBtn4")->click();
        fillValid(form);
        form->findChild<QPushButton*>("BitBtn1")->click();
        form->close();
    });
    m_main->findChild<QToolButton*>("ToolButton2")->click();
    QVERIFY(acted);
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(m_main->ComboBox1->count(), 2);
    QCOMPARE(m_main->ComboBox1->currentIndex(), 1); // the only person is selected
    QCOMPARE(m_main->ComboBox1->currentText(), QString("Erika Muster"));
    QCOMPARE(m_main->currentUser(), QString("1"));
    QVERIFY(m_main->ToolButton3->isEnabled());
    QVERIFY(!m_main->findChild<TForm2*>()); // released after use

    // a second person: the selector shows both in surname order and the placeholder
    QTimer::singleShot(0, m_main.get(), [&] {
        auto* form = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        if (!form)
            return;
        form->findChild<QPushButton*>("BitBtn4")->click();
        fillValid(form);
        form->findChild<QLineEdit*>("Edit1")->setText("Adler");
        form->findChild<QPushButton*>("BitBtn1")->click();
        form->close();
    });
    m_main->findChild<QToolButton*>("ToolButton2")->click();
    QCOMPARE(m_main->ComboBox1->count(), 3);
    QCOMPARE(m_main->ComboBox1->currentIndex(), 0);
    QCOMPARE(m_main->ComboBox1->itemText(1), QString("Erika Adler"));
    QCOMPARE(m_main->ComboBox1->itemText(2), QString("Erika Muster"));
}

void TestUserManagement::changedPersonKeepsItsId()
{
    addUser("Adler", "Anton", "72.25");
    const int id = addUser("Berg", "Britta", "68.0");
    TForm2* form = open();
    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    grid->setCurrentGridRow(2);
    form->findChild<QPushButton*>("BitBtn3")->click();
    QCOMPARE(form->saveMode(), 2);
    QCOMPARE(form->findChild<QLabel*>("Label8")->text(), QString::number(id));
    QCOMPARE(form->findChild<QLineEdit*>("Edit1")->text(), QString("Berg"));
    QCOMPARE(form->findChild<QLineEdit*>("Edit2")->text(), QString("Britta"));
    QCOMPARE(form->findChild<MaskEdit*>("maskeditL1")->text(), QString("01.02.1970"));
    QCOMPARE(form->findChild<RadioGroup*>("RadioGroup1")->itemIndex(), 1);
    QCOMPARE(form->findChild<MaskEdit*>("maskeditL2")->text(), QString("48"));
    QCOMPARE(form->findChild<MaskEdit*>("maskeditL3")->text(), QString("185"));
    QCOMPARE(form->findChild<MaskEdit*>("maskeditL4")->text(), QString("068,0")); // leading zero below 100 kg
    QVERIFY(form->findChild<QLineEdit*>("Edit1")->isEnabled());
    QVERIFY(form->findChild<QPushButton*>("BitBtn1")->isEnabled());

    form->findChild<QLineEdit*>("Edit1")->setText("Berger");
    form->findChild<MaskEdit*>("maskeditL4")->setText("101,5");
    QCOMPARE(form->updateStatement(),
             QString("UPDATE users SET ID = %1, name = 'Berger', vorname = 'Britta', gebdatum = '01.02.1970', "
                     "geschlecht = '1', gewicht = '101.5', ruhepuls = '48', maxpuls = '185' WHERE ID = '%1'")
                 .arg(id));
    form->findChild<QPushButton*>("BitBtn1")->click();
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(count("SELECT COUNT(*) FROM users"), QString("2"));
    QCOMPARE(count("SELECT Name FROM users WHERE ID = " + quoted(id)), QString("Berger"));
    QCOMPARE(count("SELECT Gewicht FROM users WHERE ID = " + quoted(id)), QString("101,5"));
    QCOMPARE(form->saveMode(), 2);
    QCOMPARE(grid->cells(1, 2), QString(" Berger"));
    QCOMPARE(grid->cells(0, 2), QString::number(id));

    // a weight loaded above 100 kg has no leading zero; the other person's is rounded to one decimal, half up
    form->findChild<QPushButton*>("BitBtn3")->click();
    QCOMPARE(form->findChild<MaskEdit*>("maskeditL4")->text(), QString("101,5"));
    grid->setCurrentGridRow(1);
    form->findChild<QPushButton*>("BitBtn3")->click();
    QCOMPARE(form->findChild<MaskEdit*>("maskeditL4")->text(), QString("072,3"));
}

void TestUserManagement::doubleClickLoadsAPersonButNotTheEmptyRow()
{
    addUser("Adler", "Anton");
    TForm2* form = openShown();
    QVERIFY(form);
    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 1)).center());
    QCOMPARE(grid->currentGridRow(), 2);
    QVERIFY(Messages::shown().isEmpty()); // no conversion error for the empty row
    QCOMPARE(form->findChild<QLineEdit*>("Edit1")->text(), QString());
    QVERIFY(!form->findChild<QLineEdit*>("Edit1")->isEnabled());
    QCOMPARE(form->saveMode(), 0);

    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
    QCOMPARE(grid->currentGridRow(), 1);
    QCOMPARE(form->findChild<QLineEdit*>("Edit1")->text(), QString("Adler"));
    QVERIFY(form->findChild<QLineEdit*>("Edit1")->isEnabled());
    QCOMPARE(form->saveMode(), 2);
}

void TestUserManagement::apostropheAndFortyCharacters()
{
    TForm2* form = openShown();
    QVERIFY(form);
    form->findChild<QPushButton*>("BitBtn4")->click();
    fillValid(form);
    auto* edit1 = form->findChild<QLineEdit*>("Edit1");
    auto* edit2 = form->findChild<QLineEdit*>("Edit2");
    edit1->clear();
    QTest::keyClicks(edit1, "O'Brien");
    edit2->clear();
    const QString longName = QString("Maximiliane-Friederike-Charlotte-Augusta von Hohenberg");
    QTest::keyClicks(edit2, longName);
    QCOMPARE(edit2->text(), longName.left(40));
    form->findChild<QPushButton*>("BitBtn1")->click();
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));
    QCOMPARE(count("SELECT Name FROM users"), QString("O'Brien"));
    QCOMPARE(count("SELECT Vorname FROM users"), longName.left(40));
    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    QCOMPARE(grid->cells(1, 1), QString(" O'Brien"));

    // reads back as typed and saves again unchanged
    grid->setCurrentGridRow(1);
    form->findChild<QPushButton*>("BitBtn3")->click();
    QCOMPARE(edit1->text(), QString("O'Brien"));
    form->findChild<QPushButton*>("BitBtn1")->click();
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(count("SELECT Name FROM users"), QString("O'Brien"));
}

void TestUserManagement::rejectedSaveKeepsTheInput()
{
    session().ZQuery1.execSql("CREATE EXCEPTION e_no_users 'Keine neuen Benutzer'");
    session().ZQuery1.execSql("CREATE TRIGGER t_no_users FOR users BEFORE INSERT AS BEGIN EXCEPTION e_no_users; END");
    TForm2* form = open();
    form->findChild<QPushButton*>("BitBtn4")->click();
    fillValid(form);
    Messages::setNextAnswer(QMessageBox::Ok);
    form->findChild<QPushButton*>("BitBtn1")->click();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].title, Messages::applicationTitle());
    QCOMPARE(Messages::shown()[0].icon, QMessageBox::Critical);
    QVERIFY2(Messages::shown()[0].text.contains("Keine neuen Benutzer"), qPrintable(Messages::shown()[0].text));
    QCOMPARE(form->findChild<QLineEdit*>("Edit1")->text(), QString("Muster"));
    QCOMPARE(form->findChild<MaskEdit*>("maskeditL4")->text(), QString("075,5"));
    QVERIFY(form->findChild<QPushButton*>("BitBtn1")->isEnabled());
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
    const int b1 = addEntry(britta);
    addUnit(b1, 1);
    addShoe(anton, "Pegasus");
    addShoe(britta, "Clifton");

    TForm2* form = open();
    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    grid->setCurrentGridRow(1);
    Messages::setNextAnswer(QMessageBox::Ok);
    form->findChild<QPushButton*>("BitBtn2")->click();

    QCOMPARE(Messages::shown().size(), 1);
    const Messages::Record& question = Messages::shown().first();
    QCOMPARE(question.title, QString("Frage"));
    QCOMPARE(question.icon, QMessageBox::NoIcon);
    QCOMPARE(question.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(question.text, QString("Möchten Sie den ausgewählten Benutzer tatsächlich löschen?\n\r"
                                    "Es werden auch alle zugehörigen Rezidedazurazedadeinträge gelöscht."));

    QCOMPARE(count("SELECT COUNT(*) FROM users WHERE ID = " + quoted(anton)), QString("0"));
    QCOMPARE(count("SELECT COUNT(*) FROM main WHERE UserID = " + quoted(anton)), QString("0"));
    QCOMPARE(count("SELECT COUNT(*) FROM units WHERE MainID IN (" + QString("%1,%2").arg(a1).arg(a2) + ")"),
             QString("0"));
    QCOMPARE(count("SELECT COUNT(*) FROM schuhe WHERE UserID = " + quoted(anton)), QString("1"));
    // the other person keeps everything
    QCOMPARE(count("SELECT COUNT(*) FROM users"), QString("1"));
    QCOMPARE(count("SELECT COUNT(*) FROM main WHERE UserID = " + quoted(britta)), QString("1"));
    QCOMPARE(count("SELECT COUNT(*) FROM units"), QString("1"));
    QCOMPARE(count("SELECT COUNT(*) FROM schuhe"), QString("2"));

    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(grid->gridRowCount(), 3);
    QCOMPARE(grid->cells(1, 1), QString(" Berg"));
}

void TestUserManagement::cancelledDeleteKeepsEverything()
{
    const int anton = addUser("Adler", "Anton");
    addUnit(addEntry(anton), 1);
    TForm2* form = open();
    form->findChild<StringGrid*>("StringAlignGrid1")->setCurrentGridRow(1);
    Messages::setNextAnswer(QMessageBox::Cancel);
    form->findChild<QPushButton*>("BitBtn2")->click();
    QCOMPARE(count("SELECT COUNT(*) FROM users"), QString("1"));
    QCOMPARE(count("SELECT COUNT(*) FROM main"), QString("1"));
    QCOMPARE(count("SELECT COUNT(*) FROM units"), QString("1"));
    QVERIFY(!QApplication::overrideCursor());
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
    session().ZQuery1.execSql(QStringLiteral("CREATE TRIGGER t_kept FOR main BEFORE DELETE AS BEGIN "
                                             "IF (OLD.ID = %1) THEN EXCEPTION e_kept; END")
                                  .arg(a2));

    TForm2* form = open();
    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    grid->setCurrentGridRow(1);
    Messages::setNextAnswer(QMessageBox::Ok); // the question
    Messages::setNextAnswer(QMessageBox::Ok); // the error box
    form->findChild<QPushButton*>("BitBtn2")->click();

    QCOMPARE(Messages::shown().size(), 2);
    const Messages::Record& error = Messages::shown()[1];
    QCOMPARE(error.title, Messages::applicationTitle());
    QCOMPARE(error.icon, QMessageBox::Critical);
    QVERIFY2(error.text.contains("Eintrag ist geschützt"), qPrintable(error.text));

    QCOMPARE(count("SELECT COUNT(*) FROM users WHERE ID = " + quoted(anton)), QString("1"));
    QCOMPARE(count("SELECT COUNT(*) FROM main WHERE UserID = " + quoted(anton)), QString("2"));
    QCOMPARE(count("SELECT COUNT(*) FROM units WHERE MainID = " + quoted(a1)), QString("1"));
    QCOMPARE(count("SELECT COUNT(*) FROM units WHERE MainID = " + quoted(a2)), QString("2"));
    QCOMPARE(count("SELECT COUNT(*) FROM schuhe"), QString("1"));
    QVERIFY(!session().ZDatabase1.inTransaction());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(grid->gridRowCount(), 3);
    QCOMPARE(grid->cells(1, 1), QString(" Adler"));

    // the connection works on as before: without the trigger the delete goes through
    session().ZQuery1.execSql("DROP TRIGGER t_kept");
    grid->setCurrentGridRow(1);
    Messages::setNextAnswer(QMessageBox::Ok);
    form->findChild<QPushButton*>("BitBtn2")->click();
    QCOMPARE(count("SELECT COUNT(*) FROM users"), QString("0"));
    QCOMPARE(count("SELECT COUNT(*) FROM main"), QString("0"));
    QCOMPARE(count("SELECT COUNT(*) FROM units"), QString("0"));
}

void TestUserManagement::buttonsFollowTheRowAfterDeleteAndSave()
{
    addUser("Adler", "Anton");
    addUser("Berg", "Britta");
    const int carla = addUser("Christ", "Carla");
    TForm2* form = open();
    auto* grid = form->findChild<StringGrid*>("StringAlignGrid1");
    auto* del = form->findChild<QPushButton*>("BitBtn2");
    auto* change = form->findChild<QPushButton*>("BitBtn3");

    // deleting the middle person: the next one moves up and stays chosen
    grid->setCurrentGridRow(2);
    Messages::setNextAnswer(QMessageBox::Ok);
    del->click();
    QCOMPARE(grid->currentGridRow(), 2);
    QCOMPARE(grid->cells(1, 2), QString(" Christ"));
    QVERIFY(del->isEnabled());
    QVERIFY(change->isEnabled());
    change->click();
    QCOMPARE(form->findChild<QLabel*>("Label8")->text(), QString::number(carla));

    // deleting the last person: the empty row is at the chosen position now
    Messages::setNextAnswer(QMessageBox::Ok);
    del->click();
    QCOMPARE(grid->gridRowCount(), 3);
    QCOMPARE(grid->currentGridRow(), 2);
    QVERIFY(grid->isRowEmpty(2));
    QVERIFY(!del->isEnabled());
    QVERIFY(!change->isEnabled());
    QVERIFY(!form->findChild<QLineEdit*>("Edit1")->isEnabled()); // the deleted person is no longer loaded

    // saving a new person that sorts before the chosen row
    form->findChild<QPushButton*>("BitBtn4")->click();
    fillValid(form);
    form->findChild<QLineEdit*>("Edit1")->setText("Aal");
    form->findChild<QPushButton*>("BitBtn1")->click();
    QCOMPARE(grid->gridRowCount(), 4);
    QCOMPARE(grid->currentGridRow(), 2);
    QCOMPARE(grid->cells(1, 2), QString(" Adler"));
    QVERIFY(del->isEnabled());
    QVERIFY(change->isEnabled());
    QVERIFY(Messages::shown().size() == 2 && Messages::shown()[0].title == "Frage");
}

QTEST_MAIN(TestUserManagement)
#include "tst_usermanagement.moc"
