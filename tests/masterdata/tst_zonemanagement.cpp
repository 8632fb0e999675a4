#include "maskedit.h"
#include "messages.h"
#include "query.h"
#include "session.h"
#include "sqltext.h"
#include "stringgrid.h"
#include "testsupport.h"
#include "tform1.h"
#include "tform8.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QString kNoLowerLimit =
    QString::fromUtf8("Sie haben keine Untergrenze für die Herzfrequenz in diesem Trainingsbereich angegeben.\n\r"
                      "Das Rezidedazurazedad kann Sie somit bei der Erfassung Ihrer Trainingsdaten nicht bei der\n\r"
                      "Auswahl des richtigen Trainingsbereiches unterstützen. Möchten Sie dennoch fortfahren?");

QString faultText(const QStringList& lines)
{
    QString text = QStringLiteral("Es sind folgende Eingabefehler aufgetreten:\n\r");
    for (const QString& line : lines)
        text += line + QStringLiteral("\n\r");
    return text;
}

} // namespace

class TestZoneManagement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void windowFromTheToolbarAndList();
    void changeLoadsOnlyAChosenZone();
    void inputChecks();
    void questionForMissingLimitsAndItsTickBox();
    void upperLimitIsCappedAt100();
    void newZoneTakesTheNextIdAndAnyText();
    void renameLeavesStoredUnitsAndForgetsTheChoice();
    void deleteAsksAndLeavesNothingToSave();
    void zoneDeletedElsewhere();
    void zoneChangedElsewhere();

private:
    Session& session() { return m_main->session(); }
    QString value(const QString& sql) { return scalar(session(), sql); }
    void start() { m_main = std::make_unique<TForm1>(StartOptions{m_dir->path(), 0}); }
    // Opens the window through the toolbar, as the user does.
    TForm8* open()
    {
        m_main->ToolButton10->click();
        m_form = m_main->findChild<TForm8*>();
        return m_form;
    }
    template <class T = QLineEdit> T* w(const QString& name) { return m_form->findChild<T*>(name); }
    QPushButton* button(int n) { return w<QPushButton>(QStringLiteral("BitBtn%1").arg(n)); }
    StringGrid* grid() { return w<StringGrid>("StringAlignGrid1"); }
    MaskEdit* mask(const char* name) { return w<MaskEdit>(name); }
    int rowOf(const QString& name)
    {
        for (int r = 1; r < grid()->gridRowCount(); ++r)
            if (grid()->cells(1, r) == name)
                return r;
        return -1;
    }
    // A new zone typed into the fields and saved, answering the boxes given.
    void saveNew(const QString& name, const QString& min, const QString& max,
                 const QList<QMessageBox::StandardButton>& answers = {})
    {
        button(4)->click();
        w("Edit1")->insert(name); // as typed or pasted: cut at the field's length
        mask("maskeditL2")->setText(min);
        mask("maskeditL1")->setText(max);
        for (QMessageBox::StandardButton answer : answers)
            Messages::setNextAnswer(answer);
        button(1)->click();
    }
    void doubleClickRow(int row)
    {
        const QPoint at = grid()->visualRect(grid()->model()->index(row - 1, 1)).center();
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, at);
    }
    QString zoneCount() { return value("SELECT COUNT(*) FROM bereiche"); }
    bool fieldsLocked(bool locked)
    {
        for (const char* name : {"Edit1", "maskeditL1", "maskeditL2"}) {
            const QColor base = w(name)->palette().color(QPalette::Base);
            if (w(name)->isEnabled() == locked || base != (locked ? QColor(233, 233, 233) : QColor(Qt::white)))
                return false;
        }
        return true;
    }

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<TForm1> m_main;
    QPointer<TForm8> m_form;
};

void TestZoneManagement::init()
{
    initTestEnvironment();
    m_dir = std::make_unique<TestFolder>();
    start();
    QVERIFY(Messages::shown().isEmpty());
}

void TestZoneManagement::cleanup()
{
    delete m_form;
    m_main.reset();
    m_dir.reset();
}

// --- the window ---------------------------------------------------------

