// Takes the pictures of the program's windows for the manual and the README:
//   screenshots IMAGES [DIALOGS]
// A small generated diary in a temporary program folder, every window opened
// through the main window as a user opens it, drawn offscreen and saved as
// PNG into IMAGES. With DIALOGS, Qt's own file, print and font dialogs are
// drawn there too, to see that they speak German.
#include "datafiles.h"
#include "dateedit.h"
#include "diarygenerator.h"
#include "reportpreview.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "session.h"
#include "startup.h"
#include "storageerror.h"
#include "tform1.h"
#include "tform2.h"
#include "tform3.h"
#include "tform4.h"
#include "tform5.h"
#include "tform6.h"
#include "tform7.h"
#include "tform8.h"
#include "translations.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cstdio>

namespace {

QString g_folder;
int g_failures = 0;

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

void save(QWidget* window, const QString& name)
{
    if (!window) {
        std::fprintf(stderr, "screenshots: no window for %s\n", qPrintable(name));
        ++g_failures;
        return;
    }
    window->show();
    settle();
    const QString path = g_folder + name + QStringLiteral(".png");
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "screenshots: cannot write %s\n", qPrintable(path));
        ++g_failures;
    }
}

template <typename T>
T* openWindow()
{
    settle();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<T*>(w); window && window->isVisible())
            return window;
    return nullptr;
}

// The latest training days of the busiest person, so the pictures show a
// well-filled diary.
GeneratedDiary makeDiary(const QString& folder)
{
    Session session;
    datafiles::openStorage(session, folder);
    DiarySpec spec;
    spec.years = 2;
    spec.seed = 7;
    spec.firstDay = QDate(2023, 1, 1);
    return generateDiary(session.ZDatabase1, spec);
}

