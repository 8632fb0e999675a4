#include "messages.h"
#include "diaryqueries.h"
#include "errorboundary.h"
#include "sqltext.h"
#include "startup.h"
#include "openedurls.h"
#include "testsupport.h"
#include "tform1.h"
#include "tform7.h"
#include "quitsignals.h"
#include "tform4.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

#include <csignal>

#include <memory>

// What the desktop's window of a widget is titled: the platform windows of
// X11 and Wayland compose it with this (private, exported) function.
class QPlatformWindow
{
public:
    static QString formatWindowTitle(const QString& title, const QString& separator);
};

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void emptyDiaryAsksForAPerson();
    void onlyPersonIsSelected();
    void severalPersonsShowThePlaceholder();
    void evaluationsNeedEntries();
    void startupErrorIsShownAndWindowOpens();
    void oversizedSettingsFileIsSetAside();
    void rejectedStatementShowsErrorBox();
    void failedStartUpEndsTheProgram();
    void titlesReadAsGiven();
    void workingWindowsArePlacedOverTheMainWindow();
    void infoDialogShowsVersion();
    void manualOpensWhenPresent();
    void manualWithoutViewerSaysWhereItIs();
    void quitSignalEndsWithUnsavedInput();
    void quitSignalWhileTheEditorAsks();

private:
    std::unique_ptr<TForm1> start();
    void addUser(const QString& name, const QString& vorname);
    void addEntry(int userId);
    // Starts the program with one person and opens the editor on its diary.
    TForm4* openEditorOfNewPerson();

    std::unique_ptr<TestFolder> m_dir;
    std::unique_ptr<TForm1> m_form;
};

void TestMainWindow::init()
{
    initTestEnvironment();
    m_dir = std::make_unique<TestFolder>();
}

void TestMainWindow::cleanup()
{
    m_form.reset();
    m_dir.reset();
}

std::unique_ptr<TForm1> TestMainWindow::start()
{
    m_form.reset();
    return std::make_unique<TForm1>(StartOptions{m_dir->path(), 0});
}

void TestMainWindow::addUser(const QString& name, const QString& vorname)
{
    Form1->session().ZDatabase1.execute("INSERT INTO users (ID, Name, Vorname, GebDatum, Geschlecht) VALUES "
                                        "(gen_id(Gen_Users,1), " + quoted(name) + ", " + quoted(vorname)
                                     + ", '01.01.1980', '0')");
}

void TestMainWindow::addEntry(int userId)
{
    Form1->session().ZDatabase1.execute("INSERT INTO main (ID, Datum, UserID) VALUES (gen_id(Gen_Main,1), "
                                        "'01.06.2025', " + quoted(userId) + ")");
}

