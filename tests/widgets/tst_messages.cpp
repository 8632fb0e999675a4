#include "errorboundary.h"
#include "messages.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLabel>
#include <QMessageBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QProxyStyle>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { initTestEnvironment(); }

    void realModalBoxIsAnswered();
    void queuedAnswersAreRecorded();
    void errorBoxEndsWithFullStop();
    void boundaryTurnsErrorsIntoTheErrorBox();
    void boxWithCheckBox();
    void checkBoxBoxShowsEveryControl();
    void lineEndsShowAsOneBreak();
    void returnClosesABoxWithDetails();
    void windowGoneWhileItAsks();
    void choiceTakesAnItemOrWhatTheFieldCanStore();
};

void TestMessages::realModalBoxIsAnswered()
{
    QStringList buttonTexts;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        for (QAbstractButton* b : box->buttons())
            buttonTexts << b->text().remove('&');
        box->button(QMessageBox::No)->click();
    });
    const bool yes = Messages::confirm(nullptr, "Bestätigen", "Wirklich?");
    QVERIFY(!yes);
    QCOMPARE(title, QString("Bestätigen"));
    buttonTexts.sort();
    QCOMPARE(buttonTexts, QStringList({"Ja", "Nein"})); // Qt's German texts are loaded
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().answer, QMessageBox::No);
}

void TestMessages::queuedAnswersAreRecorded()
{
    Messages::setNextAnswer(QMessageBox::Yes);
    Messages::setNextAnswer(QMessageBox::Cancel);
    QVERIFY(Messages::confirm(nullptr, "Frage", "Eins?"));
    QCOMPARE(Messages::show(nullptr, QMessageBox::Question, "Frage", "Zwei?", QMessageBox::Ok | QMessageBox::Cancel),
             QMessageBox::Cancel);
    QVERIFY(!Messages::hasQueuedAnswers());
    QCOMPARE(Messages::shown().size(), 2);
    QCOMPARE(Messages::shown()[1].text, QString("Zwei?"));
    QCOMPARE(Messages::shown()[1].buttons, QMessageBox::Ok | QMessageBox::Cancel);
    Messages::beep();
    QCOMPARE(Messages::beepCount(), 1);
}

void TestMessages::errorBoxEndsWithFullStop()
{
    Messages::setNextAnswer(QMessageBox::Ok);
    Messages::setNextAnswer(QMessageBox::Ok);
    Messages::error(nullptr, "Fehler");
    Messages::error(nullptr, "Schon zu Ende.");
    QCOMPARE(Messages::shown()[0].text, QString("Fehler."));
    QCOMPARE(Messages::shown()[1].text, QString("Schon zu Ende."));
    QCOMPARE(Messages::shown()[0].title, QString("Das Tramora-Rezidedazurazedad"));
    QCOMPARE(Messages::shown()[0].icon, QMessageBox::Critical);
    QCOMPARE(Messages::shown()[0].buttons, QMessageBox::Ok);
}

void TestMessages::boundaryTurnsErrorsIntoTheErrorBox()
{
    Messages::setNextAnswer(QMessageBox::Ok);
    int reached = 0;
    const bool ran = guarded(nullptr, [&] {
        ++reached;
        throw StorageError("Die Anweisung wurde abgelehnt");
        ++reached;
    });
    QVERIFY(!ran);
    QCOMPARE(reached, 1);
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].text, QString("Die Anweisung wurde abgelehnt."));
    QVERIFY(guarded(nullptr, [] {}));
    QCOMPARE(Messages::shown().size(), 1);
}

void TestMessages::boxWithCheckBox()
{
    // Real box: the tick box and the renamed button are there and answer.
    bool ticked = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QVERIFY(box->checkBox());
        QCOMPARE(box->checkBox()->text(), QString("Nicht mehr zeigen"));
        box->checkBox()->setChecked(true);
        for (QAbstractButton* b : box->buttons())
            if (b->text() == "Zeigen")
                b->click();
    });
    QCOMPARE(Messages::showWithCheckBox(nullptr, QMessageBox::Warning, "Hinweis", "Text",
                                        QMessageBox::Ok | QMessageBox::Ignore, {{QMessageBox::Ignore, "Zeigen"}},
                                        "Nicht mehr zeigen", &ticked),
             QMessageBox::Ignore);
    QVERIFY(ticked);
    QVERIFY(Messages::shown().last().checked);

    // Queued: the state comes from the queue, or stays as it was given.
    Messages::setNextAnswer(QMessageBox::Ok);
    Messages::setNextCheckBoxState(false);
    Messages::setNextAnswer(QMessageBox::Ok);
    QCOMPARE(Messages::showWithCheckBox(nullptr, QMessageBox::Warning, "Hinweis", "Text", QMessageBox::Ok, {},
                                        "Nicht mehr zeigen", &ticked),
             QMessageBox::Ok);
    QVERIFY(!ticked);
    ticked = true;
    Messages::showWithCheckBox(nullptr, QMessageBox::Warning, "Hinweis", "Text", QMessageBox::Ok, {},
                               "Nicht mehr zeigen", &ticked);
    QVERIFY(ticked);
    QCOMPARE(Messages::shown().last().checkBoxText, QString("Nicht mehr zeigen"));
}

