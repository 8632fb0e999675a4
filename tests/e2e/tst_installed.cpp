#include "datafiles.h"
#include "dateedit.h"
#include "editorinput.h"
#include "maskedit.h"
#include "radiogroup.h"
#include "startup.h"
#include "testsupport.h"
#include "tform1.h"
#include "tform2.h"
#include "tform5.h"
#include "tform6.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace editorinput;

namespace {

// The visible window of the kind that a button has just opened.
template <typename T>
T* openWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<T*>(w); window && window->isVisible())
            return window;
    return nullptr;
}

} // namespace

// The program installed into a temporary prefix as `cmake --install` puts
// it, then used as a person would: the installed program is started in a
// fresh home and stopped by the desktop, and the real windows, with the
// installed folder as the program's folder, record a person and a training
// whose report and chart are written.
class TestInstalled : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void installedTree();
    void installedProgramKeepsItsDiaryWithTheUser();
    void debianPackage();
    void everyUserOfTheComputerStartsTheProgram();
    void trainingRecordedReportedAndCharted();

private:
    // A fresh home whose data, cache and runtime folders are its own.
    static QProcessEnvironment freshHome(const QString& home);
    // Starts the program in a fresh home, which gets the diary, and stops it
    // as the desktop does.
    void startedProgramKeepsItsDiaryWithTheUser(const QString& command, const QString& home);
    static QString run(const QString& program, const QStringList& args, int* exitCode = nullptr);

    QTemporaryDir m_root;
    QString m_prefix;
    QString m_programFolder; // where the installed program file really is
};

QProcessEnvironment TestInstalled::freshHome(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* sub : {"data", "cache", "config", "runtime"})
        QDir().mkpath(home + '/' + sub);
    QFile::setPermissions(home + "/runtime", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert("HOME", home);
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_CACHE_HOME", home + "/cache");
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("XDG_RUNTIME_DIR", home + "/runtime");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

QString TestInstalled::run(const QString& program, const QStringList& args, int* exitCode)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    process.waitForFinished(-1);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAll());
}

void TestInstalled::initTestCase()
{
    initTestEnvironment();
    prepareApplication();
    QVERIFY(m_root.isValid());
    m_prefix = m_root.filePath("prefix");
    int code = 0;
    const QString output = run(TRAMORA_CMAKE, {"--install", TRAMORA_BUILD_DIR, "--prefix", m_prefix}, &code);
    QVERIFY2(code == 0, qPrintable(output));
    m_programFolder = QFileInfo(QFileInfo(m_prefix + "/bin/tramora").canonicalFilePath()).absolutePath();
}

void TestInstalled::installedTree()
{
    // The command on the path leads to the program's own folder, with its
    // resource file, manual and marker beside it.
    QCOMPARE(m_programFolder, QFileInfo(m_prefix + "/lib/tramora").canonicalFilePath());
    for (const char* name : {"tramora", "ressource.rcc", "handbuch.pdf", "tramora.installed"})
        QVERIFY2(QFileInfo::exists(m_programFolder + '/' + name), name);
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (!pdftotext.isEmpty()) {
        const QString manual = run(pdftotext, {m_programFolder + "/handbuch.pdf", "-"});
        QVERIFY2(manual.contains("Trainingseinheiten") && manual.contains("Datensicherung"), qPrintable(manual.left(300)));
    }

    QVERIFY(QSvgRenderer(m_prefix + "/share/icons/hicolor/scalable/apps/tramora.svg").isValid());
    const QString entry = m_prefix + "/share/applications/tramora.desktop";
    QVERIFY(QFileInfo::exists(entry));
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
        QSKIP("desktop-file-validate (desktop-file-utils) is not installed");
    int code = 0;
    const QString complaints = run(validator, {entry}, &code);
    QVERIFY2(code == 0 && !complaints.contains("error"), qPrintable(complaints));
}