void TestMainWindow::emptyDiaryAsksForAPerson()
{
    m_form = start();
    TForm1* w = m_form.get();
    QCOMPARE(w->objectName(), QString("TForm1"));
    QCOMPARE(w->windowTitle(), QString("Das Tramora-Rezidedazurazedad"));
    QCOMPARE(w->size(), QSize(876, 619));
    auto* combo1 = w->findChild<QComboBox*>("ComboBox1");
    auto* combo2 = w->findChild<QComboBox*>("ComboBox2");
    QVERIFY(combo1 && combo2);
    QCOMPARE(combo1->count(), 1);
    QCOMPARE(combo1->currentText(), QString("-- bitte Benutzer anlegen --"));
    QCOMPARE(combo2->currentText(), QString("-1"));
    QVERIFY(!combo1->isEditable());
    QVERIFY(combo2->isHidden());
    QCOMPARE(w->currentUser(), QString("-1"));

    const QList<QPair<QString, QString>> hints = {
        {"ToolButton3", "Trainingsdaten erfassen"}, {"ToolButton6", "Grafische Auswertungen"},
        {"ToolButton7", "Auswertungen in Textform"}, {"RecordsButton", "Bestzeiten und Prognosen"},
        {"ToolButton2", "Benutzerverwaltung"},
        {"ToolButton1", "Schuhverwaltung"},          {"ToolButton10", "Trainingsbereiche verwalten"},
        {"ToolButton9", "Handbuch anzeigen"},        {"ToolButton8", QString::fromUtf8("Über das Rezidedazurazedad")}};
    for (const auto& [name, hint] : hints) {
        auto* button = w->findChild<QToolButton*>(name);
        QVERIFY2(button, qPrintable(name));
        QCOMPARE(button->toolTip(), hint);
        QVERIFY(!button->icon().isNull());
    }
    QVERIFY(!w->ToolButton3->isEnabled());
    QVERIFY(!w->ToolButton6->isEnabled());
    QVERIFY(!w->ToolButton7->isEnabled());
    QVERIFY(!w->RecordsButton->isEnabled());
    for (QToolButton* b : {w->ToolButton1, w->ToolButton2, w->ToolButton8, w->ToolButton9, w->ToolButton10})
        QVERIFY(b->isEnabled());
    // Each button of the toolbar can be told by its picture: no two icons
    // share more than four fifths of their pixels (backup and restore once
    // differed only by the direction of a small arrow).
    const QList<QToolButton*> buttons = w->ToolBar1->findChildren<QToolButton*>();
    const auto picture = [](QToolButton* b) { return b->icon().pixmap(24, 24).toImage().convertToFormat(QImage::Format_ARGB32); };
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->icon().isNull())
            continue;
        const QImage a = picture(buttons[i]);
        for (int j = i + 1; j < buttons.size(); ++j) {
            if (buttons[j]->icon().isNull())
                continue;
            const QImage b = picture(buttons[j]);
            int same = 0;
            for (int y = 0; y < 24; ++y)
                for (int x = 0; x < 24; ++x)
                    same += a.pixel(x, y) == b.pixel(x, y) ? 1 : 0;
            QVERIFY2(same < 24 * 24 * 4 / 5, qPrintable(buttons[i]->objectName() + " / " + buttons[j]->objectName()));
        }
    }
    QVERIFY(w->findChild<QToolButton*>("ToolButton12"));
    QVERIFY(w->ToolButton12->isHidden());
    QVERIFY(Messages::shown().isEmpty());
}

void TestMainWindow::onlyPersonIsSelected()
{
    m_form = start();
    addUser("Muster", "Erika");
    m_form = start();
    QCOMPARE(m_form->ComboBox1->count(), 2);
    QCOMPARE(m_form->ComboBox1->itemText(0), QString::fromUtf8("-- bitte Benutzer wählen --"));
    QCOMPARE(m_form->ComboBox1->currentIndex(), 1);
    QCOMPARE(m_form->ComboBox1->currentText(), QString("Erika Muster"));
    QCOMPARE(m_form->currentUser(), QString("1"));
    QVERIFY(m_form->ToolButton3->isEnabled());
    QVERIFY(!m_form->ToolButton6->isEnabled());
    QVERIFY(!m_form->ToolButton7->isEnabled());
}

void TestMainWindow::severalPersonsShowThePlaceholder()
{
    m_form = start();
    addUser("Zander", "Anna");
    addUser("Adler", "Bernd");
    addUser("Adler", "Anton");
    m_form->ShowUsers();
    m_form->ComboBox1Change();
    QCOMPARE(m_form->ComboBox1->currentIndex(), 0);
    QStringList shown;
    for (int i = 1; i < m_form->ComboBox1->count(); ++i)
        shown << m_form->ComboBox1->itemText(i) + "=" + m_form->ComboBox2->itemText(i);
    QCOMPARE(shown, QStringList({"Anton Adler=3", "Bernd Adler=2", "Anna Zander=1"}));
    QVERIFY(!m_form->ToolButton3->isEnabled());

    m_form->ComboBox1->setCurrentIndex(3); // as the user picks a person
    QCOMPARE(m_form->ComboBox2->currentIndex(), 3);
    QCOMPARE(m_form->currentUser(), QString("1"));
    QVERIFY(m_form->ToolButton3->isEnabled());
    m_form->ComboBox1->setCurrentIndex(0);
    QVERIFY(!m_form->ToolButton3->isEnabled());

    // rebuilding does not keep the previous selection
    m_form->ComboBox1->setCurrentIndex(2);
    m_form->ShowUsers();
    QCOMPARE(m_form->ComboBox1->currentIndex(), 0);
}

