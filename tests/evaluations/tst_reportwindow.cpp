#include "chart.h"
#include "dateedit.h"
#include "editorfixture.h"
#include "openedurls.h"
#include "panelchecks.h"
#include "inifile.h"
#include "reportpreview.h"
#include "tform5.h"
#include "textforms.h"
#include "tform6.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <optional>

// The report window on a small diary, driven through its controls.
class TestReportWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EditorFixture> fx;
    int user = 0;

    template<typename T>
    static T* top()
    {
        T* found = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<T*>(w); f && f->isVisible())
                found = f;
        return found;
    }
    TForm6* open()
    {
        fx->main().ShowUsers();
        fx->main().ComboBox1->setCurrentIndex(fx->main().ComboBox2->findText(QString::number(user)));
        fx->main().ComboBox1Change();
        fx->main().ToolButton7->click();
        return top<TForm6>();
    }
    static void compose(TForm6* f, const QString& from, const QString& to)
    {
        f->FromDate1->setText(from);
        f->TilDate1->setText(to);
        f->ComboBox3->setCurrentIndex(1);
    }
    // The states of first, previous, next and last.
    static QString paging(TForm6* f)
    {
        QString states;
        for (QToolButton* b : {f->SpeedButton9, f->SpeedButton6, f->SpeedButton7, f->SpeedButton8})
            states += b->isEnabled() ? u'1' : u'0';
        return states;
    }
    static QStringList texts(const pages::Document& document)
    {
        QStringList out;
        for (int p = 0; p < document.pageCount(); ++p)
            for (const pages::Command& c : document.page(p).commands)
                if (c.kind == pages::Command::Kind::Text)
                    out << c.text;
        return out;
    }
    static QString pdfText(const QString& path)
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (tool.isEmpty())
            return {};
        QProcess process;
        process.start(tool, {QStringLiteral("-layout"), path, QStringLiteral("-")});
        process.waitForFinished(-1);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    }
    void init()
    {
        fx = std::make_unique<EditorFixture>();
        user = fx->addUser();
        // Twenty-five runs in January 2025: a report of three pages.
        for (int day = 1; day <= 25; ++day) {
            const int entry = fx->addEntry(user, QStringLiteral("%1.01.2025").arg(day, 2, 10, QLatin1Char('0')));
            fx->addUnit(entry, 1, QStringLiteral("10"), QStringLiteral("00:50:00"));
        }
    }
    void cleanup()
    {
        fx.reset();
        Messages::clearShown();
    }

    void composeAndPage()
    {
        TForm6* f = open();
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), QStringLiteral("Trainingsreports Max Muster"));
        QCOMPARE(f->statusText(), QStringLiteral("Seite:    "));
        // The first opening shows the last twelve months.
        QCOMPARE(f->FromDate1->date(), QDate::currentDate().addYears(-1).addDays(1));
        QCOMPARE(f->TilDate1->date(), QDate::currentDate());
        QCOMPARE(f->ComboBox4->currentText(), QStringLiteral("letzte 12 Monate"));
        QVERIFY(!f->SpeedButton1->isEnabled() && !f->SpeedButton2->isEnabled() && !f->SpeedButton4->isEnabled());
        QCOMPARE(paging(f), QStringLiteral("0000"));
        QVERIFY(f->PrintPreview1->isFitted());

        QStringList titles;
        connect(f, &QWidget::windowTitleChanged, this, [&](const QString& t) { titles << t; });
        compose(f, QStringLiteral("01.01.2025"), QStringLiteral("31.01.2025"));
        QCOMPARE(titles.value(0), QStringLiteral("Auswertungen - Erstelle Seiten..."));
        QCOMPARE(f->windowTitle(), QStringLiteral("Trainingsreports Max Muster"));
        const int pages = f->PrintPreview1->pageCount();
        QCOMPARE(pages, 3);
        QCOMPARE(f->statusText(), QStringLiteral("Seite: 1/3   "));
        QCOMPARE(paging(f), QStringLiteral("0011"));
        // Set TRAMORA_REPORT_PICTURES to a folder to look at the window.
        if (const QString folder = qEnvironmentVariable("TRAMORA_REPORT_PICTURES"); !folder.isEmpty())
            f->grab().save(folder + QStringLiteral("/reportwindow.png"));
        QVERIFY(f->SpeedButton1->isEnabled() && f->SpeedButton2->isEnabled() && f->SpeedButton5->isEnabled());

        f->SpeedButton7->click();
        QCOMPARE(f->statusText(), QStringLiteral("Seite: 2/3   "));
        QCOMPARE(paging(f), QStringLiteral("1111"));
        f->SpeedButton7->click();
        QCOMPARE(paging(f), QStringLiteral("1100"));
        QCOMPARE(f->PrintPreview1->currentPage(), 3);
        f->SpeedButton6->click();
        f->SpeedButton6->click();
        QCOMPARE(paging(f), QStringLiteral("0011"));
        f->SpeedButton8->click();
        QCOMPARE(f->statusText(), QStringLiteral("Seite: 3/3   "));
        QCOMPARE(paging(f), QStringLiteral("1100"));
        f->SpeedButton9->click();
        QCOMPARE(f->statusText(), QStringLiteral("Seite: 1/3   "));
        QCOMPARE(paging(f), QStringLiteral("0011"));
        QTest::keyClick(f->PrintPreview1, Qt::Key_PageDown);
        QCOMPARE(f->statusText(), QStringLiteral("Seite: 2/3   "));
        QTest::keyClick(f->PrintPreview1, Qt::Key_PageUp);
        QTest::keyClick(f->PrintPreview1, Qt::Key_PageUp); // stays on page 1
        QCOMPARE(f->statusText(), QStringLiteral("Seite: 1/3   "));
        QCOMPARE(paging(f), QStringLiteral("0011"));

        // Back to no report: the pages stay, print and save go.
        f->ComboBox3->setCurrentIndex(0);
        QCOMPARE(f->PrintPreview1->pageCount(), 3);
        QVERIFY(!f->SpeedButton1->isEnabled() && !f->SpeedButton2->isEnabled());

        // One page: next stays on it and then goes out of use.
        compose(f, QStringLiteral("01.01.2025"), QStringLiteral("02.01.2025"));
        QCOMPARE(f->statusText(), QStringLiteral("Seite: 1/1   "));
        QCOMPARE(paging(f), QStringLiteral("0011"));
        f->SpeedButton7->click();
        QCOMPARE(f->PrintPreview1->currentPage(), 1);
        QCOMPARE(paging(f), QStringLiteral("0000"));

        // A period without entries says so, over the window.
        Messages::setNextAnswer(QMessageBox::Ok);
        f->FromDate1->setText(QStringLiteral("01.01.2024"));
        f->TilDate1->setText(QStringLiteral("31.01.2024"));
        QVERIFY(!Messages::shown().isEmpty());
        QCOMPARE(Messages::shown().last().text,
                 QStringLiteral("Im Abfragezeitraum haben Sie keine Trainingseinheiten absolviert."));
        QCOMPARE(f->PrintPreview1->pageCount(), 1);
        QVERIFY(!f->SpeedButton1->isEnabled() && !f->SpeedButton2->isEnabled());
        // The same date written in full is no new period; half a date composes
        // nothing and leaves nothing to print.
        const qsizetype boxes = Messages::shown().size();
        Messages::setNextAnswer(QMessageBox::Ok);
        f->FromDate1->setText(QStringLiteral("1.1.2023"));
        f->FromDate1->setText(QStringLiteral("01.01.2023"));
        QCOMPARE(Messages::shown().size(), boxes + 1);
        f->FromDate1->setText(QStringLiteral("01.01.202"));
        QVERIFY(!f->SpeedButton1->isEnabled() && !f->SpeedButton2->isEnabled());

        // Zoom: fitted at first, then steps of 10 between 10 and 500.
        f->SpeedButton4->click();
        QVERIFY(!f->PrintPreview1->isFitted());
        QCOMPARE(f->PrintPreview1->zoom() % 10, 0);
        for (int i = 0; i < 60; ++i)
            f->SpeedButton4->click();
        QCOMPARE(f->PrintPreview1->zoom(), 500);
        for (int i = 0; i < 60; ++i)
            f->SpeedButton5->click();
        QCOMPARE(f->PrintPreview1->zoom(), 10);
        f->close();
    }

    void summaryBoxes()
    {
        TForm6* f = open();
        // Before a report is chosen the boxes are out of use.
        QVERIFY(!f->BitCheckBox1->isEnabled() && !f->BitCheckBox2->isEnabled() && !f->BitCheckBox3->isEnabled());
        compose(f, QStringLiteral("01.01.2025"), QStringLiteral("31.01.2025"));
        QVERIFY(f->BitCheckBox2->isEnabled() && f->BitCheckBox3->isEnabled());
        QVERIFY(!f->BitCheckBox1->isEnabled()); // only with "wöchentlich"

        f->BitCheckBox2->click();
        QVERIFY(f->BitCheckBox1->isEnabled());
        f->BitCheckBox1->click();
        QCOMPARE(f->BitCheckBox1->checkState(), Qt::Checked);
        f->BitCheckBox3->click();
        const QStringList both = texts(f->PrintPreview1->document());
        QVERIFY(both.contains(QStringLiteral("KW 1/2025")));
        QVERIFY(both.contains(QStringLiteral("Januar 2025")));

        f->BitCheckBox2->click(); // unchecked: the weekly choice greys its companion
        QCOMPARE(f->BitCheckBox1->checkState(), Qt::PartiallyChecked);
        QVERIFY(!f->BitCheckBox1->isEnabled());
        QVERIFY(!texts(f->PrintPreview1->document()).contains(QStringLiteral("KW 1/2025")));
        f->BitCheckBox2->click();
        QCOMPARE(f->BitCheckBox1->checkState(), Qt::Checked);

        f->ComboBox3->setCurrentIndex(0);
        for (QCheckBox* box : {f->BitCheckBox1, f->BitCheckBox2, f->BitCheckBox3}) {
            QCOMPARE(box->checkState(), Qt::PartiallyChecked);
            QVERIFY(!box->isEnabled());
        }
        f->ComboBox3->setCurrentIndex(1);
        QCOMPARE(f->BitCheckBox1->checkState(), Qt::Checked);
        QVERIFY(f->BitCheckBox1->isEnabled());
        f->close();
    }

    void settingsAndFont()
    {
        const QStringList families = QFontDatabase::families();
        QVERIFY(!families.isEmpty());
        const QString family = families.last();

        TForm6* f = open();
        compose(f, QStringLiteral("01.01.2025"), QStringLiteral("31.01.2025"));
        f->BitCheckBox3->click();
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->currentFont().pointSize(), 9);
            dialog->setCurrentFont(QFont(family, 9));
            dialog->accept();
        });
        f->SpeedButton10->click();
        QCOMPARE(f->reportFont(), family);
        const pages::Command& first = f->PrintPreview1->document().page(0).commands.constFirst();
        QCOMPARE(first.font.name, family);
        f->ComboBox3->setCurrentIndex(0); // the monthly choice greyed, still kept
        QPointer<TForm6> closing = f;
        f->close();
        QTRY_VERIFY(closing.isNull());

        const IniFile ini(fx->session().settingsPath);
        QCOMPARE(ini.readString(QStringLiteral("Report"), QStringLiteral("StartDate"), {}), QStringLiteral("01.01.2025"));
        QCOMPARE(ini.readString(QStringLiteral("Report"), QStringLiteral("Font"), {}), family);
        QVERIFY(ini.readBool(QStringLiteral("Report"), QStringLiteral("SummaryMonth"), false));
        QVERIFY(!ini.readBool(QStringLiteral("Report"), QStringLiteral("SummaryWeek"), true));

        f = open();
        QCOMPARE(f->TilDate1->text(), QStringLiteral("31.01.2025"));
        QCOMPARE(f->reportFont(), family);
        f->ComboBox3->setCurrentIndex(1);
        QCOMPARE(f->BitCheckBox3->checkState(), Qt::Checked);

        // Ending the program with the window open keeps its settings too.
        f->TilDate1->setText(QStringLiteral("28.02.2025"));
        fx->main().close();
        QCOMPARE(IniFile(fx->session().settingsPath).readString(QStringLiteral("Report"), QStringLiteral("EndDate"), {}),
                 QStringLiteral("28.02.2025"));
    }

    void printAndSave()
    {
        TForm6* f = open();
        compose(f, QStringLiteral("01.01.2025"), QStringLiteral("31.01.2025"));

        // The print dialog offers the pages of the report.
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->minPage(), 1);
            QCOMPARE(dialog->maxPage(), 3);
            QCOMPARE(dialog->printer()->fromPage(), 1);
            QCOMPARE(dialog->printer()->toPage(), 3);
            dialog->reject();
        });
        f->SpeedButton1->click();

        // Pages 2 and 3 of 3 onto a printer that writes PDF.
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(fx->folder().file(QStringLiteral("printed.pdf")));
        QStringList titles;
        connect(f, &QWidget::windowTitleChanged, this, [&](const QString& t) { titles << t; });
        QVERIFY(f->printPages(printer, {2, 3}));
        QCOMPARE(titles.value(0), QStringLiteral("Auswertungen - Aufbereitung der Druckdaten..."));
        QCOMPARE(titles.value(1), Messages::applicationTitle() + QStringLiteral(" - Drucke Seite 2 von 3 (0 % erledigt)..."));
        QCOMPARE(titles.value(2), Messages::applicationTitle() + QStringLiteral(" - Drucke Seite 3 von 3 (50 % erledigt)..."));
        QCOMPARE(f->windowTitle(), QStringLiteral("Trainingsreports Max Muster"));
        const QString printed = pdfText(printer.outputFileName());
        if (!printed.isEmpty()) {
            QCOMPARE(printed.count(u'\f'), 2);
            QVERIFY(!printed.contains(QStringLiteral("02.01.2025")));
            QVERIFY(printed.contains(QStringLiteral("25.01.2025")));
        }

        // Saving through the dialog: it starts in the documents folder with a
        // name of the person and the period, then the file is opened.
        OpenedUrls opened;
        std::optional<ViewerLookup> viewer(std::in_place, "pdfviewer.desktop");
        const QString path = fx->folder().file(QStringLiteral("bericht"));
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const auto saveAs = [&](const QString& folder, const QString& file) {
            QTimer::singleShot(0, this, [=] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(folder).canonicalPath());
                QCOMPARE(dialog->nameFilters(), QStringList(QStringLiteral("PDF-Datei (*.pdf)")));
                QCOMPARE(QFileInfo(dialog->selectedFiles().value(0)).fileName(),
                         QStringLiteral("Trainingsreport Max Muster 01.01.2025-31.01.2025.pdf"));
                dialog->selectFile(file);
                static_cast<QDialog*>(dialog)->accept();
            });
            f->SpeedButton2->click();
        };
        // The viewer starts without the block of the quit signals that the
        // program keeps for itself; the block is back afterwards.
        sigset_t quit;
        sigemptyset(&quit);
        sigaddset(&quit, SIGTERM);
        sigset_t unblocked;
        pthread_sigmask(SIG_BLOCK, &quit, &unblocked);
        saveAs(documents, path);
        sigset_t after;
        pthread_sigmask(SIG_SETMASK, &unblocked, &after);
        QCOMPARE(opened.paths(), QStringList(path + QStringLiteral(".pdf")));
        QCOMPARE(opened.termBlocked, QList<bool>{false});
        QCOMPARE(sigismember(&after, SIGTERM), 1);
        if (const QString info = QStandardPaths::findExecutable(QStringLiteral("pdfinfo")); !info.isEmpty()) {
            QProcess process;
            process.start(info, {path + QStringLiteral(".pdf")});
            process.waitForFinished(-1);
            const QString title = QString::fromUtf8(process.readAllStandardOutput()).section(u'\n', 0, 0);
            QCOMPARE(title.mid(6).trimmed(), QStringLiteral("Trainingsreport Max Muster 01.01.2025-31.01.2025"));
        }
        // The next dialog starts where the last file went.
        saveAs(fx->folder().path(), path + QStringLiteral("2.pdf"));
        QCOMPARE(opened.paths().size(), 2);
        // Without a program for PDF files the user learns where the report went.
        viewer.emplace("");
        Messages::clearShown();
        Messages::setNextAnswer(QMessageBox::Ok);
        saveAs(fx->folder().path(), path + QStringLiteral("3.pdf"));
        viewer.reset();
        QCOMPARE(opened.paths().size(), 2);
        QCOMPARE(Messages::shown().size(), 1);
        QCOMPARE(Messages::shown().first().text,
                 QStringLiteral("Der Bericht wurde gespeichert, kann aber nicht angezeigt werden: Es wurde kein Programm "
                                "gefunden, das PDF-Dateien anzeigen kann.\n\rDer Bericht liegt unter:\n\r")
                     + QDir::toNativeSeparators(path + QStringLiteral("3.pdf")));
        const QString saved = pdfText(path + QStringLiteral(".pdf"));
        if (!saved.isEmpty()) {
            QCOMPARE(saved.count(u'\f'), 3);
            QVERIFY(saved.contains(QStringLiteral("25.01.2025")));
        }

        // A file that cannot be written is reported and nothing is opened;
        // an existing file stays as it was.
        Messages::setNextAnswer(QMessageBox::Ok);
        QVERIFY(!f->savePdf(fx->folder().file(QStringLiteral("missing/bericht.pdf"))));
        QCOMPARE(Messages::shown().last().text, QStringLiteral("Der Bericht konnte nicht als PDF gespeichert werden."));
        QCOMPARE(opened.paths().size(), 2);
        const QByteArray before = readBytes(path + QStringLiteral(".pdf"));
        QFile(fx->folder().path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        Messages::setNextAnswer(QMessageBox::Ok);
        const bool refused = !f->savePdf(path + QStringLiteral(".pdf"));
        QFile(fx->folder().path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (refused) // root writes anywhere
            QCOMPARE(readBytes(path + QStringLiteral(".pdf")), before);
        f->close();
    }

    // Quick periods set both dates and compose once; a date typed makes the
    // period the user's own again.
    void quickPeriods()
    {
        TForm6* f = open();
        compose(f, QStringLiteral("01.01.2025"), QStringLiteral("05.01.2025"));
        QCOMPARE(f->ComboBox4->currentIndex(), 0);
        int composed = 0;
        connect(f->PrintPreview1, &ReportPreview::endDocument, this, [&] { ++composed; });
        f->ComboBox4->setCurrentIndex(5); // "alles": the first to the last entry
        QCOMPARE(f->FromDate1->text(), QStringLiteral("01.01.2025"));
        QCOMPARE(f->TilDate1->text(), QStringLiteral("25.01.2025"));
        QCOMPARE(composed, 1);
        QCOMPARE(f->PrintPreview1->pageCount(), 3);
        const QDate today = QDate::currentDate();
        const QList<QPair<QString, QDate>> starts{{QStringLiteral("letzte 4 Wochen"), today.addDays(-27)},
                                                 {QStringLiteral("dieser Monat"), QDate(today.year(), today.month(), 1)},
                                                 {QStringLiteral("dieses Jahr"), QDate(today.year(), 1, 1)},
                                                 {QStringLiteral("letzte 12 Monate"), today.addYears(-1).addDays(1)}};
        for (const auto& [caption, start] : starts) {
            if (start > QDate(2025, 1, 25))
                Messages::setNextAnswer(QMessageBox::Ok); // no trainings in the period
            f->ComboBox4->setCurrentIndex(f->ComboBox4->findText(caption));
            QCOMPARE(f->FromDate1->date(), start);
            QCOMPARE(f->TilDate1->date(), today);
        }
        QCOMPARE(composed, 5);
        f->FromDate1->setText(QStringLiteral("01.01.2025"));
        QCOMPARE(f->ComboBox4->currentText(), QStringLiteral("benutzerdefiniert"));
        f->close();

        // The statistics window has the same list, out of use with the dates.
        fx->main().ToolButton6->click();
        TForm5* statistics = top<TForm5>();
        QVERIFY(statistics);
        statistics->ComboBox3->setCurrentIndex(4);
        statistics->ComboBox5->setCurrentIndex(5);
        QCOMPARE(statistics->chart().title.value(0), QStringLiteral("Trainingskilometer vom 01.01.2025 bis 25.01.2025"));
        QCOMPARE(statistics->chart().line.size() + statistics->chart().bars.size(), 25);
        statistics->ComboBox3->setCurrentIndex(6);
        QVERIFY(!statistics->ComboBox5->isEnabled());
        statistics->close();
    }

    // A saved period at the next opening: an end that was the day of saving
    // is today, a quick period is taken anew, any other period (and that of
    // a settings file without the day of saving) stays as it was.
    void periodsAtTheNextOpening()
    {
        const QDate today = QDate::currentDate();
        const QString savedDay = QStringLiteral("03.02.2025");
        auto reopened = [&](const QString& end, const QString& savedOn, int quick) {
            IniFile ini(fx->session().settingsPath);
            for (const char* section : {"Report", "Statistik"}) {
                ini.writeString(QLatin1String(section), QStringLiteral("StartDate"), QStringLiteral("01.01.2025"));
                ini.writeString(QLatin1String(section), QStringLiteral("EndDate"), end);
                ini.writeString(QLatin1String(section), QStringLiteral("SavedOn"), savedOn);
                ini.writeInteger(QLatin1String(section), QStringLiteral("QuickPeriod"), quick);
            }
            ini.commit();
            TForm6* f = open();
            const QString period = f->FromDate1->text() + u'-' + f->TilDate1->text();
            f->close();
            fx->main().ToolButton6->click();
            TForm5* statistics = top<TForm5>();
            const QString same = statistics->FromDate1->text() + u'-' + statistics->TilDate1->text();
            statistics->close();
            return period == same ? period : period + QStringLiteral(" against ") + same;
        };
        QCOMPARE(reopened(savedDay, savedDay, 0), QStringLiteral("01.01.2025-") + dateText(today));
        QCOMPARE(reopened(QStringLiteral("31.01.2025"), savedDay, 0), QStringLiteral("01.01.2025-31.01.2025"));
        QCOMPARE(reopened(savedDay, QString(), 0), QStringLiteral("01.01.2025-03.02.2025"));
        fx->addEntry(user, QStringLiteral("10.02.2025"));
        QCOMPARE(reopened(QStringLiteral("25.01.2025"), savedDay, 5), QStringLiteral("01.01.2025-10.02.2025"));

        // Closing keeps the day and the quick period shown.
        TForm6* f = open();
        f->ComboBox4->setCurrentIndex(3);
        f->close();
        const IniFile ini(fx->session().settingsPath);
        QCOMPARE(ini.readString(QStringLiteral("Report"), QStringLiteral("SavedOn"), {}), dateText(today));
        QCOMPARE(ini.readInteger(QStringLiteral("Report"), QStringLiteral("QuickPeriod"), 0), 3);
        QCOMPARE(ini.readString(QStringLiteral("Report"), QStringLiteral("StartDate"), {}),
                 dateText(QDate(today.year(), 1, 1)));
    }

    // The preview takes the room of a larger window; a small one keeps the
    // bar and the panel at the top left and scrolls the panel, nothing cut off.
    void growsAndShrinks()
    {
        TForm6* f = open();
        compose(f, QStringLiteral("01.01.2025"), QStringLiteral("31.01.2025"));
        for (const char* name : {"Panel3", "SpeedButton1", "SpeedButton10", "StatusBar1", "ComboBox3", "ComboBox4",
                                 "FromDate1", "TilDate1", "BitCheckBox1", "BitCheckBox2", "BitCheckBox3", "PrintPreview1"})
            QVERIFY2(f->findChild<QWidget*>(QLatin1String(name)), name);
        auto* area = f->findChild<QScrollArea*>(QStringLiteral("ScrollBox1"));
        QVERIFY(area);
        f->resize(1400, 1000);
        QApplication::processEvents();
        QCOMPARE(f->PrintPreview1->geometry(),
                 QRect(area->width(), f->Panel3->height(), 1400 - area->width(), 1000 - f->Panel3->height()));
        QCOMPARE(f->StatusBar1->geometry().right(), 1400 - 138 + 100 - 1);
        const QPoint combo = f->ComboBox3->mapTo(f, QPoint(0, 0));
        QCOMPARE(cutOrUnreachable(area).join(u';'), QString());

        f->resize(100, 100); // held at the smallest size
        QApplication::processEvents();
        QVERIFY2(f->width() <= 640 && f->height() <= 400, qPrintable(QStringLiteral("%1 x %2").arg(f->width()).arg(f->height())));
        QVERIFY(f->PrintPreview1->width() >= 360 && f->PrintPreview1->height() >= 260);
        QVERIFY(area->verticalScrollBar()->isVisible());
        if (const QString folder = qEnvironmentVariable("TRAMORA_REPORT_PICTURES"); !folder.isEmpty())
            f->grab().save(folder + QStringLiteral("/reportwindow-smallest.png"));
        QCOMPARE(f->ComboBox3->mapTo(f, QPoint(0, 0)), combo);
        QCOMPARE(cutOrUnreachable(area).join(u';'), QString());
        // The bar's buttons and the status bar stay whole and apart.
        QVERIFY(f->SpeedButton2->geometry().right() < f->StatusBar1->geometry().left());
        QVERIFY(f->StatusBar1->geometry().right() < f->Panel3->width());
        f->close();
    }

    void windowsOpenEachOther()
    {
        TForm6* f = open();
        QPointer<TForm6> reports = f;
        f->SpeedButton3->click();
        QTRY_VERIFY(reports.isNull());
        TForm5* statistics = top<TForm5>();
        QVERIFY(statistics);
        QCOMPARE(statistics->windowTitle(), QStringLiteral("Statistiken Max Muster"));
        QVERIFY(statistics->SpeedButton3->isEnabled());
        QPointer<TForm5> closing = statistics;
        statistics->SpeedButton3->click();
        QTRY_VERIFY(closing.isNull());
        QVERIFY(top<TForm6>());
        top<TForm6>()->close();
    }
};

QTEST_MAIN(TestReportWindow)
#include "tst_reportwindow.moc"
