#include "editorfixture.h"
#include "editorinput.h"

#include "numericedit.h"
#include "stringgrid.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFrame>
#include <QMessageBox>
#include <QTimer>
#include <QLabel>

using editorinput::answering;

class TestEditorZones : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void percentageAndCandidates();
    void warningOnlyForZonesOutsideTheAdvice();
    void showingAndTakingTheZones();
    void tickedBoxSilencesTheWarningForGood();
    void warningBoxHasNoGap();
};

namespace {

const QString kWarning = QString::fromUtf8("Der von Ihnen ausgewählte Trainingsbereich entspricht nicht\n\r"
                                           "der Belastungstufe gemäß der angegebenen Herzfrequenz.");

// Types a pulse into the unit pulse field and leaves it.
void enterPulse(TForm4* w, const QString& pulse)
{
    w->findChild<NumericEdit*>("EnhancedEdit4")->setText(pulse);
    w->EnhancedEdit4Exit();
}

void chooseZone(TForm4* w, const QString& zone)
{
    auto* zones = w->findChild<QComboBox*>("ComboBox4");
    const int index = zones->findText(zone);
    QVERIFY(index > 0);
    // Taken from the list, as a click on its line does.
    zones->setCurrentIndex(index);
    Q_EMIT zones->activated(index);
}

QStringList candidates(TForm4* w)
{
    auto* grid = w->findChild<StringGrid*>("StringAlignGrid3");
    QStringList lines;
    for (int row = 0; row < grid->gridRowCount(); ++row)
        lines << grid->cells(0, row) + ' ' + grid->cells(1, row);
    return lines;
}

QString hfDialogSetting(EditorFixture& f)
{
    return f.session().settings().readString("DontShowDialogs", "HFDialog", "none");
}

} // namespace

void TestEditorZones::percentageAndCandidates()
{
    EditorFixture f;
    const int user = f.addUser();
    const int noMaximum = f.addUser("Ohne", "Max", "70", 50, 0);
    TForm4* w = f.openEditor(user);
    auto* percentage = w->findChild<QLabel*>("Label20");
    auto* advice = w->findChild<QToolButton*>("SpeedButton6");
    QVERIFY(!advice->isEnabled());

    enterPulse(w, "150");
    QCOMPARE(percentage->text(), QString("78 % max. HF"));
    QCOMPARE(candidates(w), QStringList({"intensiver DL (76-80%)", " "}));
    QVERIFY(advice->isEnabled());

    // Both bounds belong to the band.
    enterPulse(w, "130");
    QCOMPARE(percentage->text(), QString("68 % max. HF"));
    QStringList both = candidates(w);
    QCOMPARE(both.size(), 3);
    QCOMPARE(both.last(), QString(" "));
    both.removeLast();
    both.sort();
    QCOMPARE(both, QStringList({"extensiver DL (68-72%)", "regenerativer DL (65-68%)"}));

    w->EnhancedEdit4Enter();
    QCOMPARE(percentage->text(), QString());
    enterPulse(w, "");
    QCOMPARE(percentage->text(), QString());
    QVERIFY(!advice->isEnabled());

    f.discardEditor();
    w = f.openEditor(noMaximum);
    enterPulse(w, "150");
    QCOMPARE(w->findChild<QLabel*>("Label20")->text(), QString());
    QVERIFY(!w->findChild<QToolButton*>("SpeedButton6")->isEnabled());
    // Without a percentage there is nothing to warn about.
    Messages::setNextAnswer(QMessageBox::Ok);
    chooseZone(w, "Wettkampf");
    QVERIFY(Messages::hasQueuedAnswers());
    Messages::clearQueuedAnswers();
}

void TestEditorZones::warningOnlyForZonesOutsideTheAdvice()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    enterPulse(w, "150");

    Messages::setNextAnswer(QMessageBox::Ok);
    chooseZone(w, "intensiver DL");
    QVERIFY(Messages::hasQueuedAnswers());
    QVERIFY(Messages::shown().isEmpty());

    // Zones without limits are never advised, so they bring no warning.
    chooseZone(w, "Fahrtspiel");
    chooseZone(w, "Einlaufen / Auslaufen");
    QVERIFY(Messages::shown().isEmpty());

    chooseZone(w, "Wettkampf");
    QCOMPARE(Messages::shown().size(), 1);
    const Messages::Record box = Messages::shown().first();
    QCOMPARE(box.title, QString("Hinweis"));
    QCOMPARE(box.text, kWarning);
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::Ok | QMessageBox::Ignore);
    QCOMPARE(box.customButtons, QStringList({"Bereiche zeigen"}));
    QCOMPARE(box.checkBoxText, QString("Diese Meldung nicht mehr anzeigen"));
    QVERIFY(!w->findChild<QFrame*>("Panel2")->isVisible());
    QCOMPARE(hfDialogSetting(f), QString("0"));
    QVERIFY(w->hasUnsavedChanges());

    // Typed: nothing is asked while the user types, also for a name typed
    // in full; leaving the field checks the name once, and leaving the pulse
    // field checks the zone against the new pulse.
    answering({QMessageBox::No}, [w] { w->findChild<QToolButton*>("ToolButton1")->click(); });
    w->findChild<QToolButton*>("SpeedButton5")->click();
    enterPulse(w, "150");
    QVERIFY(showActive(*w));
    auto* zones = w->findChild<QComboBox*>("ComboBox4");
    auto* pulse = w->findChild<NumericEdit*>("EnhancedEdit4");
    const auto typeZone = [zones](const QString& name) {
        zones->setFocus();
        zones->lineEdit()->selectAll();
        answering({}, [&] { QTest::keyClicks(zones, name); });
        zones->completer()->popup()->hide(); // the names proposed below the field
    };
    Messages::clearShown();
    typeZone("Wettkampf");
    QVERIFY(Messages::shown().isEmpty());
    answering({}, [&] { pulse->setFocus(); });
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().last().text, kWarning);
    QVERIFY(pulse->hasFocus());
    answering({}, [&] { zones->setFocus(); }); // the same choice is not asked again
    QCOMPARE(Messages::shown().size(), 1);
    typeZone("intensiver DL");
    answering({}, [&] { pulse->setFocus(); });
    QCOMPARE(Messages::shown().size(), 1);
    pulse->setText("180"); // 94 %: no longer "intensiver DL"
    answering({}, [&] { zones->setFocus(); });
    QCOMPARE(Messages::shown().size(), 2);

    // Typed and entered at once: asked before the unit goes in; who asks to
    // see the zones gets them, and the unit waits.
    typeZone("mittelintensiver DL");
    auto* grid = w->findChild<StringGrid*>("StringAlignGrid1");
    answering({QMessageBox::Ignore}, [w] { w->findChild<QPushButton*>("Button1")->click(); });
    QCOMPARE(Messages::shown().size(), 3);
    QVERIFY(w->findChild<QFrame*>("Panel2")->isVisible());
    QCOMPARE(grid->cells(1, 1), QString());
}