void TestMainWindow::evaluationsNeedEntries()
{
    m_form = start();
    addUser("Adler", "Anton");
    addUser("Berg", "Britta");
    addEntry(2);
    m_form->ShowUsers();
    m_form->ComboBox1Change();
    m_form->ComboBox1->setCurrentIndex(1);
    QVERIFY(m_form->ToolButton3->isEnabled());
    QVERIFY(!m_form->ToolButton6->isEnabled());
    QVERIFY(!m_form->RecordsButton->isEnabled());
    m_form->ComboBox1->setCurrentIndex(2);
    QVERIFY(m_form->ToolButton6->isEnabled());
    QVERIFY(m_form->ToolButton7->isEnabled());
    QVERIFY(m_form->RecordsButton->isEnabled());
    QVERIFY(!UserHasEntries(m_form->session().ZDatabase1, 99));
    QVERIFY(!UserHasEntries(m_form->session().ZDatabase1, -1));
}

void TestMainWindow::startupErrorIsShownAndWindowOpens()
{
    QVERIFY(QDir().mkdir(m_dir->file("aliases.conf")));
    Messages::setNextAnswer(QMessageBox::Ok);
    m_form = start();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].title, QString("Das Tramora-Rezidedazurazedad"));
    QCOMPARE(Messages::shown()[0].icon, QMessageBox::Critical);
    QVERIFY(Messages::shown()[0].text.endsWith('.'));
    QCOMPARE(m_form->ComboBox1->count(), 0);
    QVERIFY(m_form->ToolButton3->isEnabled());
    QVERIFY(m_form->ToolButton6->isEnabled());
}

void TestMainWindow::oversizedSettingsFileIsSetAside()
{
    QFile big(m_dir->file("config.ini"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    big.write("[Wetter]\r\nItems=sonnig%\r\n" + QByteArray(2 * 1024 * 1024, ';'));
    big.close();
    Messages::setNextAnswer(QMessageBox::Ok);
    m_form = start();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].icon, QMessageBox::Warning);
    QVERIFY2(Messages::shown()[0].text.contains("config.ini.zu-gross"), qPrintable(Messages::shown()[0].text));
    QCOMPARE(QFileInfo(m_dir->file("config.ini.zu-gross")).size(), 2 * 1024 * 1024 + 25);
    QCOMPARE(readBytes(m_dir->file("config.ini")), QByteArray("[Sportarten]\r\nItems=Laufen%Radfahren%Schwimmen%\r\n"));
}

void TestMainWindow::rejectedStatementShowsErrorBox()
{
    m_form = start();
    addUser("Muster", "Max");
    Messages::setNextAnswer(QMessageBox::Ok);
    const bool ran = guarded(m_form.get(), [] {
        Form1->session().ZDatabase1.execute("INSERT INTO main (ID, Datum, UserID, Dauer) VALUES "
                                            "(gen_id(Gen_Main,1), '05.01.2026', '1', '100:00')");
    });
    QVERIFY(!ran);
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY2(Messages::shown()[0].text.contains("truncation"), qPrintable(Messages::shown()[0].text));
    QVERIFY(Messages::shown()[0].text.endsWith('.'));
    QCOMPARE(scalar(Form1->session(), "SELECT COUNT(*) FROM main"), QString("0"));
}

void TestMainWindow::failedStartUpEndsTheProgram()
{
    std::unique_ptr<TForm1> usable = createMainWindow({m_dir->path(), 0});
    QVERIFY(usable);
    QVERIFY(usable->startedUp());
    usable.reset();

    TestFolder broken;
    QVERIFY(QDir().mkdir(broken.file("aliases.conf")));
    Messages::setNextAnswer(QMessageBox::Ok);
    QVERIFY(!createMainWindow({broken.path(), 0}));
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown()[0].icon, QMessageBox::Critical);
    QVERIFY(!Form1);
}

void TestMainWindow::titlesReadAsGiven()
{
    prepareApplication();
    for (const QString& title : {QString("Benutzerverwaltung"), QString("Frage"), Messages::applicationTitle()})
        QCOMPARE(QPlatformWindow::formatWindowTitle(title, QString::fromUtf8(" \u2014 ")), title);
}

