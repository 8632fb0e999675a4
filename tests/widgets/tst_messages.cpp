#include "errorboundary.h"
#include "messages.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
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

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
