#include "tform1.h"

#include "datafiles.h"
#include "diaryqueries.h"
#include "errorboundary.h"
#include "messages.h"
#include "overviewpanel.h"
#include "documents.h"
#include "persons.h"
#include "quitsignals.h"
#include "screenfit.h"
#include "tform2.h"
#include "tform3.h"
#include "tform4.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"
#include "tform8.h"
#include "tform10.h"
#include "tform11.h"
#include "watchfolder.h"
#include "windowkeys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TForm1* Form1 = nullptr;

namespace {

QIcon toolIcon(const QString& name)
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/%1.svg").arg(name), QSize(), QIcon::Normal);
    icon.addFile(QStringLiteral(":/icons/%1_disabled.svg").arg(name), QSize(), QIcon::Disabled);
    return icon;
}

void centreOnScreen(QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

// Keeps the user waiting while the splash window shows, without freezing it.
void pause(int ms)
{
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

TForm1::TForm1(const StartOptions& options, QWidget* parent) : QMainWindow(parent)
{
    Form1 = this;
    setObjectName(QStringLiteral("TForm1"));
    // Every window of the program gets its mnemonics and Esc when shown.
    WindowKeys::install();
    setWindowTitle(Messages::applicationTitle());
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSize(8);
    setFont(f);
    resize(876, 619);

    buildToolBar();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(26);
    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(8, 2, 169, 21);
    ComboBox1->setEditable(false); // pick-only: typed text naming no person is not possible
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    ComboBox2 = new QComboBox(Panel1);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setVisible(false);
    Bevel1 = new QFrame(central);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    // Below the person's choice, the overview of their diary.
    Overview1 = new OverviewPanel(m_session, central);
    Overview1->setObjectName(QStringLiteral("Overview1"));
    connect(Overview1, &OverviewPanel::entryChosen, this,
            [this](const QString& entryId) { showEntryInEditor(Overview1->userId(), entryId); });
    layout->addWidget(Panel1);
    layout->addWidget(Bevel1);
    layout->addWidget(Overview1, 1);
    setCentralWidget(central);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });

    // Every statement shows the hourglass while it runs.
    Database::setBusyHandler([](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });

    centreOnScreen(this);
    ScreenFit::keepOnScreen(this);
    FormCreate(options);
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::buildToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContentsMargins(10, 0, 0, 0);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    ToolButton3 = addToolButton(QStringLiteral("ToolButton3"), QStringLiteral("Trainingsdaten erfassen"),
                                QStringLiteral("record"));
    ToolBar1->addSeparator();
    ToolButton6 = addToolButton(QStringLiteral("ToolButton6"), QStringLiteral("Grafische Auswertungen"),
                                QStringLiteral("charts"));
    ToolButton7 = addToolButton(QStringLiteral("ToolButton7"), QStringLiteral("Auswertungen in Textform"),
                                QStringLiteral("report"));
    RecordsButton = addToolButton(QStringLiteral("RecordsButton"), QStringLiteral("Bestzeiten und Prognosen"),
                                  QStringLiteral("records"));
    RacesButton = addToolButton(QStringLiteral("RacesButton"), QStringLiteral("Wettkämpfe"), QStringLiteral("races"));
    ToolBar1->addSeparator();
    ToolButton2 = addToolButton(QStringLiteral("ToolButton2"), QStringLiteral("Benutzerverwaltung"),
                                QStringLiteral("users"));
    ToolButton1 = addToolButton(QStringLiteral("ToolButton1"), QStringLiteral("Schuhverwaltung"),
                                QStringLiteral("shoes"));
    ToolButton10 = addToolButton(QStringLiteral("ToolButton10"), QStringLiteral("Trainingsbereiche verwalten"),
                                 QStringLiteral("zones"));
    ToolBar1->addSeparator();
    BackupButton = addToolButton(QStringLiteral("BackupButton"), QStringLiteral("Datensicherung erstellen..."),
                                 QStringLiteral("backup"));
    RestoreButton = addToolButton(QStringLiteral("RestoreButton"), QStringLiteral("Datensicherung zurückspielen..."),
                                  QStringLiteral("restore"));
    ExportButton = addToolButton(QStringLiteral("ExportButton"), QStringLiteral("Tagebuch exportieren..."),
                                 QStringLiteral("export"));
    ToolBar1->addSeparator();
    // A button without icon or hint that would open a window the program
    // never creates: it exists, but is not shown.
    ToolButton12 = addToolButton(QStringLiteral("ToolButton12"), QString(), QString());
    ToolButton12->setVisible(false);
    ToolBar1->actions().last()->setVisible(false);
    ToolButton9 = addToolButton(QStringLiteral("ToolButton9"), QStringLiteral("Handbuch anzeigen"),
                                QStringLiteral("manual"));
    ToolButton8 = addToolButton(QStringLiteral("ToolButton8"), QStringLiteral("Über das Rezidedazurazedad"),
                                QStringLiteral("info"));

    connect(ToolButton1, &QToolButton::clicked, this, &TForm1::ToolButton1Click);
    connect(ToolButton2, &QToolButton::clicked, this, &TForm1::ToolButton2Click);
    connect(ToolButton3, &QToolButton::clicked, this, &TForm1::ToolButton3Click);
    connect(ToolButton6, &QToolButton::clicked, this, &TForm1::ToolButton6Click);
    connect(ToolButton7, &QToolButton::clicked, this, &TForm1::ToolButton7Click);
    connect(RecordsButton, &QToolButton::clicked, this, &TForm1::RecordsButtonClick);
    connect(RacesButton, &QToolButton::clicked, this, &TForm1::RacesButtonClick);
    connect(ToolButton8, &QToolButton::clicked, this, &TForm1::ToolButton8Click);
    connect(ToolButton9, &QToolButton::clicked, this, &TForm1::ToolButton9Click);
    connect(ToolButton10, &QToolButton::clicked, this, &TForm1::ToolButton10Click);
    connect(ToolButton12, &QToolButton::clicked, this, &TForm1::ToolButton12Click);
    connect(BackupButton, &QToolButton::clicked, this, &TForm1::BackupButtonClick);
    connect(RestoreButton, &QToolButton::clicked, this, &TForm1::RestoreButtonClick);
    connect(ExportButton, &QToolButton::clicked, this, &TForm1::ExportButtonClick);
}