void TestZoneManagement::windowFromTheToolbarAndList()
{
    QVERIFY(open());
    QVERIFY(m_form->isVisible());
    QVERIFY(!m_main->ToolButton10->isEnabled()); // one zone window at a time
    QCOMPARE(m_form->windowTitle(), QString("Verwaltung Trainingsbereiche"));
    QVERIFY(m_form->isWindow() && !m_form->isModal());
    QCOMPARE(m_form->parentWidget(), m_main.get());
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(button(n)->isEnabled(), n == 4);
    QVERIFY(fieldsLocked(true));

    // the eleven default zones by upper limit, as the database gives them, and the empty row
    QCOMPARE(grid()->gridColumnWidth(0), 0);
    QCOMPARE(grid()->gridRowCount(), 13);
    QCOMPARE(grid()->cells(2, 3) + '-' + grid()->cells(3, 3), QString("65-68"));
    for (int r = 1; r < 11; ++r)
        QVERIFY(grid()->cells(3, r).toInt() <= grid()->cells(3, r + 1).toInt());
    QCOMPARE(grid()->cells(1, 11), QString("Wettkampf"));
    QVERIFY(grid()->isRowEmpty(12));

    // the empty row enables neither "&Löschen" nor "&Ändern", a zone row both
    grid()->setCurrentGridRow(12);
    QVERIFY(!button(2)->isEnabled() && !button(3)->isEnabled());
    grid()->setCurrentGridRow(3);
    QVERIFY(button(2)->isEnabled() && button(3)->isEnabled());
    QCOMPARE(w<QLabel>("Label8")->text(), grid()->cells(0, 3));

    // closing releases the window and enables the toolbar button again
    m_form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_form.isNull());
    QVERIFY(m_main->ToolButton10->isEnabled());
    QVERIFY(Messages::shown().isEmpty());
}

void TestZoneManagement::changeLoadsOnlyAChosenZone()
{
    open();
    // a double click on the empty row loads nothing
    doubleClickRow(12);
    QCOMPARE(grid()->currentGridRow(), 12);
    QVERIFY(fieldsLocked(true));
    QVERIFY(!button(1)->isEnabled());

    // a stored 0 is shown as 00, a limit with two digits
    doubleClickRow(rowOf("Fahrtspiel"));
    QVERIFY(fieldsLocked(false));
    QVERIFY(button(1)->isEnabled());
    QCOMPARE(w("Edit1")->text(), QString("Fahrtspiel"));
    QCOMPARE(mask("maskeditL2")->text() + '/' + mask("maskeditL1")->text(), QString("00/00 "));
    grid()->setCurrentGridRow(rowOf("intensiver DL"));
    QVERIFY(fieldsLocked(true)); // choosing a row locks and empties the fields
    QCOMPARE(w("Edit1")->text(), QString());
    button(3)->click();
    QCOMPARE(mask("maskeditL2")->text() + '/' + mask("maskeditL1")->text(), QString("76/80 "));
}

// --- checks and the question ----------------------------------------------

void TestZoneManagement::inputChecks()
{
    open();
    auto refused = [&](const QString& name, const QString& min, const QString& max, const QStringList& lines) {
        Messages::clearShown();
        saveNew(name, min, max, {QMessageBox::Ok});
        if (Messages::shown().size() != 1 || Messages::beepCount() != 1)
            return QStringLiteral("<%1 boxes>").arg(Messages::shown().size());
        const Messages::Record& box = Messages::shown().first();
        if (box.title != "Fehler" || box.icon != QMessageBox::Critical || box.buttons != QMessageBox::Ok)
            return QStringLiteral("<wrong box>");
        // nothing saved, the input kept
        if (zoneCount() != "11" || w("Edit1")->text() != name || !button(1)->isEnabled())
            return QStringLiteral("<saved or input lost>");
        return box.text == faultText(lines) ? QString() : box.text;
    };
    const QString empty = QString::fromUtf8("- die Bezeichnung für den Trainingsbereich darf nicht leer sein");
    const QString twice = "- ein Trainingsbereich mit dieser Bezeichnung existiert bereits";
    const QString order = "- die Untergrenze der Herzfrequenz muss kleiner sein, als die Obergrenze";
    QCOMPARE(refused("", "60", "70", {empty}), QString());
    QCOMPARE(refused("   ", "60", "70", {empty}), QString()); // blanks are no name
    QCOMPARE(refused("Fahrtspiel", "60", "70", {twice}), QString());
    QCOMPARE(refused("Wettkampf", "80", "70", {twice, order}), QString());
    QCOMPARE(refused("Schwelle", "75", "75", {order}), QString());
    // A limit typed with a gap is no number, nor a missing limit: refused
    // without the question about missing limits.
    const QString gap = "- die Obergrenze der Herzfrequenz ist keine Zahl";
    QCOMPARE(refused("Schwelle", "65", "1 5", {gap}), QString());
    QCOMPARE(refused("Schwelle", "", "1 5", {gap}), QString());
    QVERIFY(showActive(*m_form));
    mask("maskeditL1")->clear();
    mask("maskeditL1")->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(mask("maskeditL1"), "1 5");
    QCOMPARE(mask("maskeditL1")->text(), QString("1 5"));

    // both limits given: no question; a name differing in letter case passes
    Messages::clearShown();
    saveNew("wettkampf", "80", "90");
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));
    QCOMPARE(value("SELECT minHF || '-' || maxHF FROM bereiche WHERE TrBereich = 'wettkampf'"), QString("80-90"));
}