void TestEditorZones::showingAndTakingTheZones()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    auto* panel = w->findChild<QFrame*>("Panel2");
    auto* grid = w->findChild<StringGrid*>("StringAlignGrid3");
    auto* zones = w->findChild<QComboBox*>("ComboBox4");
    enterPulse(w, "150");

    Messages::setNextAnswer(QMessageBox::Ignore);
    chooseZone(w, "Wettkampf");
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->pos(), QPoint(268, 160));
    // The corners lie outside the panel's shape.
    QVERIFY(!panel->mask().isEmpty());
    QVERIFY(!panel->mask().contains(QPoint(0, 0)));
    QVERIFY(panel->mask().contains(QPoint(panel->width() / 2, panel->height() / 2)));

    // Taking the advised zone, the line shown as selected, asks nothing more.
    QCOMPARE(grid->currentGridRow(), 0);
    w->findChild<QToolButton*>("SpeedButton8")->click();
    QCOMPARE(zones->currentText(), QString("intensiver DL"));
    QVERIFY(!panel->isVisible());
    QCOMPARE(Messages::shown().size(), 1);

    // From the button: the other place; the empty line takes nothing.
    w->findChild<QToolButton*>("SpeedButton6")->click();
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->pos(), QPoint(348, 328));
    grid->setCurrentGridRow(1);
    w->StringAlignGrid3DblClick();
    QCOMPARE(zones->currentText(), QString("intensiver DL"));
    QVERIFY(!panel->isVisible());
    QCOMPARE(Messages::beepCount(), 1); // nothing taken, and said so
    w->findChild<QToolButton*>("SpeedButton6")->click();
    w->findChild<QToolButton*>("SpeedButton7")->click();
    QVERIFY(!panel->isVisible());
    QCOMPARE(Messages::shown().size(), 1);
}

void TestEditorZones::tickedBoxSilencesTheWarningForGood()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    enterPulse(w, "150");
    Messages::setNextAnswer(QMessageBox::Ok);
    Messages::setNextCheckBoxState(true);
    chooseZone(w, "Wettkampf");
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(hfDialogSetting(f), QString("1"));
    QVERIFY(w->hfDialogSuppressed());

    Messages::setNextAnswer(QMessageBox::Ok);
    chooseZone(w, "Fahrtspiel");
    QCOMPARE(Messages::shown().size(), 1);

    Messages::clearQueuedAnswers();
    f.discardEditor();
    Messages::clearShown();
    w = f.openEditor(user);
    QVERIFY(w->hfDialogSuppressed());
    enterPulse(w, "150");
    chooseZone(w, "Wettkampf");
    QVERIFY(Messages::shown().isEmpty());
}

void TestEditorZones::warningBoxHasNoGap()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm4* w = f.openEditor(user);
    QVERIFY(showActive(*w));
    enterPulse(w, "150");
    int gap = -1;
    int line = 0;
    // The real box, as the user sees it: the tick box right below the text.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QVERIFY(QTest::qWaitForWindowExposed(box));
        auto* text = box->findChild<QLabel*>("qt_msgbox_label");
        QWidget* tick = box->checkBox();
        QVERIFY(text && tick);
        gap = tick->mapTo(box, QPoint(0, 0)).y() - text->mapTo(box, QPoint(0, text->height())).y();
        line = text->fontMetrics().height();
        if (!qEnvironmentVariableIsEmpty("TRAMORA_SHOTS"))
            box->grab().save(qEnvironmentVariable("TRAMORA_SHOTS") + "/zonewarning.png");
        box->button(QMessageBox::Ok)->click();
    });
    chooseZone(w, "Wettkampf");
    QVERIFY2(gap >= 0 && gap < line, qPrintable(QString("gap %1, line %2").arg(gap).arg(line)));
    f.discardEditor();
}

QTEST_MAIN(TestEditorZones)
#include "tst_editorzones.moc"
