#include "faulttext.h"
#include "messages.h"
#include "numericedit.h"
#include "query.h"
#include "session.h"
#include "sqltext.h"
#include "stringgrid.h"
#include "testsupport.h"
#include "tform1.h"
#include "tform3.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QString kDuplicateNew = "- ein Schuh mit dieser Modellbezeichnung existiert bereits";
const QString kDuplicateOther = "- es existiert bereits ein anderer Schuh mit dieser Modellbezeichnung";
const QString kPrevTooLarge =
    "- die maximale Laufleistung Ihres Schuhs muss größer sein, als die bisher schon gelaufene Strecke";
const QString kNoMaximum = "Sie haben keine maximale Laufleistung für Ihr Schuhmodell angegeben. Möchten Sie dies so "
                           "beibehalten?";
const QString kReached = "Die maximale Laufleistung des Schuhs ist erreicht.";

} // namespace

class TestShoeManagement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void openedFromTheToolbarOnce();
    void personsAndShoeList();
    void choosingRowsAndTheChosenShoe();
    void inputChecksKeepTheInput();
    void savingNewAndChangedShoes();
    void maximumWarning();
    void numberFieldsTakeDigitsOnly();
    void deletingAsksAndKeepsTheDiary();
    void shoeDeletedElsewhere();
    void shoeChangedElsewhere();
    void renamingCarriesTheEntriesAlong();
    void longModelKeepsTheKilometresInView();

private:
    Session& session() { return m_main->session(); }
    QString value(const QString& sql) { return scalar(session(), sql); }
    int insert(const QString& table, const QString& columns, const QString& values, const char* generator)
    {
        session().ZDatabase1.execute(QStringLiteral("INSERT INTO %1 (ID, %2) VALUES (gen_id(%3,1), %4)")
                                      .arg(table, columns, QString::fromLatin1(generator), values));
        return value(QStringLiteral("SELECT gen_id(%1,0) FROM rdb$database").arg(generator)).toInt();
    }
    int addUser(const QString& name, const QString& vorname)
    {
        return insert("users", "Name, Vorname, GebDatum, Geschlecht, Gewicht, Ruhepuls, Maxpuls",
                      quoted(name) + ", " + quoted(vorname) + ", '01.02.1970', '1', '75.5', '48', '185'",
                      "Gen_Users");
    }
    int addShoe(int user, const QString& model, int max, int prev)
    {
        return insert("schuhe", "modell, MaxLeistung, prevLeistung, UserID",
                      quoted(model) + ", " + quoted(max) + ", " + quoted(prev) + ", " + quoted(user), "Gen_Schuhe");
    }
    // A diary entry in the shoe with one unit per distance.
    void addRun(int user, const QString& shoe, const QList<double>& km)
    {
        const int entry = insert("main", "Datum, UserID, Schuhe", "'01.06.2025', " + quoted(user) + ", " + quoted(shoe),
                                 "Gen_Main");
        for (int i = 0; i < km.size(); ++i)
            insert("units", "MainID, SubID, strecke",
                   quoted(entry) + ", " + quoted(i + 1) + ", " + quoted(QString::number(km[i])), "Gen_Units");
    }
    // Opens the window through the main window's button, with the person at that position chosen there.
    TForm3* open(int position = 0, bool shown = false)
    {
        if (m_form)
            m_form->close();
        m_main->ShowUsers();
        m_main->ComboBox1->setCurrentIndex(position);
        m_main->ToolButton1->click();
        m_form = m_main->findChild<TForm3*>();
        if (m_form && shown && !showActive(*m_form))
            return nullptr;
        return m_form;
    }
    template <class T = QLineEdit> T* w(const QString& name) { return m_form->findChild<T*>(name); }
    NumericEdit* num(int n) { return w<NumericEdit>(QStringLiteral("EnhancedEdit%1").arg(n)); }
    QLabel* label(int n) { return w<QLabel>(QStringLiteral("Label%1").arg(n)); }
    QPushButton* button(int n) { return w<QPushButton>(QStringLiteral("BitBtn%1").arg(n)); }
    StringGrid* grid() { return w<StringGrid>("StringAlignGrid1"); }
    QStringList rows()
    {
        QStringList all;
        for (int r = 1; r < grid()->gridRowCount(); ++r)
            all << grid()->cells(0, r) + "|" + grid()->cells(1, r);
        return all;
    }
    // The data fields: model, maximum, previous, since, total.
    QStringList fields()
    {
        return {w("Edit1")->text(), num(1)->text(), num(2)->text(), label(11)->text(), label(12)->text()};
    }
    bool locked(bool yes)
    {
        for (QWidget* f : std::initializer_list<QWidget*>{w("Edit1"), num(1), num(2)})
            if (f->isEnabled() == yes || f->palette().color(QPalette::Base) != (yes ? QColor(230, 230, 230) : Qt::white))
                return false;
        return true;
    }
    bool totalRed()
    {
        const QColor c = label(12)->palette().color(QPalette::WindowText);
        for (int n : {7, 8})
            if (label(n)->palette().color(QPalette::WindowText) != c)
                return false;
        return c == Qt::red;
    }
    bool chosenActions() { return button(2)->isEnabled() && button(3)->isEnabled(); }
    bool noChosenActions() { return !button(2)->isEnabled() && !button(3)->isEnabled() && label(6)->text().isEmpty(); }
    // Saves with queued answers and returns the texts of the boxes shown.
    QStringList save(QList<QMessageBox::StandardButton> answers = {QMessageBox::Ok})
    {
        Messages::clearShown();
        for (auto a : answers)
            Messages::setNextAnswer(a);
        button(1)->click();
        Messages::clearQueuedAnswers();
        QStringList texts;
        for (const Messages::Record& r : Messages::shown())
            texts << r.text;
        return texts;
    }
    QString shoes(int user)
    {
        Query q(session().ZDatabase1);
        q.open("SELECT modell, MaxLeistung, prevLeistung FROM schuhe WHERE UserID = " + quoted(user) + " ORDER BY ID");
        QStringList all;
        for (q.first(); !q.eof(); q.next())
            all << q.field(0).asString() + "/" + q.field(1).asString() + "/" + q.field(2).asString();
        return all.join(", ");
    }

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<TForm1> m_main;
    QPointer<TForm3> m_form;
};