void TestZoneManagement::questionForMissingLimitsAndItsTickBox()
{
    open();
    QVERIFY(!m_form->dialogSwitch());
    // No: nothing saved, "&Speichern" stays enabled; the state of the tick box is written whatever the answer
    saveNew("Schwelle", "", "70", {QMessageBox::No});
    QCOMPARE(Messages::shown().size(), 1);
    const Messages::Record& box = Messages::shown().first();
    QCOMPARE(box.title, QString("Hinweis"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.text, kNoLowerLimit);
    QCOMPARE(box.checkBoxText, QString("Diese Meldung nicht mehr anzeigen"));
    QCOMPARE(zoneCount(), QString("11"));
    QVERIFY(button(1)->isEnabled());
    QCOMPARE(session().settings().readString("DontShowDialogs", "TRBereiche", "none"), QString("0"));

    // the other two questions; Yes saves, an empty limit as 0
    const QList<QPair<QString, QString>> limits = {{"65", ""}, {"", ""}};
    const QStringList starts = {"Sie haben keine Obergrenze", "Sie haben keine Ober- und Untergrenze"};
    for (int i = 0; i < 2; ++i) {
        Messages::clearShown();
        saveNew(QStringLiteral("Zone %1").arg(i), limits[i].first, limits[i].second, {QMessageBox::Yes});
        QCOMPARE(Messages::shown().size(), 1);
        QVERIFY(Messages::shown()[0].text.startsWith(starts[i]));
    }
    QCOMPARE(value("SELECT minHF || '-' || maxHF FROM bereiche WHERE TrBereich = 'Zone 0'"), QString("65-0"));
    QCOMPARE(value("SELECT minHF || '-' || maxHF FROM bereiche WHERE TrBereich = 'Zone 1'"), QString("0-0"));

    // ticked and answered No: nothing saved, and never asked again, also after a restart
    Messages::clearShown();
    Messages::setNextCheckBoxState(true);
    saveNew("Schwelle", "", "70", {QMessageBox::No});
    QCOMPARE(zoneCount(), QString("13"));
    QVERIFY(m_form->dialogSwitch());
    QCOMPARE(session().settings().readString("DontShowDialogs", "TRBereiche", "none"), QString("1"));
    Messages::clearShown();
    button(1)->click();
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(zoneCount(), QString("14"));

    delete m_form;
    m_main.reset();
    start();
    open();
    QVERIFY(m_form->dialogSwitch());
    saveNew("Locker", "60", "");
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(zoneCount(), QString("15"));
}

void TestZoneManagement::upperLimitIsCappedAt100()
{
    open();
    QVERIFY(showActive(*m_form));
    button(4)->click();
    QTest::keyClicks(w("Edit1"), "Sprint");
    auto* upper = mask("maskeditL1");
    upper->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(upper, "150");
    QTest::keyClick(upper, Qt::Key_Tab);
    QCOMPARE(upper->text(), QString("100"));
    // no cap on the lower limit: its mask holds two digits
    auto* lower = mask("maskeditL2");
    lower->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(lower, "995");
    QCOMPARE(lower->text(), QString("99"));
    QCOMPARE(Messages::beepCount(), 1);

    // saving without leaving the field (a shortcut) caps all the same
    lower->setText("95");
    upper->setFocus(Qt::TabFocusReason);
    upper->setText("999");
    button(1)->click(); // as its shortcut does: the focus stays in the field
    QVERIFY(upper->hasFocus());
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));
    QCOMPARE(value("SELECT minHF || '-' || maxHF FROM bereiche WHERE TrBereich = 'Sprint'"), QString("95-100"));
}

