#include "../traininglog/editorfixture.h"

#include "tform2.h"
#include "tform3.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"
#include "tform8.h"
#include "windowkeys.h"

#include <QAbstractButton>
#include <QPointer>

// The keyboard that every window of the program offers.
class TestWindowKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyWindowHasMnemonicsWithoutClashesAndTheFocusInAField();
    void escClosesTheWorkingWindows();
};

namespace {

// Every window the main window opens, made as it makes them.
QList<QWidget*> allWindows(EditorFixture& f, int user)
{
    TForm1& main = f.main();
    main.ShowUsers();
    main.ComboBox1Change();
    return {&main,
            new TForm2(main.session(), &main),
            new TForm3(main.session(), &main, main.ComboBox1, main.ComboBox2),
            f.openEditor(user),
            new TForm5(main.session(), user, &main),
            new TForm6(main.session(), user, &main),
            new TForm7(&main),
            new TForm8(main.session(), &main)};
}

} // namespace

void TestWindowKeys::everyWindowHasMnemonicsWithoutClashesAndTheFocusInAField()
{
    EditorFixture f;
    const int user = f.addUser();
    f.addEntry(user, "01.03.2025");
    for (QWidget* window : allWindows(f, user)) {
        QVERIFY(showActive(*window));
        const QString name = window->objectName();
        QMap<QChar, QString> owners;
        const QList<QAbstractButton*> buttons = WindowKeys::captionedButtons(window);
        QVERIFY2(!buttons.isEmpty() || name == "TForm1", qPrintable(name));
        for (QAbstractButton* b : buttons) {
            const QChar letter = WindowKeys::mnemonicOf(b->text());
            QVERIFY2(!letter.isNull(), qPrintable(name + ": " + b->text()));
            QVERIFY2(!owners.contains(letter),
                     qPrintable(name + ": " + b->text() + " and " + owners.value(letter)));
            owners.insert(letter, b->text());
        }
        // The first field that takes input has the focus; a window whose
        // fields are all locked at first has none.
        if (QWidget* first = WindowKeys::firstField(window))
            QVERIFY2(QApplication::focusWidget() == first, qPrintable(name + ": " + first->objectName()));
        if (window != &f.main() && window->objectName() != "TForm4")
            window->deleteLater();
    }
    f.discardEditor();
}

void TestWindowKeys::escClosesTheWorkingWindows()
{
    EditorFixture f;
    const int user = f.addUser();
    TForm1& main = f.main();
    Session& session = main.session();
    for (QWidget* window : QList<QWidget*>{new TForm3(session, &main, main.ComboBox1, main.ComboBox2),
                                           new TForm5(session, user, &main), new TForm6(session, user, &main),
                                           new TForm8(session, &main)}) {
        window->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QWidget> guard(window);
        QVERIFY(showActive(*window));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Escape);
        QTRY_VERIFY2(guard.isNull() || !guard->isVisible(), qPrintable(window->objectName()));
    }
}

QTEST_MAIN(TestWindowKeys)
#include "tst_windowkeys.moc"