QToolButton* TForm1::addToolButton(const QString& name, const QString& hint, const QString& icon)
{
    auto* button = new QToolButton(ToolBar1);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setFixedSize(23, 24);
    button->setToolTip(hint);
    if (!icon.isEmpty())
        button->setIcon(toolIcon(icon));
    ToolBar1->addWidget(button);
    return button;
}

void TForm1::FormCreate(const StartOptions& options)
{
    pause(options.startPauseMs);
    if (QuitSignals::requested())
        return; // the desktop asked the program to stop meanwhile
    QStringList notices{options.notice};
    m_startedUp = guarded(this, [&] {
        notices << datafiles::openStorage(m_session, options.programFolder, options.settingsPath);
        ShowUsers();
        ComboBox1Change();
    });
    // A settings file set aside is told also when the diary did not open.
    if (m_startedUp)
        notices << m_session.settingsNotice;
    else
        notices = QStringList{m_session.settingsNotice};
    notices.removeAll(QString());
    if (!notices.isEmpty())
        Messages::show(this, QMessageBox::Warning, Messages::applicationTitle(), notices.join(QStringLiteral("\n\n")),
                       QMessageBox::Ok);
    // Asked once the window is on the screen; the start does not wait for it.
    if (m_startedUp)
        QTimer::singleShot(0, this, &TForm1::offerWatchTrainings);
}

