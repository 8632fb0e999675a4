#include "editorfixture.h"

#include "courses.h"
#include "stringgrid.h"
#include "tform9.h"

#include <QLabel>

// The course of an entry from the editor: the toolbar button follows the
// entry shown, and a double click in the list opens the course of an entry
// that has one.
class TestEditorCourse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void courseOpensFromTheButtonAndTheList();
};

namespace {

course::Course run(int seconds)
{
    course::Course c;
    c.start = QDateTime(QDate(2025, 3, 2), QTime(8, 0), Qt::UTC);
    for (int s = 0; s <= seconds; ++s) {
        course::Sample p;
        p.seconds = s;
        p.latitude = 50.0 + s * 0.00003;
        p.longitude = 8.0;
        p.distance = s * 3.3;
        p.heartRate = 140 + s % 20;
        c.samples << p;
    }
    return c;
}

QList<TForm9*> courseWindows()
{
    QList<TForm9*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<TForm9*>(w); form && form->isVisible())
            windows << form;
    return windows;
}

} // namespace

void TestEditorCourse::courseOpensFromTheButtonAndTheList()
{
    EditorFixture f;
    const int user = f.addUser();
    const int plain = f.addEntry(user, "01.03.2025");
    const int recorded = f.addEntry(user, "02.03.2025");
    f.addUnit(recorded, 1, "6.6");
    Courses::store(f.session().ZDatabase1, QString::number(recorded), run(2000));

    TForm4* w = f.openEditor(user);
    QToolButton* verlauf = w->findChild<QToolButton*>("VerlaufButton");
    QVERIFY(verlauf);
    QCOMPARE(verlauf->toolTip(), QString("Verlauf der Trainingseinheit anzeigen"));
    QCOMPARE(w->findChild<QLabel*>("Label16")->text(), QString::number(recorded));
    QVERIFY(verlauf->isEnabled());
    verlauf->click();
    QCOMPARE(courseWindows().size(), 1);
    TForm9* shown = courseWindows().first();
    QCOMPARE(shown->windowTitle(), QString("Trainingsverlauf"));
    QCOMPARE(shown->findChild<StringGrid*>("LapsGrid")->gridRowCount() > 1, true);
    shown->close();
    QTRY_VERIFY(courseWindows().isEmpty());

    // Without a course the button is off; so for a new entry.
    w->findChild<QToolButton*>("ToolButton4")->click();
    QCOMPARE(w->findChild<QLabel*>("Label16")->text(), QString::number(plain));
    QVERIFY(!verlauf->isEnabled());
    w->findChild<QToolButton*>("ToolButton6")->click();
    QVERIFY(verlauf->isEnabled());
    w->findChild<QToolButton*>("ToolButton1")->click();
    QVERIFY(!verlauf->isEnabled());

    // In the list a double click opens the course of an entry with one, and
    // goes back to the form for one without.
    w->findChild<QToolButton*>("ToolButton8")->click();
    StringGrid* list = w->findChild<StringGrid*>("StringAlignGrid2");
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1, 1)).center());
    QCOMPARE(courseWindows().size(), 1);
    QVERIFY(list->isVisible());
    courseWindows().first()->close();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0, 1)).center());
    QTRY_VERIFY(courseWindows().isEmpty());
    QVERIFY(!list->isVisible());
    QCOMPARE(w->findChild<QLabel*>("Label16")->text(), QString::number(plain));
    f.discardEditor();
}

QTEST_MAIN(TestEditorCourse)
#include "tst_editorcourse.moc"