// --- saving and deleting ----------------------------------------------

void TestZoneManagement::newZoneTakesTheNextIdAndAnyText()
{
    open();
    const QString name = "Läufer's Tempo; locker & lang, ohne Uhr";
    saveNew(name, "55", "62");
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));
    // the first zone after the eleven default zones, the name cut at 30 characters
    QCOMPARE(value("SELECT ID || ':' || TrBereich FROM bereiche WHERE minHF = 55"), "12:" + name.left(30));
    // listed in its place by upper limit, whole, though it holds a semicolon
    const int row = rowOf(name.left(30));
    QCOMPARE(row, 3);
    QCOMPARE(grid()->cells(0, row) + '|' + grid()->cells(2, row) + '|' + grid()->cells(3, row), QString("12|55|62"));
    // after the save: fields open with their contents, nothing more to save, no row chosen
    QVERIFY(fieldsLocked(false));
    QCOMPARE(w("Edit1")->text(), name.left(30));
    QVERIFY(!button(1)->isEnabled());
    QCOMPARE(grid()->currentGridRow(), -1);
    QVERIFY(!button(2)->isEnabled() && !button(3)->isEnabled());

    // loaded back and saved unchanged
    grid()->setCurrentGridRow(row);
    button(3)->click();
    QCOMPARE(w("Edit1")->text(), name.left(30));
    button(1)->click();
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(value("SELECT TrBereich FROM bereiche WHERE ID = 12"), name.left(30));
    QCOMPARE(zoneCount(), QString("12"));

    // typed characters that cannot be stored are refused
    w("Edit1")->clear();
    typeText(w("Edit1"), QString::fromUtf8("Zoë Łódź"));
    QCOMPARE(w("Edit1")->text(), QString::fromUtf8("Zoë ód"));
}

void TestZoneManagement::renameLeavesStoredUnitsAndForgetsTheChoice()
{
    Query q(session().ZDatabase1);
    q.execSql("INSERT INTO main (ID, Datum, UserID) VALUES (gen_id(Gen_Main,1), '01.06.2025', '1')");
    q.execSql("INSERT INTO units (ID, MainID, SubID, strecke, Bereich) "
              "VALUES (gen_id(Gen_Units,1), '1', '1', '5.0', 'intensiver DL')");
    open();
    const int row = rowOf("intensiver DL");
    const QString id = grid()->cells(0, row);
    grid()->setCurrentGridRow(row);
    button(3)->click();
    w("Edit1")->setText("Wettkampf"); // a changed zone may take a listed name
    mask("maskeditL2")->setText("77");
    button(1)->click();
    QVERIFY2(Messages::shown().isEmpty(), qPrintable(Messages::shown().value(0).text));
    QCOMPARE(value("SELECT TRIM(TrBereich) || ' ' || minHF || '-' || maxHF FROM bereiche WHERE ID = " + quoted(id)),
             QString("Wettkampf 77-80"));
    QCOMPARE(zoneCount(), QString("11"));
    QCOMPARE(value("SELECT Bereich FROM units"), QString("intensiver DL"));

    // the list was rebuilt: the choice is gone, so neither delete nor change acts on what now stands there
    QCOMPARE(grid()->currentGridRow(), -1);
    QVERIFY(!button(1)->isEnabled() && !button(2)->isEnabled() && !button(3)->isEnabled());
    m_form->BitBtn2Click();
    m_form->BitBtn3Click();
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(zoneCount(), QString("11"));
    QCOMPARE(w("Edit1")->text(), QString("Wettkampf"));
}

