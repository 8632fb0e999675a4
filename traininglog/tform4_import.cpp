#include "tform4.h"

#include "dateedit.h"
#include "diarycalc.h"
#include "maskedit.h"
#include "diaryimport.h"
#include "errorboundary.h"
#include "messages.h"
#include "numericedit.h"
#include "session.h"
#include "storageerror.h"
#include "stringgrid.h"
#include "textforms.h"
#include "watchfolder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QToolButton>

namespace {

const QString kImportTitle = QStringLiteral("Trainings übernehmen");
const QString kFolderSection = QStringLiteral("Ordner");
const QString kFolderKey = QStringLiteral("Import");

bool isFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

// The folder the last import came from while it exists, else the
// documents folder, else home.
QString importFolder(const Session& session)
{
    QString last;
    guarded(nullptr, [&] {
        last = session.settings().readString(kFolderSection, kFolderKey, QString());
    });
    if (isFolder(last))
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return isFolder(documents) ? documents : QDir::homePath();
}

void rememberImportFolder(const Session& session, const QString& chosen)
{
    const QFileInfo info(chosen);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    // A settings file that cannot be written only costs the start folder.
    try {
        IniFile settings = session.settings();
        settings.writeString(kFolderSection, kFolderKey, folder);
        settings.commit();
    } catch (const StorageError&) {
    }
}

QStringList localFiles(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

// The unit row of the grid for an imported unit, as the draft keeps it:
// five cells and the distance as stored.
QStringList unitCells(int number, const exchange::ImportedUnit& unit)
{
    const QString time = unit.seconds < 0 ? QString() : timeText(QTime(0, 0).addSecs(unit.seconds));
    return {QString::number(number) + QStringLiteral(". "),
            entryDistanceText(unit.km) + QStringLiteral(" km "),
            time,
            unit.pulse < 0 ? QString() : QString::number(unit.pulse),
            unit.zone,
            QString::number(unit.km, 'g', 17)};
}

} // namespace

void TForm4::ImportButtonClick()
{
    QFileDialog dialog(this, kImportTitle, importFolder(m_session),
                       QStringLiteral("Trainingsdateien (*.fit *.FIT *.tcx *.gpx)"));
    dialog.setObjectName(QStringLiteral("ImportDialog"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    importPaths(dialog.selectedFiles());
}

void TForm4::importPaths(const QStringList& chosen)
{
    if (chosen.isEmpty())
        return;
    if (ToolButton8->isChecked())
        ToolButton12Click(); // the imported entry is seen in the form
    rememberImportFolder(m_session, chosen.first());
    const QStringList files = exchange::trainingFiles(chosen);
    if (files.isEmpty()) {
        Messages::show(this, QMessageBox::Information, kImportTitle,
                       QStringLiteral("In der Auswahl ist keine Trainingsdatei (FIT, TCX oder GPX)."), QMessageBox::Ok);
        return;
    }
    guarded(this, [&] {
        exchange::DiaryImport import(m_session.ZDatabase1, userId());
        // One file chosen (not a folder that holds one) comes into the form.
        if (files.size() == 1 && chosen.size() == 1 && !QFileInfo(chosen.first()).isDir()) {
            const exchange::FileTrainings one =
                exchange::readTrainingFile(files.first(), import.zones(), import.birthday());
            if (!one.ok()) {
                Messages::show(this, QMessageBox::Warning, kImportTitle,
                               QFileInfo(files.first()).fileName() + QStringLiteral(": ") + one.reason,
                               QMessageBox::Ok);
                return;
            }
            if (one.entries.size() == 1) {
                showImportedEntry(one.entries.first(), import);
                return;
            }
        }
        importFiles(files, import);
    });
}

void TForm4::showImportedEntry(const exchange::ImportedEntry& entry, const exchange::DiaryImport& import)
{
    const QString present = import.presentId(entry);
    if (!present.isEmpty()) {
        Messages::show(this, QMessageBox::Information, kImportTitle,
                       QStringLiteral("Dieses Training vom %1, %2 Uhr ist schon im Tagebuch; es wird angezeigt.")
                           .arg(dateText(entry.date), entry.time.toString(QStringLiteral("hh:mm"))),
                       QMessageBox::Ok);
        if (askToSaveChanges()) {
            CheckMain(false);
            const qsizetype at = m_model.ids().indexOf(present);
            if (at >= 0)
                showEntryAt(int(at));
        }
        return;
    }
    if (!askToSaveChanges())
        return;
    m_model.setDirty(false); // the input shown before was let go
    EditorDraft::Content content;
    content.userId = userId();
    content.fields.insert(DateEdit1->objectName(), dateText(entry.date));
    content.fields.insert(maskeditL1->objectName(), entry.time.toString(QStringLiteral("hh:mm")));
    content.fields.insert(ComboBox3->objectName(), entry.sport);
    // The person's weight and resting pulse of today, which the new entry
    // starts with, say nothing of an older training.
    if (!exchange::takesUsualValues(entry.date, QDate::currentDate())) {
        content.fields.insert(EnhancedEdit1->objectName(), QString());
        content.fields.insert(EnhancedEdit2->objectName(), QString());
    }
    content.fields.insert(maskeditL3->objectName(),
                          QStringLiteral("%1:%2")
                              .arg(entry.minutes / 60, 2, 10, QLatin1Char('0'))
                              .arg(entry.minutes % 60, 2, 10, QLatin1Char('0')));
    for (int i = 0; i < entry.units.size(); ++i)
        content.units << unitCells(i + 1, entry.units[i]);
    restoreDraft(content);
    // Kept until the entry is saved; a new entry or paging away drops it.
    m_model.setPendingCourse(entry.course);
    ComboBox3Exit(); // a sport new to the list is offered from now on
    setDirty();
}

void TForm4::importFiles(const QStringList& files, exchange::DiaryImport& import)
{
    QProgressDialog progress(QStringLiteral("Trainings werden übernommen …"), QStringLiteral("Abbrechen"), 0,
                             int(files.size()), this);
    progress.setObjectName(QStringLiteral("ImportProgress"));
    progress.setWindowTitle(kImportTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    // As wide as a long file name needs, so that the box does not jump.
    progress.setMinimumWidth(progress.fontMetrics().averageCharWidth() * 60);
    const exchange::ImportSummary summary =
        import.importFiles(files, [&](int done, int total, const QString& path) {
            if (progress.wasCanceled())
                return false;
            if (!path.isEmpty())
                progress.setLabelText(QStringLiteral("Datei %1 von %2: %3")
                                          .arg(done + 1)
                                          .arg(total)
                                          .arg(QFileInfo(path).fileName()));
            progress.setValue(done);
            return !progress.wasCanceled();
        });
    progress.close();

    for (const QString& sport : summary.sports)
        offerItem(ComboBox3, sport);
    // The list, the total and the shoe mileage once, for all of them.
    if (summary.taken > 0) {
        forgetDiarySums();
        const QString shown = Label16->text();
        // The entry the paging starts from, while a new one is being typed.
        const QString current = m_model.ids().value(m_model.position());
        const bool wasEmpty = m_model.ids().isEmpty();
        CheckMain(false);
        qsizetype at = m_model.ids().indexOf(shown);
        if (at < 0 && m_model.dirty())
            at = m_model.ids().indexOf(current);
        if (at >= 0) {
            m_model.setPosition(int(at));
            showPlace();
        } else if (!m_model.dirty() && (wasEmpty || shown == QLatin1String("-1"))) {
            // Nothing of the user's was shown: the newest entry is.
            showEntryAt(int(m_model.ids().size()) - 1);
        }
        ToolButton13->setEnabled(!m_model.ids().isEmpty());
        showCourseButton(); // a course may have been added to the entry shown
        showTotalDistance();
        GetDistShoe();
        Q_EMIT diaryChanged();
    }
    const QMessageBox::Icon icon = !summary.failure.isEmpty()                            ? QMessageBox::Critical
                                   : summary.refused.isEmpty() && !summary.cancelled ? QMessageBox::Information
                                                                                      : QMessageBox::Warning;
    Messages::show(this, icon, kImportTitle, summary.text(), QMessageBox::Ok, QMessageBox::NoButton, {},
                   summary.details());
}

void TForm4::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty() && ImportButton->isEnabled())
        event->acceptProposedAction();
}

void TForm4::dropEvent(QDropEvent* event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // The drop ends before the import asks anything.
    QMetaObject::invokeMethod(this, [this, paths] { importPaths(paths); }, Qt::QueuedConnection);
}

// --- the watch's folder ------------------------------------------------------

void TForm4::setUpImportMenu()
{
    ImportMenu = new QMenu(ImportButton);
    ImportMenu->setObjectName(QStringLiteral("ImportMenu"));
    auto action = [&](const char* name, const QString& text) {
        auto* a = ImportMenu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    ImportFilesAction = action("ImportFilesAction", QStringLiteral("Trainingsdateien übernehmen…"));
    ImportMenu->addSeparator();
    WatchImportAction = action("WatchImportAction", QStringLiteral("Neue Trainings von der Uhr übernehmen"));
    WatchFolderAction = action("WatchFolderAction", QStringLiteral("Ordner der Uhr festlegen…"));
    WatchForgetAction = action("WatchForgetAction", QStringLiteral("Ordner der Uhr vergessen"));
    ImportButton->setMenu(ImportMenu);
    ImportButton->setPopupMode(QToolButton::MenuButtonPopup);
    // The actions that need a folder follow the settings each time the
    // menu opens (another window may have set it meanwhile).
    auto follow = [this] {
        QString folder;
        guarded(nullptr, [&] { folder = exchange::watchFolder(m_session.settings()); });
        WatchImportAction->setEnabled(!folder.isEmpty());
        WatchForgetAction->setEnabled(!folder.isEmpty());
        WatchForgetAction->setToolTip(folder);
    };
    follow();
    connect(ImportMenu, &QMenu::aboutToShow, this, follow);
    connect(ImportFilesAction, &QAction::triggered, this, &TForm4::ImportButtonClick);
    connect(WatchImportAction, &QAction::triggered, this, &TForm4::WatchImportActionClick);
    connect(WatchFolderAction, &QAction::triggered, this, &TForm4::WatchFolderActionClick);
    connect(WatchForgetAction, &QAction::triggered, this, &TForm4::WatchForgetActionClick);
}

void TForm4::takeWatchTrainingsOnOpen(const QStringList& files)
{
    m_watchOnOpen = true;
    m_watchFiles = files;
}

void TForm4::offerWatchTrainings()
{
    if (m_watchOffered || m_closing || Messages::ending())
        return;
    m_watchOffered = true;
    if (m_watchOnOpen) {
        importWatchFiles(m_watchFiles);
        m_watchFiles.clear();
        return;
    }
    askForWatchTrainings();
}

void TForm4::askForWatchTrainings()
{
    exchange::WatchNews news;
    if (!guarded(this, [&] { news = exchange::watchNews(m_session, userId(), true); }))
        return;
    if (news.trainings == 0) {
        exchange::keepWatchMark(m_session, news); // looked at: not read again
        return;
    }
    const bool take = Messages::confirm(this, kImportTitle, exchange::watchQuestion(news.trainings));
    if (Messages::ending())
        return; // not answered: offered again at the next opening
    exchange::keepWatchMark(m_session, news);
    if (take)
        importWatchFiles(news.files);
}

void TForm4::importWatchFiles(const QStringList& files)
{
    if (files.isEmpty())
        return;
    if (ToolButton8->isChecked())
        ToolButton12Click(); // the imported entries are seen in the form
    guarded(this, [&] {
        exchange::DiaryImport import(m_session.ZDatabase1, userId());
        importFiles(files, import);
    });
}

void TForm4::WatchImportActionClick()
{
    guarded(this, [&] {
        const QString folder = exchange::watchFolder(m_session.settings());
        if (folder.isEmpty())
            return;
        if (!QFileInfo(folder).isDir()) {
            Messages::show(this, QMessageBox::Information, kImportTitle,
                           QStringLiteral("Den Ordner der Uhr „%1“ gibt es nicht. Ist die Uhr angeschlossen?")
                               .arg(QDir::toNativeSeparators(folder)),
                           QMessageBox::Ok);
            return;
        }
        const exchange::WatchNews news = exchange::watchNews(m_session, userId(), false);
        exchange::keepWatchMark(m_session, news);
        if (news.trainings == 0) {
            Messages::show(this, QMessageBox::Information, kImportTitle,
                           QStringLiteral("Auf der Uhr gibt es keine neuen Trainings."), QMessageBox::Ok);
            return;
        }
        importWatchFiles(news.files);
    });
}

void TForm4::WatchFolderActionClick()
{
    QString folder;
    guarded(nullptr, [&] { folder = exchange::watchFolder(m_session.settings()); });
    QFileDialog dialog(this, QStringLiteral("Ordner der Uhr festlegen"),
                       isFolder(folder) ? folder : importFolder(m_session));
    dialog.setObjectName(QStringLiteral("WatchFolderDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().value(0).trimmed().isEmpty())
        return; // the folder set stays
    const QString chosen = QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
    const bool set = guarded(this, [&] {
        IniFile settings = m_session.settings();
        exchange::setWatchFolder(settings, chosen);
        settings.commit();
    });
    // A folder new to the program offers its whole history now.
    if (set)
        askForWatchTrainings();
}

void TForm4::WatchForgetActionClick()
{
    guarded(this, [&] {
        IniFile settings = m_session.settings();
        exchange::setWatchFolder(settings, QString());
        settings.commit();
    });
}
