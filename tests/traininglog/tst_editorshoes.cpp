#include "editorfixture.h"
#include "editorinput.h"

#include <QLabel>

class TestEditorShoes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mileageAndLimit();
    void shoeListAndFreeText();
    void totalsFollowEverySave();
};

namespace {

void addShoe(EditorFixture& f, int user, const QString& model, int limit, int before)
{
    f.exec(QStringLiteral("INSERT INTO schuhe (ID, modell, MaxLeistung, prevLeistung, UserID) VALUES "
                          "(gen_id(Gen_Schuhe,1), ")
           + quoted(model) + ',' + quoted(limit) + ',' + quoted(before) + ',' + quoted(user) + ')');
}

QColor textColour(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

} // namespace

void TestEditorShoes::mileageAndLimit()
{
    EditorFixture f;
    const int user = f.addUser();
    const QString shoe = QStringLiteral("Renner's Best");
    addShoe(f, user, shoe, 800, 100);
    addShoe(f, user, "Exakt", 100, 40);
    const int e1 = f.addEntry(user, "01.03.2025", "08:00:00", shoe);
    const int e2 = f.addEntry(user, "02.03.2025", "08:00:00", shoe);
    const int e3 = f.addEntry(user, "03.03.2025", "08:00:00", "Exakt");
    f.addUnit(e1, 1, "400");
    f.addUnit(e2, 1, "200");
    f.addUnit(e2, 2, "50.5");
    f.addUnit(e3, 1, "60");
    TForm4* w = f.openEditor(user);
    auto* field = w->findChild<QComboBox*>("ComboBox2");
    auto* mileage = w->findChild<QLabel*>("Label24");
    auto* warning = w->findChild<QLabel*>("Label25");

    // A mileage exactly at the limit is no warning.
    QCOMPARE(field->currentText(), QString("Exakt"));
    QCOMPARE(mileage->text(), QString("100,0 km"));
    QCOMPARE(warning->text(), QString());

    field->setEditText(shoe);
    QCOMPARE(mileage->text(), QString("750,5 km"));
    QCOMPARE(textColour(mileage), QColor(Qt::black));
    QCOMPARE(warning->text(), QString());

    const int e4 = f.addEntry(user, "04.03.2025", "08:00:00", shoe);
    f.addUnit(e4, 1, "60");
    field->setEditText(QString());
    QCOMPARE(mileage->text(), QString());
    QCOMPARE(warning->text(), QString());
    field->setEditText(shoe);
    QCOMPARE(mileage->text(), QString("810,5 km"));
    QCOMPARE(textColour(mileage), QColor(Qt::red));
    QCOMPARE(warning->text(),
             QString::fromUtf8("Achtung! Die festgelegte maximale Laufleistung von 800 km wurde überschritten."));
    QVERIFY(Messages::shown().isEmpty());
}

void TestEditorShoes::shoeListAndFreeText()
{
    EditorFixture f;
    const int user = f.addUser();
    const int other = f.addUser("Zweite", "Eva");
    addShoe(f, user, "Alpha", 500, 0);
    addShoe(f, user, "Beta", 500, 0);
    addShoe(f, user, "Gamma", 0, 900);
    addShoe(f, other, "Fremd", 500, 0);
    const int entry = f.addEntry(user, "01.03.2025", "08:00:00", "Barfuss");
    f.addUnit(entry, 1, "12.5");
    TForm4* w = f.openEditor(user);
    auto* field = w->findChild<QComboBox*>("ComboBox2");
    QStringList items;
    for (int i = 0; i < field->count(); ++i)
        items << field->itemText(i);
    items.sort();
    QCOMPARE(items, QStringList({"Alpha", "Beta", "Gamma"}));

    // A model that is no shoe of the user: the entries naming it, no limit.
    QCOMPARE(field->currentText(), QString("Barfuss"));
    QCOMPARE(w->findChild<QLabel*>("Label24")->text(), QString("12,5 km"));
    // Without a limit there is never a warning.
    field->setEditText("Gamma");
    QCOMPARE(w->findChild<QLabel*>("Label24")->text(), QString("900,0 km"));
    QCOMPARE(w->findChild<QLabel*>("Label25")->text(), QString());
}


// Total and mileage are read once and kept while paging; every save or
// delete brings them up to date, also one that leaves no unit behind.
void TestEditorShoes::totalsFollowEverySave()
{
    using namespace editorinput;
    EditorFixture f;
    const int user = f.addUser();
    addShoe(f, user, "Alpha", 0, 0);
    f.addUnit(f.addEntry(user, "01.03.2025", "08:00:00", "Alpha"), 1, "10");
    f.addUnit(f.addEntry(user, "02.03.2025", "08:00:00", "Alpha"), 1, "5");
    TForm4* w = f.openEditor(user);
    auto* mileage = w->findChild<QLabel*>("Label24");
    const auto total = [w] { return w->statusPanel(1)->text(); };
    QCOMPARE(total(), QString("  Gesamt: 15,0 km"));
    QCOMPARE(mileage->text(), QString("15,0 km"));

    // The last entry loses its only unit and is saved without units.
    tool(w, "ToolButton13")->click();
    units(w)->setCurrentGridRow(1);
    answering({QMessageBox::Yes}, [w] { tool(w, "SpeedButton3")->click(); });
    save(w, {QMessageBox::Yes});
    QCOMPARE(f.value("SELECT COUNT(*) FROM units"), QString("1"));
    QCOMPARE(total(), QString("  Gesamt: 10,0 km"));
    QCOMPARE(mileage->text(), QString("10,0 km"));

    // An entry written meanwhile by someone else shows once the shoe is shown again.
    f.addUnit(f.addEntry(user, "03.03.2025", "08:00:00", "Alpha"), 1, "2.5");
    tool(w, "ToolButton3")->click();
    QCOMPARE(mileage->text(), QString("12,5 km"));
    QCOMPARE(total(), QString("  Gesamt: 12,5 km"));

    answering({QMessageBox::Yes}, [w] { tool(w, "ToolButton2")->click(); });
    QCOMPARE(total(), QString("  Gesamt: 2,5 km"));
    QCOMPARE(mileage->text(), QString("2,5 km"));
}

QTEST_MAIN(TestEditorShoes)
#include "tst_editorshoes.moc"