void TestZoneManagement::deleteAsksAndLeavesNothingToSave()
{
    open();
    const int row = rowOf("Fahrtspiel");
    const QString id = grid()->cells(0, row);
    grid()->setCurrentGridRow(row);
    button(3)->click();

    // No: nothing deleted, the zone stays open for a save
    Messages::setNextAnswer(QMessageBox::No);
    button(2)->click();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(Messages::shown()[0].text,
             QString::fromUtf8("Möchten Sie diesen Trainingsbereich wirklich löschen?\n\r"
                               "Er wird danach bei statistischen Auswertungen nicht mehr berücksichtigt."));
    QCOMPARE(zoneCount(), QString("11"));
    QVERIFY(button(1)->isEnabled() && fieldsLocked(false));

    // Yes: deleted; the fields of the deleted zone are locked, nothing is left to save
    Messages::setNextAnswer(QMessageBox::Yes);
    button(2)->click();
    QCOMPARE(zoneCount(), QString("10"));
    QCOMPARE(value("SELECT COUNT(*) FROM bereiche WHERE ID = " + quoted(id)), QString("0"));
    QCOMPARE(grid()->gridRowCount(), 12);
    QCOMPARE(rowOf("Fahrtspiel"), -1);
    QVERIFY(fieldsLocked(true));
    QVERIFY(!button(1)->isEnabled() && !button(2)->isEnabled() && !button(3)->isEnabled());
}

// Another workstation deletes the zone while this window shows it.
void TestZoneManagement::zoneDeletedElsewhere()
{
    open();
    const auto deleteElsewhere = [&](const QString& name) {
        session().ZDatabase1.execute("DELETE FROM bereiche WHERE TrBereich = " + quoted(name));
    };
    const QString gone = "Der Trainingsbereich wurde inzwischen an einem anderen Arbeitsplatz gelöscht.";

    // a change: nothing written, the list anew, the input kept and saved as a new zone
    grid()->setCurrentGridRow(rowOf("regenerativer DL"));
    button(3)->click();
    w("Edit1")->setText("Regeneration");
    deleteElsewhere("regenerativer DL");
    Messages::setNextAnswer(QMessageBox::Ok);
    button(1)->click();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text,
             gone + " Ihre Eingaben stehen weiter im Formular; „Speichern“ legt sie als neuen Trainingsbereich an.");
    QCOMPARE(zoneCount(), QString("10"));
    QCOMPARE(grid()->gridRowCount(), 12);
    QCOMPARE(w("Edit1")->text() + " " + mask("maskeditL2")->text() + "-" + mask("maskeditL1")->text(),
             QString("Regeneration 65-68 "));
    QVERIFY(button(1)->isEnabled() && fieldsLocked(false));
    button(1)->click();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(value("SELECT minHF || '-' || maxHF FROM bereiche WHERE TrBereich = 'Regeneration'"), QString("65-68"));

    // deleting: told, the list anew
    grid()->setCurrentGridRow(rowOf("Wettkampf"));
    deleteElsewhere("Wettkampf");
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Yes);
    Messages::setNextAnswer(QMessageBox::Ok);
    button(2)->click();
    QCOMPARE(Messages::shown().size(), 2);
    QCOMPARE(Messages::shown().last().text, gone);
    QCOMPARE(rowOf("Wettkampf"), -1);
    QCOMPARE(grid()->gridRowCount(), 12);
}

// Another workstation changes the zone after this window listed it.
void TestZoneManagement::zoneChangedElsewhere()
{
    open();
    grid()->setCurrentGridRow(rowOf("regenerativer DL"));
    button(3)->click();
    w("Edit1")->setText("Regeneration");
    session().ZDatabase1.execute("UPDATE bereiche SET maxHF = 70 WHERE TrBereich = 'regenerativer DL'");
    Messages::clearShown();
    Messages::setNextAnswer(Messages::customAnswer(0));
    button(1)->click();
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY(Messages::shown().first().text.startsWith(
        "Der Trainingsbereich wurde seit dem Laden an einem anderen Arbeitsplatz geändert."));
    // the stored version in the fields, nothing written
    QCOMPARE(w("Edit1")->text() + " " + mask("maskeditL1")->text().trimmed(), QString("regenerativer DL 70"));
    QCOMPARE(value("SELECT COUNT(*) FROM bereiche WHERE TrBereich = 'Regeneration'"), QString("0"));
}

QTEST_MAIN(TestZoneManagement)
#include "tst_zonemanagement.moc"