void TestMessages::checkBoxBoxShowsEveryControl()
{
    // The zone hint's sizes: whatever the font, every control of the shown
    // box lies inside it, apart from the others, uncut and reachable.
    Messages::CheckBoxLayout layout;
    layout.height = 169;
    layout.tickBoxGeometry = QRect(20, 110, 300, 17);
    layout.captionWidth = 120;
    QStringList faults;
    QTimer::singleShot(0, [&] {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (box->height() < layout.height)
            faults << "box lower than asked";
        QList<QWidget*> controls{box->checkBox()};
        for (QAbstractButton* b : box->buttons())
            controls << b;
        for (QLabel* label : box->findChildren<QLabel*>())
            if (label->isVisible())
                controls << label;
        for (QWidget* c : controls) {
            const QRect r(c->mapTo(box, QPoint(0, 0)), c->size());
            if (!box->rect().contains(r))
                faults << c->objectName() + " outside the box";
            if (r.width() < c->sizeHint().width() || r.height() < c->minimumSizeHint().height())
                faults << c->objectName() + " cut";
            for (QWidget* other : controls)
                if (other != c && r.intersects(QRect(other->mapTo(box, QPoint(0, 0)), other->size())))
                    faults << c->objectName() + " overlaps " + other->objectName();
            if (c->isVisible() && box->childAt(r.center()) != c && !c->isAncestorOf(box->childAt(r.center())))
                faults << c->objectName() + " covered";
        }
        for (QAbstractButton* b : box->buttons())
            if (b->text() == "Bereiche zeigen" && b->width() < layout.captionWidth)
                faults << "caption button narrower than asked";
        box->checkBox()->click();
        box->button(QMessageBox::Ok)->click();
    });
    bool ticked = false;
    QCOMPARE(Messages::showWithCheckBox(nullptr, QMessageBox::Warning, "Hinweis",
                                        QString::fromUtf8("Der von Ihnen ausgewählte Trainingsbereich entspricht "
                                                          "nicht\n\rder Belastungstufe gemäß der angegebenen "
                                                          "Herzfrequenz."),
                                        QMessageBox::Ok | QMessageBox::Ignore,
                                        {{QMessageBox::Ignore, "Bereiche zeigen"}},
                                        "Diese Meldung nicht mehr anzeigen", &ticked, layout),
             QMessageBox::Ok);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    QVERIFY(ticked);
}

void TestMessages::lineEndsShowAsOneBreak()
{
    // Every kind of box shows each composed line end as one line break, on
    // the screen as in the text given to it; the record keeps the text as
    // composed.
    struct Seen
    {
        QString text;
        QString detail;
        bool heightAsPlainLines = false;
    };
    QList<Seen> seen;
    auto answerShownBox = [&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            auto* label = box->findChild<QLabel*>("qt_msgbox_label");
            QLabel plain(QString(label->text()).remove('\r'));
            plain.setFont(label->font());
            seen << Seen{label->text(), box->informativeText(),
                         label->sizeHint().height() == plain.sizeHint().height()};
            box->buttons().first()->click();
        });
    };
    answerShownBox();
    Messages::inputFaults(nullptr, "- eins\n\r- zwei\n\r");
    answerShownBox();
    Messages::error(nullptr, "Nicht gespeichert\n\rweil", "Zeile 1\r\nZeile 2");
    answerShownBox();
    bool ticked = false;
    Messages::showWithCheckBox(nullptr, QMessageBox::Warning, "Hinweis", "nicht bei der\n\rAuswahl",
                               QMessageBox::Yes | QMessageBox::No, {}, "Nicht mehr zeigen", &ticked);
    answerShownBox();
    Messages::confirm(nullptr, "Frage", "Wirklich?\n\rEr fehlt dann.");

    QCOMPARE(seen.size(), 4);
    for (const Seen& s : seen)
        QVERIFY2(s.heightAsPlainLines, qPrintable(s.text));
    QCOMPARE(seen[0].text, QString::fromUtf8("Es sind folgende Eingabefehler aufgetreten:\n\n- eins\n- zwei\n\n"
                                             "Ihre Eingaben können deshalb nicht gespeichert werden"));
    QCOMPARE(seen[1].text, QString("Nicht gespeichert\nweil."));
    QCOMPARE(seen[1].detail, QString("Zeile 1\nZeile 2"));
    QCOMPARE(seen[2].text, QString("nicht bei der\nAuswahl"));
    QCOMPARE(seen[3].text, QString("Wirklich?\nEr fehlt dann."));
    QCOMPARE(Messages::shown()[0].text.count("\n\r"), 5);
}