void TestShoeManagement::init()
{
    initTestEnvironment();
    skipWithoutTestServer();
    m_dir = std::make_unique<TestFolder>();
    m_main = std::make_unique<TForm1>(StartOptions{m_dir->path(), 0});
}

void TestShoeManagement::cleanup()
{
    if (m_form)
        m_form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_main.reset();
    m_dir.reset();
    QVERIFY(!QApplication::overrideCursor());
}

// --- the window ---------------------------------------------------------

void TestShoeManagement::openedFromTheToolbarOnce()
{
    TForm3* form = open();
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QString("Schuhverwaltung"));
    QVERIFY(form->isVisible() && !form->isModal());
    QVERIFY(!(form->windowFlags() & Qt::WindowStaysOnTopHint)); // above the main window only
    QCOMPARE(form->windowType(), Qt::Dialog); // not a tool window: the desktop activates it
    QVERIFY(form->width() >= 645 && form->height() >= 275);
    QVERIFY(!m_main->ToolButton1->isEnabled());
    m_main->ToolButton1->click();
    QCOMPARE(m_main->findChildren<TForm3*>().size(), 1);

    QCOMPARE(grid()->cells(0, 0), QString(" Modell"));
    QCOMPARE(grid()->cells(1, 0), QString("Summe km"));
    QCOMPARE(grid()->defaultRowHeight(), 18);
    const QStringList captions = {"&Speichern", "&Löschen", "&Ändern", "&Neu"};
    for (int n = 1; n <= 4; ++n) {
        QCOMPARE(button(n)->text(), captions[n - 1]);
        QVERIFY(!button(n)->isEnabled()); // an empty diary: no person to choose
    }
    QCOMPARE(w<QComboBox>("ComboBox1")->currentText(), QString("noch keine Benutzer angelegt"));
    QCOMPARE(w("Edit1")->maxLength(), 40);
    for (int n : {1, 2}) {
        QCOMPARE(num(n)->maxLength(), 4);
        QVERIFY(num(n)->alignment() & Qt::AlignRight);
    }
    QVERIFY(label(3)->toolTip().startsWith("Tragen Sie hier die Kilometer ein"));
    QVERIFY(label(6)->isHidden());
    QVERIFY(locked(true));

    // closing frees the window and enables the button again
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_form);
    QVERIFY(m_main->ToolButton1->isEnabled());
}