void TForm1::offerWatchTrainings()
{
    const int userId = currentUser().toInt();
    if (QuitSignals::requested() || Messages::ending() || ComboBox1->currentIndex() <= 0 || userId < 0
        || TForm4::findOpen())
        return;
    exchange::WatchNews news;
    if (!guarded(this, [&] { news = exchange::watchNews(m_session, userId, true); }))
        return;
    if (news.trainings == 0) {
        exchange::keepWatchMark(m_session, news); // looked at: not read again
        return;
    }
    const bool take = Messages::confirm(this, QStringLiteral("Trainings übernehmen"),
                                        exchange::watchQuestion(news.trainings));
    if (Messages::ending())
        return; // not answered: offered again at the next start
    exchange::keepWatchMark(m_session, news);
    // The person may have been changed, or an editor opened, meanwhile.
    if (!take || currentUser().toInt() != userId || TForm4::findOpen())
        return;
    ToolButton3Click();
    if (TForm4* editor = TForm4::findOpen(userId))
        editor->takeWatchTrainingsOnOpen(news.files);
}

void TForm1::CheckDataBases()
{
    datafiles::CheckDataBases(m_session.ZDatabase1);
}

QString TForm1::currentUser() const
{
    return ComboBox2->currentIndex() >= 0 ? ComboBox2->currentText() : QStringLiteral("-1");
}

void TForm1::ShowUsers()
{
    const QSignalBlocker block1(ComboBox1);
    const QSignalBlocker block2(ComboBox2);
    ComboBox1->clear();
    ComboBox2->clear();
    const QList<Persons::Listed> persons = Persons::list(m_session.ZDatabase1);
    if (persons.isEmpty()) {
        ComboBox1->addItem(QStringLiteral("-- bitte Benutzer anlegen --"));
    } else {
        ComboBox1->addItem(QStringLiteral("-- bitte Benutzer wählen --"));
    }
    ComboBox2->addItem(QStringLiteral("-1"));
    for (const Persons::Listed& person : persons) {
        ComboBox1->addItem(person.firstName + QLatin1Char(' ') + person.name);
        ComboBox2->addItem(person.id);
    }
    ComboBox1->setCurrentIndex(persons.size() == 1 ? 1 : 0);
    ComboBox2->setCurrentIndex(ComboBox1->currentIndex());
    // Wide enough for the placeholder and every name in the font in use.
    ComboBox1->resize(qMax(169, ComboBox1->sizeHint().width()), qMax(21, ComboBox1->sizeHint().height()));
}

void TForm1::ComboBox1Change()
{
    guarded(this, [&] {
        ComboBox2->setCurrentIndex(ComboBox1->currentIndex());
        if (ComboBox1->currentIndex() != 0) {
            ToolButton3->setEnabled(true);
        } else {
            ToolButton3->setEnabled(false);
            ToolButton6->setEnabled(false);
            ToolButton7->setEnabled(false);
            RecordsButton->setEnabled(false);
        }
        // Races may be planned before the first entry.
        RacesButton->setEnabled(ComboBox1->currentIndex() > 0 && currentUser().toInt() >= 0);
        const bool hasEntries = UserHasEntries(m_session.ZDatabase1, currentUser().toInt());
        ToolButton6->setEnabled(hasEntries);
        ToolButton7->setEnabled(hasEntries);
        RecordsButton->setEnabled(hasEntries);
    });
    Overview1->showPerson(ComboBox1->currentIndex() > 0 ? currentUser().toInt() : -1);
}

void TForm1::placeWorkingWindow(QWidget* window) const
{
    // The frame a working window gets is the one the main window has; its
    // inner area is what remains of the outer size.
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    const int frameWidth = frame.width() - inner.width();
    const int frameHeight = frame.height() - inner.height();
    window->resize(width() - 4 - frameWidth, height() - 60 - frameHeight);
    window->move(frame.left() + 10, frame.top() + 86); // the window's outer edge
}

bool TForm1::editorOpenFor(int userId) const
{
    return TForm4::findOpen(userId) != nullptr;
}

