// The windows as a window manager sees them: which window they stay above,
// and where they open on a small screen at twice the size (1600 x 1000
// pixels at the scale factor 2: 800 x 500 to lay out on).
#include "../traininglog/editorfixture.h"

#include "screenfit.h"
#include "stringgrid.h"
#include "tform2.h"
#include "tform3.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"
#include "tform8.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QWindow>

class TestWindowPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void insideMovesAndShrinks();
    void everyWindowOpensInsideTheScreen();
    void contentThatCannotShrinkScrolls();
    void windowsStayAboveTheMainWindowOnly();
    void keepingWindowsOpenActive();
    void frameNotInnerAreaGoesInside();
    void selectorShowsItsPlaceholderWhole();

private:
    // Every window the toolbar opens, opened once.
    QList<QWidget*> openAll();

    std::unique_ptr<EditorFixture> m_f;
};

void TestWindowPlacement::init()
{
    m_f = std::make_unique<EditorFixture>();
    const int user = m_f->addUser();
    m_f->addEntry(user, "02.03.2025");
    m_f->main().ShowUsers();
    m_f->main().ComboBox1Change();
}

void TestWindowPlacement::cleanup()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &m_f->main() && w->isVisible())
            w->close();
    QCoreApplication::processEvents();
    m_f.reset();
}

QList<QWidget*> TestWindowPlacement::openAll()
{
    TForm1& main = m_f->main();
    main.move(-74, -80); // where a centred window larger than the screen lands
    main.show();
    for (QToolButton* button : {main.ToolButton3, main.ToolButton6, main.ToolButton7, main.ToolButton1,
                                main.ToolButton10, main.ToolButton8})
        button->click();
    QWidget* users = main.createUserManagement(); // modal; shown here without waiting for it
    users->show();
    QCoreApplication::processEvents();
    QList<QWidget*> windows{&main};
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &main && w->isVisible() && !w->objectName().isEmpty())
            windows << w;
    return windows;
}

void TestWindowPlacement::insideMovesAndShrinks()
{
    const QRect area(0, 30, 800, 470);
    QCOMPARE(ScreenFit::inside(QRect(-74, -80, 1000, 700), area), area);
    QCOMPARE(ScreenFit::inside(QRect(700, 400, 300, 200), area), QRect(500, 300, 300, 200));
    QCOMPARE(ScreenFit::inside(QRect(-20, 10, 300, 600), area), QRect(0, 30, 300, 470));
    QCOMPARE(ScreenFit::inside(QRect(10, 40, 300, 200), area), QRect(10, 40, 300, 200));
}

void TestWindowPlacement::everyWindowOpensInsideTheScreen()
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(area.size(), QSize(800, 500));
    const QList<QWidget*> windows = openAll();
    QCOMPARE(windows.size(), 8);
    for (QWidget* w : windows)
        QVERIFY2(area.contains(w->frameGeometry()), qPrintable(w->objectName()));
    // The main window's bar and selector can be reached.
    TForm1& main = m_f->main();
    QVERIFY(main.ComboBox1->isVisible());
    QVERIFY(area.contains(QRect(main.ComboBox1->mapToGlobal(QPoint(0, 0)), main.ComboBox1->size())));
}

void TestWindowPlacement::contentThatCannotShrinkScrolls()
{
    // Controls placed by position, wider than the screen: they scroll, and
    // keep their names, their order and the focus chain.
    QWidget window;
    window.setObjectName("Wide");
    auto* first = new QLineEdit(&window);
    first->setObjectName("Edit1");
    first->setGeometry(8, 8, 200, 22);
    auto* last = new QLineEdit(&window);
    last->setObjectName("Edit2");
    last->setGeometry(900, 8, 200, 22);
    auto* hidden = new QLineEdit(&window);
    hidden->hide();
    window.resize(1108, 38);
    ScreenFit::keepOnScreen(&window);
    window.show();
    QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(window.frameGeometry()));
    auto* scroll = window.findChild<QScrollArea*>();
    QVERIFY(scroll && scroll->isVisible());
    QCOMPARE(scroll->widget()->minimumSize(), QSize(1108, 38));
    QCOMPARE(window.findChild<QLineEdit*>("Edit2")->parentWidget(), scroll->widget());
    QVERIFY(first->isVisible() && last->isVisible() && !hidden->isVisible());
    QCOMPARE(first->nextInFocusChain(), last);
    QCOMPARE(first->geometry(), QRect(8, 8, 200, 22));
    QVERIFY(scroll->widget()->width() >= 1108); // reached by scrolling sideways

    // The editor wider than the screen keeps its controls in reach the same way.
    m_f->main().show();
    TForm4* editor = m_f->openEditor(m_f->value("SELECT MAX(ID) FROM users").toInt());
    QVERIFY(editor->findChild<QScrollArea*>()->isAncestorOf(editor->findChild<QGroupBox*>("GroupBox1")));
}