void TestShoeManagement::personsAndShoeList()
{
    const int zander = addUser("Zander", "Anna");
    const int adler = addUser("Adler", "Anton");
    addUser("Berg", "Britta"); // no shoes
    addShoe(zander, "Trainer X", 800, 150); // same model, other person
    addShoe(adler, "Trainer X", 800, 150);
    addShoe(adler, "Renn;Schuh", 600, 0);
    addShoe(adler, "Runner's High", 700, 10);
    addRun(adler, "Trainer X", {10.25, 2.5});
    addRun(adler, "Trainer X", {0.1});
    addRun(zander, "Trainer X", {99});
    addRun(adler, "Runner's High", {5});

    // the main window's choice is taken over: positions in "name, first name" order
    open(1);
    auto* names = w<QComboBox>("ComboBox1");
    QCOMPARE(names->itemText(0), QString("-- bitte wählen --"));
    QCOMPARE(names->itemText(1), QString("Adler, Anton"));
    QCOMPARE(names->currentIndex(), 1);
    QCOMPARE(w<QComboBox>("ComboBox2")->currentText(), QString::number(adler));
    QCOMPARE(rows(), QStringList({"Trainer X|162,9 km", "Renn;Schuh|0,0 km", "Runner's High|15,0 km", "|"}));
    const QString id = value("SELECT ID FROM schuhe WHERE modell = 'Trainer X' AND UserID = " + quoted(adler));
    QCOMPARE(m_form->shoeList()[0], id + ";Trainer X;800;150;12,9");
    QVERIFY(button(1)->isEnabled() && button(4)->isEnabled() && noChosenActions());

    // a person without shoes: heading and the empty row
    names->setCurrentIndex(2);
    QCOMPARE(rows(), QStringList({"|"}));
    QVERIFY(noChosenActions());
    names->setCurrentIndex(3);
    QCOMPARE(rows(), QStringList({"Trainer X|249,0 km", "|"}));

    // the placeholder: nothing listed, nothing to press; the main window's choice stays
    names->setCurrentIndex(0);
    QCOMPARE(rows(), QStringList({"|"}));
    for (int n = 1; n <= 4; ++n)
        QVERIFY(!button(n)->isEnabled());
    QCOMPARE(m_main->ComboBox1->currentIndex(), 1);
}

void TestShoeManagement::choosingRowsAndTheChosenShoe()
{
    const int adler = addUser("Adler", "Anton");
    const int berg = addUser("Berg", "Britta");
    addShoe(adler, "Unbenutzt", 800, 150);
    addShoe(adler, "Alt", 100, 90);
    addShoe(berg, "Fremd", 500, 0);
    addRun(adler, "Alt", {10.5});
    QVERIFY(open(1, true));

    // a shoe no entry names: nothing since, the total the previous distance
    grid()->setCurrentGridRow(1);
    QCOMPARE(fields(), QStringList({"Unbenutzt", "800", "150", "0,0", "150,0"}));
    QVERIFY(chosenActions() && locked(true) && !totalRed());
    QCOMPARE(label(6)->text(), value("SELECT ID FROM schuhe WHERE modell = 'Unbenutzt'"));
    // beyond its maximum the total is red
    grid()->setCurrentGridRow(2);
    QCOMPARE(fields(), QStringList({"Alt", "100", "90", "10,5", "100,5"}));
    QVERIFY(totalRed());
    // the empty row chooses nothing
    grid()->setCurrentGridRow(3);
    QVERIFY(noChosenActions());
    QVERIFY(Messages::shown().isEmpty());

    // another person forgets the choice, also when coming back
    grid()->setCurrentGridRow(1);
    w<QComboBox>("ComboBox1")->setCurrentIndex(2);
    QVERIFY(noChosenActions());
    QCOMPARE(fields(), QStringList({"", "", "", "", ""}));
    w<QComboBox>("ComboBox1")->setCurrentIndex(1);
    QVERIFY(noChosenActions() && locked(true));

    // "&Neu" opens empty fields and forgets the shoe; a double click changes the row clicked
    grid()->setCurrentGridRow(1);
    button(4)->click();
    QVERIFY(noChosenActions() && locked(false));
    QCOMPARE(fields(), QStringList({"", "", "", "", ""}));
    QCOMPARE(m_form->saveMode(), int(TForm3::kInsert));
    grid()->setCurrentGridRow(1);
    QVERIFY(locked(true));
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {},
                       grid()->visualRect(grid()->model()->index(0, 0)).center());
    QVERIFY(locked(false));
    QCOMPARE(m_form->saveMode(), int(TForm3::kUpdate));
}

