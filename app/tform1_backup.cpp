#include "tform1.h"

#include "backup.h"
#include "busycursor.h"
#include "csvexport.h"
#include "dateedit.h"
#include "datafiles.h"
#include "dbserver.h"
#include "diarysums.h"
#include "errorboundary.h"
#include "persons.h"
#include "messages.h"
#include "savefolder.h"
#include "sqltext.h"
#include "storageerror.h"
#include "textforms.h"
#include "tform4.h"
#include "tform5.h"
#include "tform6.h"
#include "tform10.h"
#include "tform11.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

const QString kBackupTitle = QStringLiteral("Datensicherung");
const QString kSection = QStringLiteral("Sicherung");
const QString kAutomatic = QStringLiteral("Automatisch");
const QString kLine = QStringLiteral("\n\r");

QString counts(int persons, int entries)
{
    return QStringLiteral("%1 %2 und %3 %4")
        .arg(persons)
        .arg(persons == 1 ? QStringLiteral("Person") : QStringLiteral("Personen"))
        .arg(entries)
        .arg(entries == 1 ? QStringLiteral("Eintrag") : QStringLiteral("Einträge"));
}

QString proposedBackupName()
{
    return QStringLiteral("Tramora-Sicherung %1.fbk").arg(QDate::currentDate().toString(Qt::ISODate));
}

} // namespace

QString TForm1::automaticBackupFolder() const
{
    return m_session.programFolder + QStringLiteral("Sicherungen");
}

void TForm1::BackupButtonClick()
{
    const QString diary = m_session.ZDatabase1.path();
    const std::optional<ServerAddress> server = serverOf(diary);
    QString target;
    if (server) {
        // The engine of the server writes the file: its path is one there.
        bool ok = false;
        const QString folder = QFileInfo(diary.section(QLatin1Char(':'), -1)).path();
        target = QInputDialog::getText(
            this, kBackupTitle,
            QStringLiteral("Das Tagebuch liegt auf dem Server %1. Die Datensicherung legt der Server an; "
                           "geben Sie einen Pfad auf dem Server an:")
                .arg(server->name()),
            QLineEdit::Normal, folder + QLatin1Char('/') + proposedBackupName(), &ok);
        if (!ok || target.trimmed().isEmpty())
            return;
        target = target.trimmed();
    } else {
        QFileDialog dialog(this, QStringLiteral("Datensicherung erstellen"), SaveFolder::startFolder(m_session),
                           QStringLiteral("Datensicherungen (*.fbk)"));
        dialog.setObjectName(QStringLiteral("BackupDialog"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("fbk"));
        dialog.selectFile(proposedBackupName());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        target = dialog.selectedFiles().first();
    }
    BackupInfo made;
    const bool done = guarded(this, [&] {
        BusyCursor busy;
        made = backupDiary(diary, target);
    });
    if (!done)
        return;
    if (!server)
        SaveFolder::remember(m_session, target);
    Messages::show(this, QMessageBox::Information, kBackupTitle,
                   QStringLiteral("Die Datensicherung ist erstellt und geprüft:") + kLine
                       + QDir::toNativeSeparators(target) + (server ? QStringLiteral(" (auf dem Server)") : QString())
                       + kLine + kLine + QStringLiteral("Sie enthält ") + counts(made.persons, made.entries)
                       + QLatin1Char('.'),
                   QMessageBox::Ok);
}

bool TForm1::closeWorkingWindows(QList<QToolButton*>* reopen)
{
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isVisible() || !child->isWindow() || child == this)
            continue;
        QToolButton* button = qobject_cast<TForm4*>(child)   ? ToolButton3
                              : qobject_cast<TForm5*>(child) ? ToolButton6
                              : qobject_cast<TForm6*>(child) ? ToolButton7
                              : qobject_cast<TForm10*>(child) ? RecordsButton
                              : qobject_cast<TForm11*>(child) ? RacesButton
                                                             : nullptr;
        // The editor may keep input that the user will not let go.
        if (!child->close())
            return false;
        if (button && reopen)
            reopen->append(button);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return true;
}