// Return answers with the box's button, not the toggle of its details,
// also where the desktop puts that toggle first (and the focus on it).
void TestMessages::returnClosesABoxWithDetails()
{
    struct DesktopLayout : QProxyStyle
    {
        int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                      QStyleHintReturn* data) const override
        {
            return hint == SH_DialogButtonLayout ? int(QDialogButtonBox::KdeLayout)
                                                 : QProxyStyle::styleHint(hint, option, widget, data);
        }
    };
    const QString style = QApplication::style()->name();
    QApplication::setStyle(new DesktopLayout);
    bool closedByReturn = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QVERIFY(showActive(*box));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTimer::singleShot(50, [&] {
            auto* open = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            closedByReturn = !open;
            if (open)
                open->button(QMessageBox::Ok)->click();
        });
    });
    const auto answer = Messages::show(nullptr, QMessageBox::Warning, "Übernahme", "Abgelehnt: 9 Dateien",
                                       QMessageBox::Ok, QMessageBox::NoButton, {}, "a.fit: kaputt\n");
    QApplication::setStyle(style);
    QTRY_VERIFY(closedByReturn);
    QCOMPARE(answer, QMessageBox::Ok);
}

// A window that is closed (and so deleted later) while its box is open
// stays until the code that asked has returned; one deleted outright
// meanwhile leaves the box answered as with Esc.
void TestMessages::windowGoneWhileItAsks()
{
    auto* closing = new QWidget;
    closing->setAttribute(Qt::WA_DeleteOnClose);
    closing->show();
    QPointer<QWidget> closingGuard = closing;
    QTimer::singleShot(50, [closing] {
        closing->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    QCOMPARE(Messages::show(closing, QMessageBox::Question, "Frage", "Speichern?",
                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel),
             QMessageBox::Cancel);
    QVERIFY(closingGuard); // this code may still use it
    QEventLoop loop; // the one the asking code returns to
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY(!closingGuard);

    QPointer<QWidget> deleted = new QWidget;
    deleted->show();
    QTimer::singleShot(50, [deleted] { delete deleted.data(); });
    QCOMPARE(Messages::show(deleted, QMessageBox::Question, "Frage", "Speichern?", QMessageBox::Yes | QMessageBox::No),
             QMessageBox::No);
    QVERIFY(!deleted);
    QCOMPARE(Messages::shown().size(), 2);
}

void TestMessages::choiceTakesAnItemOrWhatTheFieldCanStore()
{
    Messages::clearShown();
    const QStringList sports{"Laufen", "Radfahren"};
    // Typed into the real dialog: what the column cannot take is refused.
    QTimer::singleShot(0, [&] {
        auto* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        auto* field = dialog->findChild<QComboBox*>("ChoiceField");
        field->lineEdit()->selectAll();
        QTest::keyClicks(field->lineEdit(), "Rad%lauf");
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    QCOMPARE(Messages::choose(nullptr, "Sportart", "Sportart:", sports, "Laufen", true, 5,
                              StoredText::Kind::ListItem),
             std::optional<QString>("Radla"));
    QVERIFY(Messages::beepCount() > 0);

    // Answered from the queue: a choice, Abbrechen, or a button answer.
    Messages::setNextChoice(QString("Schwimmen"));
    Messages::setNextChoice(std::nullopt);
    Messages::setNextAnswer(QMessageBox::Ok);
    QCOMPARE(Messages::choose(nullptr, "T", "L", sports, "Laufen", true), std::optional<QString>("Schwimmen"));
    QCOMPARE(Messages::choose(nullptr, "T", "L", sports, "Laufen"), std::nullopt);
    QCOMPARE(Messages::choose(nullptr, "T", "L", sports, "Gehen"), std::optional<QString>("Laufen"));
    QCOMPARE(Messages::shown().size(), 4);
    QCOMPARE(Messages::shown()[1].chosen, QString("Schwimmen"));
    QCOMPARE(Messages::shown()[2].answer, QMessageBox::Cancel);
    QCOMPARE(Messages::shown()[3].items, sports);
}

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