void TestShoeManagement::inputChecksKeepTheInput()
{
    const int adler = addUser("Adler", "Anton");
    const int berg = addUser("Berg", "Britta");
    addShoe(adler, "Pegasus", 800, 0);
    addShoe(adler, "Vomero", 800, 0);
    addShoe(berg, "Clifton", 800, 0);
    open(1);

    // new: the model of another person is no fault, one of the same person is
    button(4)->click();
    w("Edit1")->setText("Clifton");
    num(1)->setText("700");
    num(2)->setText("700");
    QCOMPARE(save(), QStringList({faultText({kPrevTooLarge})}));
    QCOMPARE(Messages::shown()[0].title, QString("Fehler"));
    QCOMPARE(Messages::shown()[0].buttons, QMessageBox::Ok);
    QCOMPARE(fields(), QStringList({"Clifton", "700", "700", "", ""})); // kept for correcting
    QVERIFY(locked(false));
    w("Edit1")->setText("Pegasus");
    num(2)->setText("0");
    QCOMPARE(save(), QStringList({faultText({kDuplicateNew})}));
    w("Edit1")->setText("   ");
    QCOMPARE(save(), QStringList({faultText({"- keine Bezeichnung für Schuhmodell angegeben"})}));
    QCOMPARE(shoes(adler), QString("Pegasus/800/0, Vomero/800/0"));

    // change: its own model passes, another shoe's is refused
    grid()->setCurrentGridRow(2);
    button(3)->click();
    w("Edit1")->setText("Pegasus");
    QCOMPARE(save(), QStringList({faultText({kDuplicateOther})}));
    QCOMPARE(w("Edit1")->text(), QString("Pegasus"));
    w("Edit1")->setText("Vomero");
    num(2)->setText("799");
    QCOMPARE(save(), QStringList());
    QCOMPARE(shoes(adler), QString("Pegasus/800/0, Vomero/800/799"));
}