void TestMainWindow::workingWindowsArePlacedOverTheMainWindow()
{
    m_form = start();
    m_form->move(100, 50);
    QVERIFY(showActive(*m_form));
    QWidget window(m_form.get(), Qt::Window);
    m_form->placeWorkingWindow(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Place and size are those of the working window's frame.
    const QRect frame = m_form->frameGeometry();
    QVERIFY(frame != m_form->geometry()); // the platform draws a frame
    QCOMPARE(window.frameGeometry(), QRect(frame.left() + 10, frame.top() + 86, m_form->width() - 4,
                                           m_form->height() - 60));
    // The desktop keeps it above its owner, not above every window.
    QCOMPARE(window.windowHandle()->transientParent(), m_form->windowHandle());
}

void TestMainWindow::infoDialogShowsVersion()
{
    m_form = start();
    m_form->ToolButton8->click();
    m_form->ToolButton8->click();
    QList<TForm7*> dialogs;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<TForm7*>(w); d && d->isVisible())
            dialogs << d;
    QCOMPARE(dialogs.size(), 2);
    TForm7* info = dialogs.first();
    QCOMPARE(info->objectName(), QString("TForm7"));
    QCOMPARE(info->windowTitle(), QString("Info"));
    QCOMPARE(info->findChild<QLabel*>("Label1")->text(), QString("Das Tramora-Rezidedazurazedad"));
    QCOMPARE(info->findChild<QLabel*>("Label2")->text(), QString("Version 1.0.0.6"));
    QPointer<TForm7> guard(info);
    info->findChild<QPushButton*>("Button1")->click();
    QTRY_VERIFY(guard.isNull()); // released on closing
}

void TestMainWindow::manualOpensWhenPresent()
{
    const ViewerLookup viewer("pdfviewer.desktop");
    OpenedUrls catcher;
    m_form = start();
    m_form->ToolButton9->click();
    // missing manual: asked for where the program was started, no message
    QCOMPARE(catcher.urls, QList<QUrl>({QUrl::fromLocalFile(QDir::current().absoluteFilePath("handbuch.pdf"))}));
    QVERIFY(Messages::shown().isEmpty());
    catcher.urls.clear();
    QFile manual(m_dir->file("handbuch.pdf"));
    QVERIFY(manual.open(QIODevice::WriteOnly));
    manual.close();
    m_form->ToolButton9->click();
    QCOMPARE(catcher.urls, QList<QUrl>({QUrl::fromLocalFile(m_dir->file("handbuch.pdf"))}));
    QVERIFY(!QApplication::overrideCursor());
    // An installed program keeps its diary elsewhere: the manual beside the
    // program file comes first.
    catcher.urls.clear();
    QFile installed(QCoreApplication::applicationDirPath() + "/handbuch.pdf");
    QVERIFY(installed.open(QIODevice::WriteOnly));
    installed.close();
    const auto removeInstalled = qScopeGuard([&installed] { installed.remove(); });
    m_form->ToolButton9->click();
    QCOMPARE(catcher.urls, QList<QUrl>({QUrl::fromLocalFile(installed.fileName())}));
}

void TestMainWindow::manualWithoutViewerSaysWhereItIs()
{
    // No URL handler: the offscreen desktop has no program for PDF files.
    m_form = start();
    QFile manual(m_dir->file("handbuch.pdf"));
    QVERIFY(manual.open(QIODevice::WriteOnly));
    manual.close();
    Messages::setNextAnswer(QMessageBox::Ok);
    m_form->ToolButton9->click();
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(Messages::shown().size(), 1);
    const Messages::Record box = Messages::shown().first();
    QCOMPARE(box.title, Messages::applicationTitle());
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.text, QString::fromUtf8("Das Handbuch kann nicht angezeigt werden: Es wurde kein Programm gefunden, "
                                         "das PDF-Dateien anzeigen kann.\n\rDas Handbuch liegt unter:\n\r")
                           + QDir::toNativeSeparators(QFileInfo(manual).absoluteFilePath()));
    // Neither there nor anywhere else: the place it was looked for.
    manual.remove();
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    m_form->ToolButton9->click();
    QCOMPARE(Messages::shown().size(), 1);
    QCOMPARE(Messages::shown().first().text, "Das Handbuch wurde nicht gefunden:\n\r"
                                                 + QDir::toNativeSeparators(QDir::current().absoluteFilePath("handbuch.pdf")));

    // A desktop whose opener starts without any program for PDF files.
    QVERIFY(manual.open(QIODevice::WriteOnly));
    manual.close();
    const ViewerLookup none("");
    OpenedUrls catcher;
    Messages::clearShown();
    Messages::setNextAnswer(QMessageBox::Ok);
    m_form->ToolButton9->click();
    QVERIFY(catcher.urls.isEmpty());
    QCOMPARE(Messages::shown().size(), 1);
    QVERIFY(Messages::shown().first().text.startsWith("Das Handbuch kann nicht angezeigt werden"));
    manual.remove();
}