void TestInstalled::startedProgramKeepsItsDiaryWithTheUser(const QString& command, const QString& home)
{
    QProcess program;
    program.setProcessEnvironment(freshHome(home));
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(command);
    QVERIFY(program.waitForStarted());
    const QString diary = home + "/data/Tramora/Database/data.fdb";
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(diary) || program.state() == QProcess::NotRunning, 120000);
    QVERIFY2(program.state() == QProcess::Running, program.readAll().constData());
    QVERIFY(QFileInfo::exists(home + "/data/Tramora/config.ini"));

    // The desktop asks it to stop: it ends on its own, successfully.
    program.terminate();
    QVERIFY(program.waitForFinished(120000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QString folder = QFileInfo(QFileInfo(command).canonicalFilePath()).absolutePath();
    QVERIFY(!QFileInfo::exists(folder + "/Database"));
    QVERIFY(!QFileInfo::exists(folder + "/config.ini"));
}

void TestInstalled::installedProgramKeepsItsDiaryWithTheUser()
{
    startedProgramKeepsItsDiaryWithTheUser(m_prefix + "/bin/tramora", m_root.filePath("home-started"));
}

// The Debian package as cpack writes it, unpacked without installing: its
// files, its control fields, dependencies that cover every library the
// program links, and the unpacked program started once.
void TestInstalled::debianPackage()
{
    const QString dpkgDeb = QStandardPaths::findExecutable("dpkg-deb");
    const QString cpack = QFileInfo(TRAMORA_CMAKE).absolutePath() + "/cpack";
    if (dpkgDeb.isEmpty() || QStandardPaths::findExecutable("dpkg-shlibdeps").isEmpty() || !QFileInfo::exists(cpack))
        QSKIP("building the package needs cpack, dpkg-deb and dpkg-shlibdeps (dpkg-dev)");
    const QString out = m_root.filePath("package");
    int code = 0;
    QString output = run(cpack, {"-G", "DEB", "--config", TRAMORA_BUILD_DIR "/CPackConfig.cmake", "-B", out}, &code);
    QVERIFY2(code == 0, qPrintable(output));
    const QStringList debs = QDir(out).entryList({"tramora_*_amd64.deb"}, QDir::Files);
    QCOMPARE(debs, QStringList{"tramora_" TRAMORA_VERSION "_amd64.deb"});
    const QString deb = out + '/' + debs.first();

    // Control fields; no script of the package touches the users' diaries.
    const QString control = run(dpkgDeb, {"-f", deb});
    for (const char* field : {"Package: tramora\n", "Version: " TRAMORA_VERSION "\n", "Architecture: amd64\n",
                              "Maintainer: ", "Description: Trainingstagebuch für Läufer"})
        QVERIFY2(control.contains(QString::fromUtf8(field)), qPrintable(control));
    const QString scripts = m_root.filePath("package-control");
    run(dpkgDeb, {"-e", deb, scripts});
    for (const char* script : {"preinst", "postinst", "prerm", "postrm"})
        QVERIFY2(!QFileInfo::exists(scripts + '/' + script), script);
    QStringList depends;
    for (const QString& line : control.split('\n'))
        if (line.startsWith("Depends: "))
            for (const QString& alternatives : line.mid(9).split(','))
                for (const QString& one : alternatives.split('|'))
                    depends << one.trimmed().section(' ', 0, 0);
    QVERIFY2(depends.contains("firebird3.0-server-core"), qPrintable(control)); // the embedded engine

    const QString root = m_root.filePath("package-root");
    output = run(dpkgDeb, {"-x", deb, root}, &code);
    QVERIFY2(code == 0, qPrintable(output));
    QCOMPARE(QFileInfo(root + "/usr/bin/tramora").symLinkTarget(), QFileInfo(root + "/usr/lib/tramora/tramora").absoluteFilePath());
    for (const char* name : {"lib/tramora/tramora", "lib/tramora/ressource.rcc", "lib/tramora/handbuch.pdf",
                             "lib/tramora/tramora.installed", "share/applications/tramora.desktop",
                             "share/icons/hicolor/scalable/apps/tramora.svg", "share/man/man1/tramora.1.gz",
                             "share/metainfo/org.tramora.tramora.metainfo.xml"})
        QVERIFY2(QFileInfo::exists(root + "/usr/" + name), name);
    QVERIFY(run("gzip", {"-dc", root + "/usr/share/man/man1/tramora.1.gz"}).contains(".SH BESCHREIBUNG"));
    if (const QString appstream = QStandardPaths::findExecutable("appstreamcli"); !appstream.isEmpty()) {
        output = run(appstream, {"validate", "--no-net", root + "/usr/share/metainfo/org.tramora.tramora.metainfo.xml"}, &code);
        QVERIFY2(code == 0, qPrintable(output));
    }

    // Every library the program names is of a package the package depends on.
    const QString program = root + "/usr/lib/tramora/tramora";
    QHash<QString, QString> pathOf;
    for (const QString& line : run("ldd", {program}).split('\n'))
        if (const QStringList parts = line.simplified().split(' '); parts.size() >= 3 && parts[1] == "=>")
            pathOf.insert(parts[0], parts[2]);
    const QString dynamic = run("readelf", {"-d", program});
    static const QRegularExpression needed(QStringLiteral("\\(NEEDED\\).*\\[(.+)\\]"));
    int checked = 0;
    for (auto match = needed.globalMatch(dynamic); match.hasNext();) {
        const QString library = match.next().captured(1);
        QVERIFY2(pathOf.contains(library), qPrintable(library + " is not found"));
        // dpkg knows a file by the path it was unpacked to, /lib or /usr/lib.
        QString owner;
        for (const QString& path : {pathOf.value(library), QFileInfo(pathOf.value(library)).canonicalFilePath()}) {
            int found = 0;
            const QString answer = run("dpkg", {"-S", path}, &found);
            if (found == 0) {
                owner = answer.section(':', 0, 0);
                break;
            }
        }
        QVERIFY2(!owner.isEmpty() && depends.contains(owner), qPrintable(library + " of " + owner + " not in\n" + control));
        ++checked;
    }
    QVERIFY(checked >= 5);

    // The unpacked program starts, keeping its diary in the user's data folder.
    startedProgramKeepsItsDiaryWithTheUser(root + "/usr/bin/tramora", m_root.filePath("home-package"));
}

void TestInstalled::everyUserOfTheComputerStartsTheProgram()
{
    if (::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
        QSKIP("starting the program as other users needs root and setpriv");
    // Two users outside the database engine's group, at the same time.
    ::chmod(QFile::encodeName(m_root.path()).constData(), 0711);
    const QList<uint> users = {65534, 65533};
    std::vector<std::unique_ptr<QProcess>> programs;
    QStringList homes;
    for (uint uid : users) {
        const QString home = m_root.filePath(QStringLiteral("home-%1").arg(uid));
        QProcessEnvironment env = freshHome(home);
        env.remove("FIREBIRD_LOCK");
        QVERIFY(run("chown", {"-R", QStringLiteral("%1:%1").arg(uid), home}).isEmpty());
        auto program = std::make_unique<QProcess>();
        program->setProcessEnvironment(env);
        program->setProcessChannelMode(QProcess::MergedChannels);
        program->start("setpriv", {QStringLiteral("--reuid=%1").arg(uid), QStringLiteral("--regid=%1").arg(uid),
                                   "--clear-groups", m_prefix + "/bin/tramora"});
        QVERIFY(program->waitForStarted());
        programs.push_back(std::move(program));
        homes << home;
    }
    for (qsizetype i = 0; i < homes.size(); ++i) {
        const QString diary = homes[i] + "/data/Tramora/Database/data.fdb";
        QProcess& program = *programs[size_t(i)];
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(diary) || program.state() == QProcess::NotRunning, 120000);
        QVERIFY2(program.state() == QProcess::Running, program.readAll().constData());
    }
    for (auto& program : programs) {
        program->terminate();
        QVERIFY(program->waitForFinished(120000));
        QCOMPARE(program->exitCode(), 0);
    }
}

void TestInstalled::trainingRecordedReportedAndCharted()
{
    const QString home = m_root.filePath("home-driven");
    const QProcessEnvironment env = freshHome(home);
    for (const char* key : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        qputenv(key, env.value(key).toLocal8Bit());
    const datafiles::Location location = datafiles::locate(m_programFolder);
    QCOMPARE(location.folder, home + "/data/Tramora/");
    TForm1 main({location.folder, 0, location.notice, location.settingsPath});
    QVERIFY(main.startedUp());

    // A person, through the user management.
    QTimer::singleShot(0, &main, [] {
        auto* users = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        if (!users)
            return;
        users->BitBtn4->click(); // "Neu"
        users->Edit1->setText("Läufer");
        users->Edit2->setText("Jörg");
        users->RadioGroup1->setItemIndex(0);
        users->maskeditL1->setText("01.02.1970");
        users->maskeditL2->setText("50");
        users->maskeditL3->setText("185");
        users->maskeditL4->setText("075,5");
        users->BitBtn1->click(); // "Speichern"
        users->close();
    });
    main.ToolButton2->click();
    QCOMPARE(main.ComboBox1->currentText(), "Jörg Läufer");
    QVERIFY(!main.ToolButton7->isEnabled());

    // A training: warm-up, three intervals as a series, cool-down.
    main.ToolButton3->click();
    QPointer<TForm4> editor = TForm4::findOpen();
    QVERIFY(editor);
    newEntry(editor, "07.01.2025", "18:30");
    control<QPlainTextEdit>(editor, "Memo2")->setPlainText("Bahntraining mit Jörg");
    enterUnit(editor, "3,0", "00:18:00", "135");
    tool(editor, "SpeedButton5")->click();
    control<NumericEdit>(editor, "EnhancedEdit3")->setText("1,0");
    control<MaskEdit>(editor, "maskeditL2")->setText("00:04:00");
    control<NumericEdit>(editor, "EnhancedEdit5")->setText("3");
    control<QPushButton>(editor, "Button1")->click();
    enterUnit(editor, "2,0", "00:12:00", "130");
    save(editor);
    if (!Messages::shown().isEmpty())
        QFAIL(qPrintable(Messages::shown().last().text));
    QCOMPARE(rows(main.session(), "SELECT Strecke FROM units ORDER BY SubID"), "3,1,1,1,2");
    editor->close();
    QTRY_VERIFY(editor.isNull());
    QVERIFY(main.ToolButton6->isEnabled() && main.ToolButton7->isEnabled());

    // The diary report of January with weekly summaries, saved as PDF
    // through the report window and read back as text.
    main.ToolButton7->click();
    auto* reports = openWindow<TForm6>();
    QVERIFY(reports);
    reports->FromDate1->setText("01.01.2025");
    reports->TilDate1->setText("31.01.2025");
    reports->ComboBox3->setCurrentIndex(1);
    if (!reports->BitCheckBox2->isChecked())
        reports->BitCheckBox2->click();
    const QString pdf = home + "/bericht.pdf";
    QVERIFY(reports->savePdf(pdf));
    reports->close();
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (!pdftotext.isEmpty()) {
        const QString text = run(pdftotext, {"-layout", pdf, "-"});
        for (const char* expected : {"07.01.2025", "18:30", "Laufen", "8,0 km", "4:00", "Bahntraining mit Jörg", "KW 2/2025"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), qPrintable(expected + ("\n" + text)));
    }

    // The distance chart of January, saved as PNG and SVG.
    main.ToolButton6->click();
    auto* statistics = openWindow<TForm5>();
    QVERIFY(statistics);
    statistics->FromDate1->setText("01.01.2025");
    statistics->TilDate1->setText("31.01.2025");
    statistics->ComboBox3->setCurrentIndex(4);
    QVERIFY(statistics->saveChart(home + "/strecke.png", 4));
    QVERIFY(statistics->saveChart(home + "/strecke.svg", 5));
    QVERIFY(!QImage(home + "/strecke.png").isNull());
    QSvgRenderer svg(home + "/strecke.svg");
    QVERIFY(svg.isValid());
    QVERIFY(readBytes(home + "/strecke.svg").contains("8,0 km"));
    statistics->close();

    QVERIFY(!QFileInfo::exists(m_programFolder + "/Database"));
}

QTEST_MAIN(TestInstalled)
#include "tst_installed.moc"
