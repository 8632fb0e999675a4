#include "editorfixture.h"
#include "editorinput.h"

#include <QGroupBox>
#include <QLabel>

using namespace editorinput;

class TestEditorLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsTheWindowWithoutCuttingAnything();
};

// An entry with the widest values, the shoe warning shown, and the editor
// shrunk to its minimum, at its design size and enlarged: nothing overlaps
// or is cut, and the room goes to the unit grid and the memos.
void TestEditorLayout::followsTheWindowWithoutCuttingAnything()
{
    EditorFixture f;
    const int user = f.addUser();
    f.exec(QStringLiteral("INSERT INTO schuhe (ID, modell, MaxLeistung, prevLeistung, UserID) VALUES "
                          "(gen_id(Gen_Schuhe,1), 'Renner', '800', '32000', ")
           + quoted(user) + ')');
    const int entry = f.addEntry(user, "28.08.2025", "23:59:00", "Renner", ", '188.8', '99', '9:59'");
    for (int n = 1; n <= 3; ++n)
        f.addUnit(entry, n, "42.195", "23:59:59", "199", "Einlaufen / Auslaufen");
    TForm4* w = f.openEditor(user);
    QVERIFY(w && showActive(*w));
    tool(w, "ToolButton13")->click(); // open for change: the fields as typed
    control<NumericEdit>(w, "EnhancedEdit2")->setText("188,8");
    w->SpeedButton5Click();
    control<NumericEdit>(w, "EnhancedEdit3")->setText("42,195");
    control<MaskEdit>(w, "maskeditL2")->setText("23:59:59");
    control<NumericEdit>(w, "EnhancedEdit4")->setText("199");
    control<NumericEdit>(w, "EnhancedEdit5")->setText("20");
    QVERIFY(!control<QLabel>(w, "Label25")->text().isEmpty());

    QWidget* area = w->centralWidget();
    const QList<QWidget*> containers{area, w->GroupBox2, w->GroupBox1};
    const auto grid = [&] { return units(w)->size(); };
    const auto memos = [&] { return w->Memo1->height() + w->Memo2->height(); };

    // Shrinking stops at a minimum no larger than the window's design size.
    w->resize(200, 150);
    QCoreApplication::processEvents();
    const QSize minimum = w->size();
    QCOMPARE(minimum, w->minimumSizeHint());
    QVERIFY2(minimum.width() <= 856 && minimum.height() <= 529, qPrintable(QString("%1x%2").arg(
                                                                    minimum.width()).arg(minimum.height())));
    QStringList faults = layoutFaults(containers);
    QVERIFY2(faults.isEmpty(), qPrintable("minimum: " + faults.join("; ")));
    const QSize gridAtMinimum = grid();
    const int memosAtMinimum = memos();
    const int dateWidth = w->DateEdit1->width();

    for (const QSize& size : {QSize(856, 529), QSize(1400, 1000)}) {
        w->resize(size);
        QCoreApplication::processEvents();
        QCOMPARE(w->size(), size);
        faults = layoutFaults(containers);
        QVERIFY2(faults.isEmpty(), qPrintable(QString("%1x%2: ").arg(size.width()).arg(size.height())
                                              + faults.join("; ")));
    }
    // The grid and the memos took the room, the fixed fields kept their size.
    QVERIFY(grid().width() >= gridAtMinimum.width() + 200);
    QVERIFY(grid().height() >= gridAtMinimum.height() + 450);
    QVERIFY(memos() >= memosAtMinimum + 450);
    QCOMPARE(w->DateEdit1->width(), dateWidth);
    QVERIFY(w->GroupBox2->geometry().right() < w->GroupBox1->geometry().left()); // side by side, in this order
    f.discardEditor();
}

// on a screen that holds the editor's design size, so that it needs no scroll area
int main(int argc, char* argv[])
{
    TestEditorLayout test;
    return runOnScreen(test, argc, argv, QSize(1280, 1024));
}
#include "tst_editorlayout.moc"