void TestWindowPlacement::windowsStayAboveTheMainWindowOnly()
{
    const QList<QWidget*> windows = openAll();
    for (QWidget* w : windows.mid(1)) {
        const QWindow* handle = w->windowHandle();
        QVERIFY2(handle, qPrintable(w->objectName()));
        // X11 marks only dialogs and tool windows as transient for their
        // owner; the window manager keeps them above it and groups them.
        QCOMPARE(handle->transientParent(), m_f->main().windowHandle());
        QVERIFY2(w->windowType() == Qt::Dialog || w->windowType() == Qt::Tool, qPrintable(w->objectName()));
        // Desktops do not activate tool windows when they open.
        if (qobject_cast<TForm3*>(w) || qobject_cast<TForm8*>(w))
            QCOMPARE(w->windowType(), Qt::Dialog);
        QVERIFY2(!(w->windowFlags() & Qt::WindowStaysOnTopHint), qPrintable(w->objectName()));
    }
    // The working windows can be made small and large like any window.
    for (QWidget* w : {static_cast<QWidget*>(TForm4::findOpen()), static_cast<QWidget*>(m_f->main().findChild<TForm5*>()),
                       static_cast<QWidget*>(m_f->main().findChild<TForm6*>())}) {
        QVERIFY(w);
        QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    }
}

void TestWindowPlacement::keepingWindowsOpenActive()
{
    TForm1& main = m_f->main();
    main.setGeometry(60, 40, 680, 420);
    QVERIFY(showActive(main));

    main.ToolButton10->click();
    QPointer<TForm8> zones = main.findChild<TForm8*>();
    QVERIFY(zones);
    QTRY_COMPARE(QApplication::activeWindow(), zones.data());
    QCOMPARE(QApplication::focusWidget(), zones->StringAlignGrid1);
    const QPoint off = zones->frameGeometry().center() - main.frameGeometry().center();
    QVERIFY2(off.manhattanLength() <= 2, qPrintable(QStringLiteral("%1, %2").arg(off.x()).arg(off.y())));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // keys reach it without a click first
    QTRY_VERIFY(zones.isNull());

    main.ToolButton1->click();
    QPointer<TForm3> shoes = main.findChild<TForm3*>();
    QVERIFY(shoes);
    QTRY_COMPARE(QApplication::activeWindow(), shoes.data());
    QCOMPARE(QApplication::focusWidget(), shoes->ComboBox1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(shoes.isNull());
}

void TestWindowPlacement::frameNotInnerAreaGoesInside()
{
    // Made but not yet framed by the desktop, larger than the area: the
    // title bar goes inside as well, not only the inner area.
    const QRect area(0, 0, 800, 500);
    const QMargins frame(4, 30, 4, 4);
    TForm1& main = m_f->main();
    main.move(-74, -80);
    main.winId();
    ScreenFit::fit(&main, area, frame);
    QCOMPARE(main.geometry(), QRect(4, 30, 792, 466));

    // The editor over it: its frame inside, the unit's button in reach.
    main.show();
    main.ToolButton3->click();
    TForm4* editor = TForm4::findOpen();
    QVERIFY(editor);
    ScreenFit::fit(editor, area, frame);
    QVERIFY(area.contains(editor->geometry().marginsAdded(frame)));
    auto* button = editor->findChild<QPushButton*>(QStringLiteral("Button1"));
    editor->findChild<QScrollArea*>()->ensureWidgetVisible(button, 0, 0);
    const QRect shown(button->mapToGlobal(QPoint(0, 0)), button->size());
    QVERIFY(editor->geometry().contains(shown));
}

void TestWindowPlacement::selectorShowsItsPlaceholderWhole()
{
    m_f->exec("DELETE FROM main");
    m_f->exec("DELETE FROM users");
    QComboBox* selector = m_f->main().ComboBox1;
    m_f->main().ShowUsers();
    m_f->main().show();
    QCOMPARE(selector->currentText(), QString("-- bitte Benutzer anlegen --"));
    QStyleOptionComboBox option;
    option.initFrom(selector);
    const QRect field = selector->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, selector);
    QVERIFY(field.width() >= selector->fontMetrics().horizontalAdvance(selector->currentText()));
    QVERIFY(selector->geometry().right() < m_f->main().Panel1->width());
}

int main(int argc, char* argv[])
{
    TestWindowPlacement test;
    return runOnScreen(test, argc, argv, QSize(1600, 1000), 2);
}

#include "tst_windowplacement.moc"