void TForm1::RestoreButtonClick()
{
    const QString diary = m_session.ZDatabase1.path();
    if (const std::optional<ServerAddress> server = serverOf(diary)) {
        Messages::show(this, QMessageBox::Information, kBackupTitle,
                       QStringLiteral("Das Tagebuch liegt auf dem Server %1. Eine Datensicherung spielt dort "
                                      "dessen Verwalter zurück; von hier aus geht das nicht.")
                           .arg(server->name()),
                       QMessageBox::Ok);
        return;
    }
    QFileDialog dialog(this, QStringLiteral("Datensicherung zurückspielen"), SaveFolder::startFolder(m_session),
                       QStringLiteral("Datensicherungen (*.fbk)"));
    dialog.setObjectName(QStringLiteral("RestoreDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString backup = dialog.selectedFiles().first();

    BackupInfo held;
    Persons::Counts now;
    if (!guarded(this, [&] {
            BusyCursor busy;
            held = inspectBackup(backup);
            now = Persons::counts(m_session.ZDatabase1);
        }))
        return;
    const QString question =
        QStringLiteral("Die Datensicherung vom %1, %2 Uhr enthält %3.").arg(dateText(held.made.date()),
                                                                          held.made.toString(QStringLiteral("hh:mm")),
                                                                          counts(held.persons, held.entries))
        + kLine + QStringLiteral("Das Tagebuch enthält jetzt %1.").arg(counts(now.persons, now.entries)) + kLine + kLine
        + QStringLiteral("Soll das Tagebuch durch die Datensicherung ersetzt werden? Das bisherige Tagebuch "
                         "bleibt als „%1“ erhalten; alle Fenster werden dafür geschlossen.")
              .arg(QFileInfo(keptDiaryPath(diary, QDate::currentDate())).fileName());
    if (!Messages::confirm(this, QStringLiteral("Datensicherung zurückspielen"), question))
        return;

    QList<QToolButton*> reopen;
    if (!closeWorkingWindows(&reopen))
        return;
    const QString user = currentUser();
    QString kept;
    QString failure;
    QString detail;
    bool reopened = false;
    {
        BusyCursor busy;
        m_session.ZDatabase1.disconnect();
        try {
            kept = restoreDiary(backup, diary);
        } catch (const StorageError& e) {
            failure = e.message();
            detail = e.detail();
        }
        // The diary, restored or as it was, is opened as at the start; its
        // persons are read inside the boundary, as a diary that did not open
        // has none to read.
        reopened = guarded(this, [&] {
            m_session.ZDatabase1.connect(diary);
            CheckDataBases();
            ShowUsers();
        });
    }
    if (reopened) {
        // The person chosen before stays chosen when the diary still has
        // them; the buttons and the overview follow the diary in any case.
        const int again = ComboBox2->findText(user);
        if (again >= 0) {
            const QSignalBlocker block(ComboBox1);
            ComboBox1->setCurrentIndex(again);
        }
        ComboBox1Change();
    }
    if (!failure.isEmpty()) {
        if (!failure.endsWith(QLatin1Char('.')))
            failure += QLatin1Char('.');
        Messages::error(this, failure + QStringLiteral(" Das Tagebuch ist unverändert"), detail);
        return;
    }
    for (QToolButton* button : reopen)
        if (button->isEnabled())
            button->click();
    Messages::show(this, QMessageBox::Information, kBackupTitle,
                   QStringLiteral("Das Tagebuch ist aus der Datensicherung wiederhergestellt. Das bisherige "
                                  "Tagebuch liegt unter:")
                       + kLine + QDir::toNativeSeparators(kept),
                   QMessageBox::Ok);
}

void TForm1::ExportButtonClick()
{
    bool ok = false;
    const int userId = currentUser().toInt(&ok);
    if (!ok || userId < 0) {
        Messages::show(this, QMessageBox::Information, QStringLiteral("Tagebuch exportieren"),
                       QStringLiteral("Bitte wählen Sie zuerst die Person, deren Tagebuch exportiert werden soll."),
                       QMessageBox::Ok);
        return;
    }
    DiarySpan span;
    if (!guarded(this, [&] { span = GetDiarySpan(m_session.ZDatabase1, userId); }))
        return;

    QDialog period(this);
    period.setObjectName(QStringLiteral("ExportPeriod"));
    period.setWindowTitle(QStringLiteral("Tagebuch exportieren"));
    auto* form = new QFormLayout(&period);
    form->addRow(new QLabel(QStringLiteral("Die Einträge und Trainingsinhalte dieses Zeitraums werden als zwei "
                                           "CSV-Dateien für Tabellenprogramme geschrieben, alle Wettkämpfe und "
                                           "Ziele als zwei weitere."),
                            &period));
    form->itemAt(0)->widget()->setProperty("wordWrap", true);
    auto* from = new DateEdit(&period);
    from->setObjectName(QStringLiteral("FromDate1"));
    from->setDate(span.first.isValid() ? span.first : QDate::currentDate());
    auto* til = new DateEdit(&period);
    til->setObjectName(QStringLiteral("TilDate1"));
    til->setDate(span.last.isValid() ? span.last : QDate::currentDate());
    form->addRow(QStringLiteral("&Von:"), from);
    form->addRow(QStringLiteral("&Bis:"), til);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &period);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &period, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &period, &QDialog::reject);
    if (period.exec() != QDialog::Accepted)
        return;
    if (!from->date().isValid() || !til->date().isValid() || from->date() > til->date()) {
        Messages::show(this, QMessageBox::Warning, QStringLiteral("Tagebuch exportieren"),
                       QStringLiteral("Bitte geben Sie einen gültigen Zeitraum an (Von vor Bis)."), QMessageBox::Ok);
        return;
    }

    const QString name = ComboBox1->currentText().trimmed();
    QFileDialog dialog(this, QStringLiteral("Tagebuch exportieren"), SaveFolder::startFolder(m_session),
                       QStringLiteral("CSV-Dateien (*.csv)"));
    dialog.setObjectName(QStringLiteral("ExportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(QStringLiteral("Tagebuch %1.csv").arg(name));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString entriesPath = dialog.selectedFiles().first();
    const QFileInfo info(entriesPath);
    const QString unitsPath = info.dir().filePath(info.completeBaseName() + QStringLiteral(" Trainingsinhalte.csv"));
    const QString racesPath = info.dir().filePath(info.completeBaseName() + QStringLiteral(" Wettkämpfe.csv"));
    const QString goalsPath = info.dir().filePath(info.completeBaseName() + QStringLiteral(" Ziele.csv"));
    exchange::CsvExport written;
    exchange::PlansExport plans;
    if (!guarded(this, [&] {
            BusyCursor busy;
            written = exchange::exportDiary(m_session.ZDatabase1, userId, from->date(), til->date(), entriesPath,
                                            unitsPath);
            plans = exchange::exportPlans(m_session.ZDatabase1, userId, racesPath, goalsPath);
        }))
        return;
    SaveFolder::remember(m_session, entriesPath);
    Messages::show(this, QMessageBox::Information, QStringLiteral("Tagebuch exportieren"),
                   QStringLiteral("Exportiert sind %1 %2 und %3 %4:")
                           .arg(written.entries)
                           .arg(written.entries == 1 ? QStringLiteral("Eintrag") : QStringLiteral("Einträge"))
                           .arg(written.units)
                           .arg(written.units == 1 ? QStringLiteral("Trainingsinhalt")
                                                   : QStringLiteral("Trainingsinhalte"))
                       + kLine + QDir::toNativeSeparators(entriesPath) + kLine + QDir::toNativeSeparators(unitsPath)
                       + kLine + kLine
                       + QStringLiteral("dazu %1 %2 und %3 %4:")
                             .arg(plans.races)
                             .arg(plans.races == 1 ? QStringLiteral("Wettkampf") : QStringLiteral("Wettkämpfe"))
                             .arg(plans.goals)
                             .arg(plans.goals == 1 ? QStringLiteral("Ziel") : QStringLiteral("Ziele"))
                       + kLine + QDir::toNativeSeparators(racesPath) + kLine + QDir::toNativeSeparators(goalsPath),
                   QMessageBox::Ok);
}

void TForm1::automaticBackupAtClose()
{
    // A diary on a server is the server's to back up; a diary that did not
    // open has nothing to keep.
    if (!m_startedUp || !m_session.ZDatabase1.isConnected() || serverOf(m_session.ZDatabase1.path()))
        return;
    bool enabled = true;
    guarded(nullptr, [&] { enabled = m_session.settings().readBool(kSection, kAutomatic, true); });
    if (!enabled)
        return;
    try {
        BusyCursor busy;
        QDir().mkpath(automaticBackupFolder());
        automaticBackup(m_session.ZDatabase1.path(), automaticBackupFolder(), QDate::currentDate());
    } catch (const StorageError& e) {
        // Said once, at this closing; the program closes all the same.
        Messages::show(this, QMessageBox::Warning, kBackupTitle,
                       QStringLiteral("Die automatische Datensicherung ist nicht gelungen: ") + e.message()
                           + kLine + QStringLiteral("Das Programm wird trotzdem beendet; das Tagebuch ist unverändert."),
                       QMessageBox::Ok);
    }
}