void TestShoeManagement::savingNewAndChangedShoes()
{
    const int adler = addUser("Adler", "Anton");
    addUser("Berg", "Britta");

    // an empty maximum asks; No saves nothing and goes back to the maximum
    QVERIFY(open(1, true));
    button(4)->click();
    QVERIFY(w("Edit1")->hasFocus());
    const QString model = "O'Neil " + QString(40, 'x');
    QTest::keyClicks(w("Edit1"), model);
    QCOMPARE(w("Edit1")->text(), model.left(40));
    QCOMPARE(save({QMessageBox::No}), QStringList({kNoMaximum}));
    QCOMPARE(Messages::shown()[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(num(1)->hasFocus());
    QCOMPARE(value("SELECT COUNT(*) FROM schuhe"), QString("0"));
    QCOMPARE(w("Edit1")->text(), model.left(40));

    // Yes saves 0; the list shows the new shoe, the fields stay open for the next one
    QCOMPARE(save({QMessageBox::Yes}), QStringList({kNoMaximum}));
    QCOMPARE(shoes(adler), model.left(40) + "/0/0");
    QCOMPARE(rows(), QStringList({model.left(40) + "|0,0 km", "|"}));
    QCOMPARE(fields(), QStringList({"", "", "", "", ""}));
    QVERIFY(locked(false) && noChosenActions());
    w("Edit1")->setText("Zweiter");
    num(1)->setText("0800");
    num(2)->setText("12");
    QCOMPARE(save(), QStringList());
    QCOMPARE(shoes(adler), model.left(40) + "/0/0, Zweiter/800/12");

    // a changed shoe with its maximum emptied is saved with 0 after Yes
    grid()->setCurrentGridRow(2);
    button(3)->click();
    num(1)->clear();
    QCOMPARE(save({QMessageBox::Yes}), QStringList({kNoMaximum}));
    QCOMPARE(shoes(adler), model.left(40) + "/0/0, Zweiter/0/12");
    // the changed shoe is no longer chosen: nothing more is changed without a new choice
    QVERIFY(noChosenActions() && locked(true));
    QCOMPARE(save(), QStringList());
    QCOMPARE(Messages::beepCount(), 1);
    QCOMPARE(value("SELECT COUNT(*) FROM schuhe"), QString("2"));
}

void TestShoeManagement::maximumWarning()
{
    const int adler = addUser("Adler", "Anton");
    addShoe(adler, "Grenze", 800, 700);
    addRun(adler, "Grenze", {100.4}); // 800 in whole kilometres
    addShoe(adler, "Drueber", 800, 700);
    addRun(adler, "Drueber", {100.6}); // 801
    QVERIFY(open(1, true));

    grid()->setCurrentGridRow(1);
    button(3)->click();
    QVERIFY(Messages::shown().isEmpty() && !totalRed());
    QCOMPARE(Messages::beepCount(), 0);

    grid()->setCurrentGridRow(2);
    QVERIFY(totalRed());
    Messages::setNextAnswer(QMessageBox::Ok);
    button(3)->click();
    QCOMPARE(Messages::beepCount(), 1);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].text, kReached);
    QCOMPARE(Messages::shown()[0].icon, QMessageBox::Information);
    QCOMPARE(Messages::shown()[0].buttons, QMessageBox::Ok);
    QVERIFY(totalRed());

    // leaving the previous distance: the total in whole kilometres, the colour follows
    num(2)->setFocus(Qt::TabFocusReason);
    num(2)->selectAll();
    QTest::keyClicks(num(2), "699");
    QTest::keyClick(num(2), Qt::Key_Tab);
    QCOMPARE(label(12)->text(), QString("800"));
    QVERIFY(!totalRed());
    QCOMPARE(Messages::shown().size(), 1);
    // leaving the maximum below the total warns again; a maximum of 0 never warns
    num(1)->setFocus(Qt::TabFocusReason);
    num(1)->selectAll();
    QTest::keyClicks(num(1), "799");
    Messages::setNextAnswer(QMessageBox::Ok);
    QTest::keyClick(num(1), Qt::Key_Tab);
    QCOMPARE(Messages::shown().size(), 2);
    QVERIFY(totalRed());
    QVERIFY(num(2)->hasFocus());
    num(1)->clear();
    QTest::keyClick(num(2), Qt::Key_Tab);
    QCOMPARE(Messages::shown().size(), 2);
    QCOMPARE(Messages::beepCount(), 2);
}

void TestShoeManagement::numberFieldsTakeDigitsOnly()
{
    addUser("Adler", "Anton");
    QVERIFY(open(1, true));
    button(4)->click();
    for (int n : {1, 2}) {
        num(n)->setFocus(Qt::TabFocusReason);
        Messages::clearShown();
        QTest::keyClicks(num(n), "1a-2x3.45");
        QCOMPARE(num(n)->text(), QString("1234")); // four places at most
        QCOMPARE(Messages::beepCount(), 4);
    }
}