// A new training typed in as the user does: the basic data, a warm-up, a
// series of four intervals and a unit whose pulse is being typed, with the
// zone advice open.
void recordTraining(TForm4* editor)
{
    editor->ToolButton1->click();
    editor->DateEdit1->setText(QStringLiteral("02.01.2025"));
    editor->maskeditL1->setText(QStringLiteral("18:30"));
    editor->ComboBox3->setEditText(QStringLiteral("Laufen"));
    editor->EnhancedEdit1->setText(QStringLiteral("48"));
    editor->EnhancedEdit2->setText(QStringLiteral("79,5"));
    editor->maskeditL3->setText(QStringLiteral("1:05"));
    editor->ComboBox1->setEditText(QStringLiteral("sonnig, kalt"));
    editor->ComboBox2->setCurrentIndex(1); // the newest shoe
    editor->Memo1->setPlainText(QStringLiteral("locker, gute Beine"));
    editor->Memo2->setPlainText(QStringLiteral("Intervalle auf der Bahn"));
    const auto unit = [editor](const QString& km, const QString& time, const QString& pulse, const QString& zone,
                               int repetitions) {
        editor->SpeedButton5->click();
        editor->EnhancedEdit3->setText(km);
        editor->maskeditL2->setText(time);
        editor->EnhancedEdit4->setText(pulse);
        editor->ComboBox4->setCurrentIndex(editor->ComboBox4->findText(zone));
        if (repetitions > 1)
            editor->EnhancedEdit5->setText(QString::number(repetitions));
        editor->Button1->click();
    };
    unit(QStringLiteral("3,0"), QStringLiteral("00:18:00"), QStringLiteral("135"),
         QStringLiteral("Einlaufen / Auslaufen"), 1);
    unit(QStringLiteral("1,0"), QStringLiteral("00:04:05"), QStringLiteral("172"),
         QStringLiteral("Wiederholungsläufe"), 4);
    editor->SpeedButton5->click();
    editor->EnhancedEdit3->setText(QStringLiteral("2,0"));
    editor->maskeditL2->setText(QStringLiteral("00:12:30"));
    editor->EnhancedEdit4->setText(QStringLiteral("140"));
    editor->EnhancedEdit4Exit();
    editor->EnhancedEdit3Exit();
    editor->SpeedButton6->click();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    prepareApplication();
    installGermanTranslations(app);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: screenshots IMAGES [DIALOGS]\n");
        return 2;
    }
    g_folder = QDir(args.at(1)).absolutePath() + QLatin1Char('/');
    QDir().mkpath(g_folder);

    QTemporaryDir programFolder;
    const QString folder = programFolder.path() + QLatin1Char('/');
    GeneratedDiary diary;
    try {
        diary = makeDiary(folder);
    } catch (const StorageError& e) {
        std::fprintf(stderr, "screenshots: %s\n", qPrintable(e.message()));
        return 1;
    }

    auto main = std::make_unique<TForm1>(StartOptions{folder, 0});
    main->ComboBox1->setCurrentIndex(main->ComboBox2->findText(QString::number(diary.busiestUser)));
    // Below the selector the main window is empty: its picture shows the
    // top, as wide as the whole toolbar.
    const QSize size = main->size();
    main->resize(std::max(620, main->ToolBar1->sizeHint().width() + 8), 90);
    save(main.get(), QStringLiteral("hauptfenster"));
    main->resize(size);

    TForm2* users = main->createUserManagement();
    save(users, QStringLiteral("benutzerverwaltung"));
    delete users;

    main->ToolButton1->click();
    auto* shoes = openWindow<TForm3>();
    save(shoes, QStringLiteral("schuhverwaltung"));
    if (shoes)
        shoes->close();

    main->ToolButton10->click();
    auto* zones = openWindow<TForm8>();
    save(zones, QStringLiteral("trainingsbereiche"));
    if (zones)
        zones->close();

    main->ToolButton3->click();
    auto* editor = openWindow<TForm4>();
    save(editor, QStringLiteral("trainingseinheiten"));
    if (editor) {
        editor->ToolButton8->click();
        save(editor, QStringLiteral("listenansicht"));
        editor->ToolButton12->click();
        recordTraining(editor);
        save(editor, QStringLiteral("neuer_eintrag"));
        Messages::setNextAnswer(QMessageBox::No); // the training is not kept
        editor->close();
        Messages::clearQueuedAnswers();
    }

    TForm5::seedColours(3);
    main->ToolButton6->click();
    auto* statistics = openWindow<TForm5>();
    if (statistics) {
        statistics->FromDate1->setText(QStringLiteral("01.01.2024"));
        statistics->TilDate1->setText(QStringLiteral("31.12.2024"));
        statistics->ComboBox3->setCurrentIndex(1);
        save(statistics, QStringLiteral("statistik_bereiche"));
        statistics->ComboBox3->setCurrentIndex(4);
        statistics->ComboBox2->setCurrentIndex(0);
        if (!statistics->BitCheckBox3->isChecked())
            statistics->BitCheckBox3->click();
        save(statistics, QStringLiteral("statistik_strecke"));
        statistics->ComboBox3->setCurrentIndex(7);
        save(statistics, QStringLiteral("statistik_belastung"));
        statistics->ComboBox3->setCurrentIndex(10);
        save(statistics, QStringLiteral("statistik_sportarten"));
        statistics->ComboBox3->setCurrentIndex(1);
        statistics->close();
    }

    main->ToolButton8->click();
    save(openWindow<TForm7>(), QStringLiteral("info"));

    // The diary report of one month with weekly summaries, in its window
    // and its first page as printed.
    main->ToolButton7->click();
    auto* reports = openWindow<TForm6>();
    if (reports) {
        reports->FromDate1->setText(QStringLiteral("01.11.2024"));
        reports->TilDate1->setText(QStringLiteral("30.11.2024"));
        reports->ComboBox3->setCurrentIndex(1);
        if (!reports->BitCheckBox2->isChecked())
            reports->BitCheckBox2->click();
        save(reports, QStringLiteral("trainingsreport"));
        QImage page(1188, 840, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::TextAntialiasing);
            reports->PrintPreview1->document().replay(painter, 0, QRectF(page.rect()));
        }
        if (!page.save(g_folder + QStringLiteral("bericht.png")))
            ++g_failures;
        reports->close();
    } else {
        ++g_failures;
    }

    if (args.size() > 2) {
        g_folder = QDir(args.at(2)).absolutePath() + QLatin1Char('/');
        QDir().mkpath(g_folder);
        QFileDialog files(main.get(), QStringLiteral("Diagramm als Grafik speichern"), folder,
                          QStringLiteral("PNG-Grafiken (*.png)"));
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.setAcceptMode(QFileDialog::AcceptSave);
        files.resize(760, 440);
        save(&files, QStringLiteral("dateidialog"));
        QPrinter printer;
        QPrintDialog print(&printer, main.get());
        save(&print, QStringLiteral("druckdialog"));
        QFontDialog fonts(main.get());
        save(&fonts, QStringLiteral("schriftdialog"));
    }

    main.reset();
    return g_failures == 0 ? 0 : 1;
}