TForm4* TestMainWindow::openEditorOfNewPerson()
{
    m_form = start();
    addUser("Muster", "Max");
    m_form->ShowUsers();
    m_form->ComboBox1Change();
    m_form->show();
    m_form->ToolButton3->click();
    return TForm4::findOpen();
}

void TestMainWindow::quitSignalEndsWithUnsavedInput()
{
    // The desktop stops the program while the editor holds typed input: no
    // one is there to answer whether to save it, so no question is put, the
    // input is kept as the person's draft, and the program ends.
    QuitSignals::blockInAllThreads();
    QuitSignals quit;
    QPointer<TForm4> editor = openEditorOfNewPerson();
    QVERIFY(editor);
    const QString user = scalar(m_form->session(), "SELECT MAX(ID) FROM users");
    QCoreApplication::processEvents(); // no draft to offer
    const QString draft = editor->draft().path();
    editor->findChild<QPlainTextEdit*>("Memo2")->setPlainText("nicht gespeichert");
    QVERIFY(editor->hasUnsavedChanges());
    QVERIFY(!QFile::exists(draft));

    QTimer::singleShot(0, [] { raise(SIGTERM); });
    QTimer::singleShot(60000, [] { QCoreApplication::exit(1); }); // guards the suite only
    quit.mainLoopStarts();
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(QuitSignals::requested());
    QVERIFY(editor.isNull() || !editor->isVisible());
    QVERIFY(!m_form->isVisible());
    QVERIFY(Messages::shown().isEmpty());
    QCOMPARE(scalar(m_form->session(), "SELECT COUNT(*) FROM main"), QString("0"));
    QVERIFY(QFile::exists(draft));
    QVERIFY(draft.endsWith("Entwurf-" + user + ".txt"));
    QVERIFY(readBytes(draft).contains("Memo2=nicht gespeichert\n"));
}

void TestMainWindow::quitSignalWhileTheEditorAsks()
{
    // The editor asks whether to save before it leaves the entry, and the
    // session ends while the question is open, closing the editor: the
    // input is kept as the draft, and the editor goes only once it has
    // finished asking; the quit signal then closes the question as with Esc.
    QuitSignals::blockInAllThreads();
    QuitSignals quit;
    QPointer<TForm4> editor = openEditorOfNewPerson();
    QVERIFY(editor);
    QCoreApplication::processEvents();
    const QString draft = editor->draft().path();
    editor->findChild<QPlainTextEdit*>("Memo2")->setPlainText("nicht gespeichert");

    bool asked = false;
    QTimer::singleShot(0, editor, [&] {
        QTimer::singleShot(100, [&] {
            asked = QApplication::activeModalWidget() != nullptr;
            Messages::setEnding(true);
            editor->close();
            QTimer::singleShot(50, [] { raise(SIGTERM); });
        });
        editor->ToolButton3Click(); // asks, and the session ends meanwhile
    });
    QTimer::singleShot(60000, [] { QCoreApplication::exit(1); }); // guards the suite only
    quit.mainLoopStarts();
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(asked);
    QVERIFY(editor.isNull() || !editor->isVisible());
    QCOMPARE(scalar(m_form->session(), "SELECT COUNT(*) FROM main"), QString("0"));
    QVERIFY(readBytes(draft).contains("Memo2=nicht gespeichert\n"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