TForm2* TForm1::createUserManagement()
{
    auto* form = new TForm2(m_session, this);
    form->setPersonInUse([this](int userId) { return editorOpenFor(userId); });
    return form;
}

void TForm1::ToolButton1Click()
{
    // One shoe window at a time: the button waits until it closes.
    auto* shoes = new TForm3(m_session, this, ComboBox1, ComboBox2);
    connect(shoes, &TForm3::closed, this, [this] { ToolButton1->setEnabled(true); });
    ToolButton1->setEnabled(false);
    shoes->show();
}

void TForm1::ToolButton2Click()
{
    // A new user management for each opening; it always ends with the result 1.
    QPointer<TForm2> form = createUserManagement();
    const int result = form->exec();
    delete form;
    const TForm4* editor = TForm4::findOpen();
    if (result == 1) {
        guarded(this, [&] { ShowUsers(); });
        // An open diary-entry editor keeps its person chosen.
        if (editor) {
            const int index = ComboBox2->findText(QString::number(editor->userId()));
            if (index >= 0) {
                const QSignalBlocker block(ComboBox1);
                ComboBox1->setCurrentIndex(index);
            }
        }
        ComboBox1Change();
    }
    if (editor) {
        ComboBox1->setEnabled(false);
        ToolButton3->setEnabled(false);
    }
}

void TForm1::ToolButton3Click()
{
    // Recording is for a chosen person only.
    if (ComboBox1->currentIndex() <= 0 || currentUser().toInt() < 0)
        return;
    ComboBox1->setEnabled(false);
    ToolButton3->setEnabled(false);
    auto* editor = new TForm4(m_session, currentUser().toInt(), this);
    connect(editor, &TForm4::closed, this, [this](bool hasEntries) {
        ComboBox1->setEnabled(true);
        // Nothing is enabled for the placeholder.
        const bool person = ComboBox1->currentIndex() > 0 && currentUser().toInt() >= 0;
        ToolButton3->setEnabled(person);
        if (person && hasEntries) {
            ToolButton6->setEnabled(true);
            ToolButton7->setEnabled(true);
            RecordsButton->setEnabled(true);
        }
    });
    // What the editor saves, deletes or imports shows in the overview.
    connect(editor, &TForm4::diaryChanged, Overview1, &OverviewPanel::entriesChanged);
    editor->setWindowTitle(QStringLiteral("Trainingseinheiten ") + ComboBox1->currentText());
    placeWorkingWindow(editor);
    editor->show();
}

void TForm1::ToolButton6Click()
{
    // A statistics window of its own for each opening, fixed to the chosen person.
    auto* statistics = new TForm5(m_session, currentUser().toInt(), this);
    connect(statistics, &TForm5::reportsRequested, this, &TForm1::ToolButton7Click);
    statistics->setWindowTitle(QStringLiteral("Statistiken ") + ComboBox1->currentText());
    placeWorkingWindow(statistics);
    statistics->show();
}

void TForm1::ToolButton7Click()
{
    // A report window of its own for each opening, fixed to the chosen person.
    auto* reports = new TForm6(m_session, currentUser().toInt(), this);
    connect(reports, &TForm6::statisticsRequested, this, &TForm1::ToolButton6Click);
    reports->setPersonName(ComboBox1->currentText());
    placeWorkingWindow(reports);
    reports->show();
}

void TForm1::RecordsButtonClick()
{
    // A records window of its own for each opening, fixed to the chosen person.
    const int userId = currentUser().toInt();
    auto* records = new TForm10(m_session, userId, this);
    connect(records, &TForm10::entryChosen, this,
            [this, userId](const QString& entryId) { showEntryInEditor(userId, entryId); });
    records->setWindowTitle(QStringLiteral("Bestleistungen ") + ComboBox1->currentText());
    placeWorkingWindow(records);
    records->show();
}