void TestShoeManagement::deletingAsksAndKeepsTheDiary()
{
    const int adler = addUser("Adler", "Anton");
    addShoe(adler, "Alt", 800, 0);
    addShoe(adler, "Neu", 800, 0);
    addRun(adler, "Alt", {5});
    open(1);
    grid()->setCurrentGridRow(1);

    Messages::setNextAnswer(QMessageBox::Cancel);
    button(2)->click();
    QCOMPARE(Messages::shown().size(), 1);
    const Messages::Record& box = Messages::shown()[0];
    QCOMPARE(box.title, QString("Frage"));
    QCOMPARE(box.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.text, QString("Möchten Sie den ausgewählten Laufschuh tatsächlich löschen?\n\rBei statistische "
                               "Auswertungen wird dieser Schuh auch zukünftig berücksichtigt.\n\rEs können jedoch "
                               "keine neuen Trainingseinheiten für diesen Schuh mehr erfasst werden."));
    QCOMPARE(shoes(adler), QString("Alt/800/0, Neu/800/0"));

    Messages::setNextAnswer(QMessageBox::Ok);
    button(2)->click();
    QCOMPARE(shoes(adler), QString("Neu/800/0"));
    QCOMPARE(value("SELECT Schuhe FROM main"), QString("Alt")); // the diary still names it
    QCOMPARE(rows(), QStringList({"Neu|0,0 km", "|"}));
    QVERIFY(noChosenActions() && locked(true));

    // a failing delete is shown and the list is built anew all the same
    session().ZDatabase1.execute("CREATE EXCEPTION e_keep 'Schuh bleibt'");
    session().ZDatabase1.execute("CREATE TRIGGER t_keep FOR schuhe BEFORE DELETE AS BEGIN EXCEPTION e_keep; END");
    grid()->setCurrentGridRow(1);
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    Messages::setNextAnswer(QMessageBox::Ok);
    button(2)->click();
    QCOMPARE(Messages::shown().size(), 2);
    QVERIFY(Messages::shown()[1].text.contains("Schuh bleibt"));
    QCOMPARE(rows(), QStringList({"Neu|0,0 km", "|"}));
    QVERIFY(noChosenActions());
}

// Another workstation deletes the shoe while this window shows it.
void TestShoeManagement::shoeDeletedElsewhere()
{
    const int adler = addUser("Adler", "Anton");
    const int pegasus = addShoe(adler, "Pegasus", 800, 0);
    const int clifton = addShoe(adler, "Clifton", 600, 0);
    QVERIFY(open(1));
    const auto deleteElsewhere = [&](int id) { session().ZDatabase1.execute("DELETE FROM schuhe WHERE ID = " + quoted(id)); };
    const QString gone = "Der Laufschuh wurde inzwischen an einem anderen Arbeitsplatz gelöscht.";

    // a change: nothing written, the list anew, the input kept and saved as a new shoe
    grid()->setCurrentGridRow(1);
    button(3)->click();
    num(1)->setText("0900");
    deleteElsewhere(pegasus);
    QCOMPARE(save(),
             QStringList({gone + " Ihre Eingaben stehen weiter im Formular; „Speichern“ legt sie als neuen Laufschuh an."}));
    QCOMPARE(shoes(adler), QString("Clifton/600/0"));
    QCOMPARE(rows(), QStringList({"Clifton|0,0 km", "|"}));
    QCOMPARE(fields().mid(0, 2), QStringList({"Pegasus", "0900"}));
    QVERIFY(locked(false) && noChosenActions());
    QCOMPARE(save(), QStringList());
    QCOMPARE(shoes(adler), QString("Clifton/600/0, Pegasus/900/0"));

    // deleting: told, the list anew
    grid()->setCurrentGridRow(1);
    deleteElsewhere(clifton);
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok); // the question
    Messages::setNextAnswer(QMessageBox::Ok);
    button(2)->click();
    QCOMPARE(Messages::shown().size(), 2);
    QCOMPARE(Messages::shown().last().text, gone);
    QCOMPARE(rows(), QStringList({"Pegasus|0,0 km", "|"}));
}

