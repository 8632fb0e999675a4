#include "editorfixture.h"
#include "editorinput.h"

#include <QFrame>
#include <QPointer>

using namespace editorinput;

// The editor worked from the keyboard, and the fields that take times as
// a runner types them.
class TestEditorKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shortcutsPageCreateSaveAndClose();
    void zonePanelByKeys();
    void tabOrderFromTheBasicDataToTheUnits();
    void timesAsARunnerTypesThem();
};

namespace {

void key(TForm4* w, int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w;
    QTest::keyClick(target, Qt::Key(k), modifiers);
}

} // namespace

void TestEditorKeys::shortcutsPageCreateSaveAndClose()
{
    EditorFixture f;
    const int user = f.addUser();
    const int single = f.addUser("Einzel", "Eva");
    for (const char* date : {"01.03.2025", "02.03.2025", "03.03.2025"})
        f.addEntry(user, date);
    f.addEntry(single, "01.03.2025");
    TForm4* w = f.openEditor(single);
    QCOMPARE(w->statusPanel(0)->text(), QString("  1 Trainingseinheit"));
    f.closeEditor();

    w = f.openEditor(user);
    QVERIFY(showActive(*w));
    QCOMPARE(w->position(), 2);
    key(w, Qt::Key_PageUp);
    key(w, Qt::Key_PageUp);
    QCOMPARE(w->position(), 0);
    key(w, Qt::Key_PageDown);
    QCOMPARE(w->position(), 1);
    QCOMPARE(w->statusPanel(0)->text(), QString("  3 Trainingseinheiten"));

    key(w, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(w->statusPanel(3)->text(), QString("  Neuer Eintrag"));
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(w, "DateEdit1"));
    newEntry(w, "04.03.2025");
    enterUnit(w, "10");
    control<QPlainTextEdit>(w, "Memo2")->setFocus();
    answering({}, [w] { key(w, Qt::Key_S, Qt::ControlModifier); });
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(w->statusPanel(0)->text(), QString("  4 Trainingseinheiten"));
    QVERIFY(!w->hasUnsavedChanges());
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(w, "Memo2")); // the focus stays where it was

    // Esc closes as the close box does, with its question about unsaved input.
    control<QPlainTextEdit>(w, "Memo2")->setPlainText("noch etwas");
    QPointer<TForm4> editor(w);
    answering({QMessageBox::No}, [w] { key(w, Qt::Key_Escape); });
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY(Messages::shown().first().text.startsWith("Sie haben Ihre Eintragungen noch nicht abgespeichert."));
    QTRY_VERIFY(editor.isNull());
}

void TestEditorKeys::zonePanelByKeys()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    QVERIFY(showActive(*w));
    newEntry(w);
    tool(w, "SpeedButton5")->click();
    control<NumericEdit>(w, "EnhancedEdit4")->setText("150");
    w->EnhancedEdit4Exit();
    auto* panel = control<QFrame>(w, "Panel2");
    auto* zones = control<QComboBox>(w, "ComboBox4");

    tool(w, "SpeedButton6")->click();
    QVERIFY(panel->isVisible());
    key(w, Qt::Key_Return);
    QVERIFY(!panel->isVisible());
    QCOMPARE(zones->currentText(), QString("intensiver DL"));

    tool(w, "SpeedButton6")->click();
    key(w, Qt::Key_Escape);
    QVERIFY(!panel->isVisible());
    QVERIFY(w->isVisible()); // only the panel closed
    QCOMPARE(QApplication::focusWidget(), zones);
    QVERIFY(Messages::shown().isEmpty());
    f.discardEditor();
}

void TestEditorKeys::tabOrderFromTheBasicDataToTheUnits()
{
    EditorFixture f;
    const int user = f.addUser();
    f.addEntry(user, "01.03.2025");
    TForm4* w = f.openEditor(user);
    QVERIFY(showActive(*w));
    tool(w, "ToolButton13")->click(); // "Eintrag ändern": the first field takes the focus
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(w, "DateEdit1"));

    const QStringList basic{"DateEdit1", "maskeditL1", "ComboBox3", "EnhancedEdit1", "EnhancedEdit2",
                            "maskeditL3", "ComboBox1", "ComboBox2", "Memo1", "Memo2", "SpeedButton5"};
    for (qsizetype i = 1; i < basic.size(); ++i) {
        key(w, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), basic[i]);
    }
    key(w, Qt::Key_Space); // "neuen Trainingsinhalt erfassen"
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("EnhancedEdit3"));
    for (const char* next : {"maskeditL2", "EnhancedEdit4", "ComboBox4"}) {
        key(w, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString(next));
    }
    QCOMPARE(tool(w, "SpeedButton5")->toolTip(), QString("neuen Trainingsinhalt erfassen"));
    QCOMPARE(tool(w, "SpeedButton3")->toolTip(), QString::fromUtf8("Trainingsinhalt löschen"));
    f.discardEditor();
}

void TestEditorKeys::timesAsARunnerTypesThem()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    QVERIFY(showActive(*w));
    newEntry(w);
    auto* duration = control<MaskEdit>(w, "maskeditL3");
    auto* time = control<MaskEdit>(w, "maskeditL2");
    const auto typeAndLeave = [](MaskEdit* field, const QString& typed) {
        field->setFocus();
        field->selectAll();
        answering({}, [&] {
            QTest::keyClicks(field, typed);
            QTest::keyClick(field, Qt::Key_Tab);
        });
    };

    // Ten hours and more, kept as h:mm.
    typeAndLeave(duration, "10:30");
    QCOMPARE(duration->text(), QString("10:30"));
    typeAndLeave(duration, "1:05");
    QCOMPARE(duration->text(), QString(" 1:05"));
    typeAndLeave(duration, "1230");
    tool(w, "SpeedButton5")->click();
    // The pace reads the time as completed, not the digits as typed.
    control<NumericEdit>(w, "EnhancedEdit3")->setText("2,5");
    typeAndLeave(time, "1415");
    QCOMPARE(time->text(), QString("00:14:15"));
    QCOMPARE(control<QLabel>(w, "Label19")->text(), QString("5:42 min/km"));
    typeAndLeave(time, "715");
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(time->text(), QString("00:07:15"));
    typeAndLeave(time, "7:15");
    QCOMPARE(time->text(), QString("00:07:15"));
    typeAndLeave(time, "1:05:30");
    QCOMPARE(time->text(), QString("01:05:30"));
    // What cannot be read as a time is refused as before.
    typeAndLeave(time, "75");
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, MaskEdit::invalidInputMessage());
    QVERIFY(time->hasFocus());
    QTest::keyClick(time, Qt::Key_Escape);
    QCOMPARE(time->text(), QString("01:05:30"));
    control<NumericEdit>(w, "EnhancedEdit3")->setText("150");
    control<QPushButton>(w, "Button1")->click();

    save(w);
    QCOMPARE(f.value("SELECT Dauer FROM main"), QString("12:30"));
    QCOMPARE(f.value("SELECT Zeit FROM units"), QString("01:05:30"));
    f.closeEditor();
    w = f.openEditor(user);
    QCOMPARE(control<MaskEdit>(w, "maskeditL3")->text(), QString("12:30"));
    f.discardEditor();
}

QTEST_MAIN(TestEditorKeys)
#include "tst_editorkeys.moc"