void TForm1::RacesButtonClick()
{
    // A races window of its own for each opening, fixed to the chosen person.
    const int userId = currentUser().toInt();
    if (userId < 0)
        return;
    auto* races = new TForm11(m_session, userId, this);
    connect(races, &TForm11::entryChosen, this,
            [this, userId](const QString& entryId) { showEntryInEditor(userId, entryId); });
    races->setWindowTitle(QStringLiteral("Wettkämpfe ") + ComboBox1->currentText());
    placeWorkingWindow(races);
    races->show();
}

void TForm1::showEntryInEditor(int userId, const QString& entryId)
{
    TForm4* editor = TForm4::findOpen(userId);
    if (!editor) {
        // One editor at a time: the one of another person stays as it is.
        if (TForm4::findOpen()) {
            Messages::show(this, QMessageBox::Information, Messages::applicationTitle(),
                           QStringLiteral("Die Trainingseinheiten einer anderen Person sind zum Bearbeiten geöffnet. "
                                          "Schließen Sie diese zuerst, um den Eintrag zu zeigen."),
                           QMessageBox::Ok);
            return;
        }
        const int index = ComboBox2->findText(QString::number(userId));
        if (index <= 0)
            return; // the person is no longer in the diary
        if (ComboBox1->currentIndex() != index)
            ComboBox1->setCurrentIndex(index);
        ToolButton3Click();
        editor = TForm4::findOpen(userId);
        if (!editor)
            return;
    }
    editor->setWindowState(editor->windowState() & ~Qt::WindowMinimized);
    editor->show();
    editor->raise();
    editor->activateWindow();
    editor->showEntry(entryId);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // The working windows are closed first, each with its own close step:
    // the editor asks about input not yet saved (and stays, keeping the
    // program open, when that save is refused); the evaluation windows keep
    // their last settings.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!qobject_cast<TForm4*>(child) && !qobject_cast<TForm5*>(child) && !qobject_cast<TForm6*>(child)
            && !qobject_cast<TForm10*>(child) && !qobject_cast<TForm11*>(child))
            continue;
        if (child->isVisible() && !child->close()) {
            event->ignore();
            return;
        }
    }
    automaticBackupAtClose();
    QMainWindow::closeEvent(event);
}

void TForm1::ToolButton8Click()
{
    auto* info = new TForm7(this);
    info->show();
}

void TForm1::ToolButton9Click()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The manual beside the program file (an installed program keeps its
    // diary elsewhere), else in the program folder, else where the program
    // was started.
    const QString name = QStringLiteral("handbuch.pdf");
    QString manual = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(name);
    if (!QFileInfo::exists(manual))
        manual = m_session.programFolder + name;
    if (!QFileInfo::exists(manual))
        manual = QDir::current().absoluteFilePath(name);
    const bool opened = Documents::viewerAvailable(manual) && Documents::open(manual);
    QApplication::restoreOverrideCursor();
    if (opened)
        return;
    // Without a program for PDF files the user learns where the manual is,
    // to open it another way.
    const QString path = QDir::toNativeSeparators(QFileInfo(manual).absoluteFilePath());
    const QString line = QStringLiteral("\n\r");
    Messages::show(this, QMessageBox::Warning, Messages::applicationTitle(),
                   QFileInfo::exists(manual)
                       ? QStringLiteral("Das Handbuch kann nicht angezeigt werden: Es wurde kein Programm gefunden, "
                                        "das PDF-Dateien anzeigen kann.")
                             + line + QStringLiteral("Das Handbuch liegt unter:") + line + path
                       : QStringLiteral("Das Handbuch wurde nicht gefunden:") + line + path,
                   QMessageBox::Ok);
}

void TForm1::ToolButton10Click()
{
    // One zone window at a time: the button is off while it is open.
    auto* zones = new TForm8(m_session, this);
    connect(zones, &TForm8::closed, ToolButton10, [this] { ToolButton10->setEnabled(true); });
    ToolButton10->setEnabled(false);
    zones->show();
}

void TForm1::ToolButton12Click()
{
    // Not shown; there is no window behind it.
}