// A new model takes the person's diary entries along, so that the shoe keeps its kilometres.
void TestShoeManagement::renamingCarriesTheEntriesAlong()
{
    const int adler = addUser("Adler", "Anton");
    const int berg = addUser("Berg", "Britta");
    addShoe(adler, "Wolke Süd 1", 900, 100);
    addShoe(berg, "Wolke Süd 1", 900, 0);
    addRun(adler, "Wolke Süd 1", {10, 0.5});
    addRun(adler, "Wolke Süd 1", {21.1});
    addRun(adler, "Anderer", {3});
    addRun(berg, "Wolke Süd 1", {5});
    open(1);
    const auto entries = [&](int user, const QString& shoe) {
        return value("SELECT COUNT(*) FROM main WHERE UserID = " + quoted(user) + " AND Schuhe = " + quoted(shoe));
    };

    grid()->setCurrentGridRow(1);
    button(3)->click();
    w("Edit1")->setText("Wolke Süd 2");
    QCOMPARE(save(), QStringList({"Der Laufschuh „Wolke Süd 1“ heißt jetzt „Wolke Süd 2“. In 2 Einträgen wurde er "
                                  "mit umbenannt; seine Kilometer bleiben erhalten."}));
    QCOMPARE(rows(), QStringList({"Wolke Süd 2|131,6 km", "|"}));
    QCOMPARE(entries(adler, "Wolke Süd 2"), QString("2"));
    QCOMPARE(entries(adler, "Anderer"), QString("1"));
    // the other person's shoe of the same name keeps its entries
    QCOMPARE(shoes(berg), QString("Wolke Süd 1/900/0"));
    QCOMPARE(entries(berg, "Wolke Süd 1"), QString("1"));

    // the same model, trailing blanks aside: nothing to tell
    grid()->setCurrentGridRow(1);
    button(3)->click();
    w("Edit1")->setText("Wolke Süd 2  ");
    num(1)->setText("950");
    QCOMPARE(save(), QStringList());
    QCOMPARE(shoes(adler), QString("Wolke Süd 2/950/100"));

    // a failing entry update leaves the shoe as it was, and the input in the fields
    session().ZDatabase1.execute("CREATE EXCEPTION e_keep 'Eintrag bleibt'");
    session().ZDatabase1.execute("CREATE TRIGGER t_keep FOR main BEFORE UPDATE AS BEGIN EXCEPTION e_keep; END");
    grid()->setCurrentGridRow(1);
    button(3)->click();
    w("Edit1")->setText("Wolke Süd 3");
    const QStringList texts = save();
    QCOMPARE(texts.size(), 1);
    QVERIFY(texts[0].contains("Eintrag bleibt"));
    QCOMPARE(shoes(adler), QString("Wolke Süd 2/950/100"));
    QCOMPARE(entries(adler, "Wolke Süd 2"), QString("2"));
    QCOMPARE(w("Edit1")->text(), QString("Wolke Süd 3"));
    QVERIFY(!session().ZDatabase1.inTransaction());
}

// The kilometres stay in view whatever the model, and the grid grows with the window.
void TestShoeManagement::longModelKeepsTheKilometresInView()
{
    const int adler = addUser("Adler", "Anton");
    const QString model = "Wolkenläufer Süd Langstrecke Ultra 2025X"; // 40 characters
    addShoe(adler, model, 800, 0);
    addShoe(adler, "Kurz", 800, 0);
    addRun(adler, model, {831.8});
    QVERIFY(open(1, true));
    const auto kmInView = [&] {
        const QRect view = grid()->viewport()->rect();
        for (int r = 0; r < 2; ++r) {
            if (!view.contains(grid()->visualRect(grid()->model()->index(r, 1))))
                return false;
        }
        return true;
    };
    QVERIFY(kmInView());
    QCOMPARE(grid()->item(0, 0)->toolTip(), model);
    grid()->setCurrentGridRow(2);
    grid()->setCurrentGridRow(1);
    QVERIFY(kmInView());

    const QSize before = grid()->size();
    m_form->resize(m_form->size() + QSize(300, 200));
    QCoreApplication::processEvents();
    QVERIFY(grid()->width() >= before.width() + 250);
    QVERIFY(grid()->height() >= before.height() + 150);
    QVERIFY(kmInView());
    // room enough now for the whole model
    QVERIFY(grid()->columnWidth(0) > grid()->fontMetrics().horizontalAdvance(model));
}

// Another workstation changes the shoe after this window listed it.
void TestShoeManagement::shoeChangedElsewhere()
{
    const int adler = addUser("Adler", "Anton");
    const int pegasus = addShoe(adler, "Pegasus", 800, 0);
    QVERIFY(open(1));
    grid()->setCurrentGridRow(1);
    button(3)->click();
    num(1)->setText("0900");
    session().ZDatabase1.execute("UPDATE schuhe SET MaxLeistung = 1000 WHERE ID = " + quoted(pegasus));
    const QStringList asked = save({QMessageBox::Cancel});
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked.first().startsWith("Der Laufschuh wurde seit dem Laden an einem anderen Arbeitsplatz geändert."));
    QCOMPARE(shoes(adler), QString("Pegasus/1000/0"));
    QCOMPARE(save({Messages::customAnswer(1)}).size(), 1);
    QCOMPARE(shoes(adler), QString("Pegasus/900/0"));
}

QTEST_MAIN(TestShoeManagement)
#include "tst_shoemanagement.moc"
