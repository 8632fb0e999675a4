#include "tform4.h"

#include "busycursor.h"
#include "checkedsave.h"
#include "dateedit.h"
#include "database.h"
#include "diarycalc.h"
#include "errorboundary.h"
#include "fieldcolours.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "session.h"
#include "storageerror.h"
#include "storedtext.h"
#include "stringgrid.h"
#include "textforms.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QToolButton>

#include <tuple>

namespace {

const QColor kLockedText(0x80, 0x80, 0x80); // 8421504

// Colours one field of the basic data: grey with grey text when locked,
// white with black text when open.
void paintBasicField(QWidget* field, bool locked)
{
    FieldColours::setBackground(field, locked ? FieldColours::grey() : FieldColours::white());
    QPalette p = field->palette();
    const QColor text = locked ? kLockedText : QColor(Qt::black);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Disabled, QPalette::Text, text);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, text);
    field->setPalette(p);
}

} // namespace

void TForm4::CheckMain(bool moveToLast)
{
    m_entries.clear();
    m_entries = Entries::ids(m_session.ZDatabase1, m_userId);
    if (moveToLast)
        m_position = int(m_entries.size()) - 1;
    setPanel(0, QStringLiteral("  ") + entryCountText(m_entries.size()));
    const bool any = !m_entries.isEmpty();
    for (QToolButton* b : {ToolButton2, ToolButton3, ToolButton4, ToolButton5, ToolButton6})
        b->setEnabled(any);
}

void TForm4::DisableMainControls()
{
    setMainControlsLocked(true);
}

void TForm4::EnableMainControls()
{
    setMainControlsLocked(false);
}

// Locked: the fields of the basic data grey and disabled (their labels and
// the group's caption keep their look), the unit buttons and saving
// disabled. Open: all of it enabled, except the zone advice, which only a
// usable pulse enables.
void TForm4::setMainControlsLocked(bool locked)
{
    for (QWidget* w : GroupBox2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QLabel*>(w))
            continue;
        paintBasicField(w, locked);
        w->setEnabled(!locked);
    }
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5})
        b->setEnabled(!locked);
    if (locked)
        SpeedButton6->setEnabled(false);
    ToolButton10->setEnabled(!locked);
}

double TForm4::SumStrecke() const
{
    // In whole metres, as the database sums of the list view and the totals.
    qint64 metres = 0;
    for (int row = 1; row < StringAlignGrid1->gridRowCount(); ++row) {
        double value = 0.0;
        if (!storedDistance(row, &value)) {
            const QString cell = StringAlignGrid1->cells(1, row);
            const qsizetype km = cell.indexOf(QLatin1String(" km"));
            bool ok = false;
            value = parseDecimal(km < 0 ? cell : cell.left(km), &ok);
            if (!ok)
                value = 0.0;
        }
        metres += distanceMetres(value);
    }
    return double(metres) / 1000.0;
}

// --- new, change, check, save --------------------------------------------------

namespace {

const QString kLineEnd = QStringLiteral("\n\r");
const QString kConfirmTitle = QStringLiteral("Bestätigen");

// A decimal as typed, for the statement: the first comma becomes the point.
QString statementDecimal(QString text)
{
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma >= 0)
        text[comma] = QLatin1Char('.');
    return text;
}

// The distance of a unit row as it goes into the statement.
QString unitDistance(const QString& cell)
{
    const qsizetype km = cell.indexOf(QLatin1String(" km"));
    return statementDecimal(km < 0 ? cell : cell.left(km));
}

bool isStatementNumber(const QString& text)
{
    bool ok = false;
    QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && !text.trimmed().isEmpty();
}

} // namespace

TForm4* TForm4::findOpen(int userId)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* editor = qobject_cast<TForm4*>(w);
        if (editor && !editor->m_closing && !editor->isHidden() && (userId < 0 || editor->userId() == userId))
            return editor;
    }
    return nullptr;
}

QString TForm4::entryTime() const
{
    // While the field still has the focus, an hour typed as one digit stands
    // before its blank ("8 :30"); the blanks carry no meaning.
    return maskeditL1->text().remove(QLatin1Char(' '));
}

bool TForm4::askToSaveChanges()
{
    if (!m_dirty)
        return true;
    // Ja saves, Nein lets the input go; Abbrechen (also Esc) stops the
    // action and keeps the input in the window.
    const QMessageBox::StandardButton answer =
        Messages::show(this, QMessageBox::Question, kConfirmTitle,
                       QStringLiteral("Sie haben Ihre Eintragungen noch nicht abgespeichert. "
                                      "Möchten Sie die Änderungen jetzt speichern?"),
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (Messages::ending()) {
        // The desktop stopped the program while it asked: the box's No is
        // nobody's answer, so the input stays and waits as the draft.
        keepDraftNow();
        return false;
    }
    if (answer == QMessageBox::No)
        return true;
    if (answer != QMessageBox::Yes)
        return false;
    ToolButton10Click();
    // Only a completed save clears the flag.
    return !m_dirty;
}

void TForm4::ToolButton1Click()
{
    if (!askToSaveChanges())
        return;
    EnableMainControls();
    // A new entry is most often today's training; the date is selected, so
    // that typing replaces it.
    DateEdit1->setDate(QDate::currentDate());
    DateEdit1->setFocus();
    DateEdit1->selectAll();
    Label16->setText(QStringLiteral("-1"));
    m_stored = StoredRecord();
    m_unsureId.clear();
    setPanel(3, QStringLiteral("  Neuer Eintrag"));
    maskeditL1->clear();
    maskeditL3->clear();
    // The person's values, not those of the entry shown before.
    EnhancedEdit1->setText(m_defaultRestPulse > 0 ? QString::number(m_defaultRestPulse) : QString());
    EnhancedEdit2->setText(m_defaultWeight);
    // The unit editors are cleared and locked: no unit is open for change in
    // an entry that has none yet.
    DisableControls();
    ComboBox1->setEditText(QString());
    ComboBox2->setEditText(QString());
    ComboBox3->setCurrentIndex(0);
    Memo1->clear();
    Memo2->clear();
    StringGridLeeren();
    Label18->clear();
    Label24->clear();
    ToolButton2->setEnabled(false);
    ToolButton13->setEnabled(false);
    markClean();
}

void TForm4::ToolButton13Click()
{
    EnableMainControls();
    DateEdit1->setFocus();
    FieldColours::setLocked(StringAlignGrid1, false);
}

bool TForm4::CheckData()
{
    QString faults;
    auto fault = [&](const QString& line) { faults += line + kLineEnd; };

    const QString sport = ComboBox3->currentText();
    if (sport == placeholderItem() || sport.isEmpty())
        fault(QStringLiteral("- keine Sportart ausgewählt"));

    const QDate date = DateEdit1->date();
    if (!date.isValid())
        fault(QStringLiteral("- kein gültiges Datum eingetragen"));
    else if (date > QDate::currentDate())
        fault(QStringLiteral("- das gewählte Trainingsdatum liegt in der Zukunft"));

    if (maskeditL1->isEmpty() || !parseTimeText(entryTime()).isValid())
        fault(QStringLiteral("- keine gültige Uhrzeit eingetragen"));

    if (maskeditL3->isEmpty())
        maskeditL3->setText(QStringLiteral("0:00"));
    else if (storedDuration(maskeditL3->text()).isEmpty())
        fault(QStringLiteral("- ungültige Zeitangabe bei Trainingsdauer"));

    // The fields refuse what cannot be stored; a text set otherwise (a memo
    // grown by its time signs, a value of an older diary) is named here.
    for (const auto& [field, text, length, kind] :
         {std::tuple{"Sportart", ComboBox3->currentText(), 40, StoredText::Kind::ListItem},
          std::tuple{"Wetter", ComboBox1->currentText(), 40, StoredText::Kind::ListItem},
          std::tuple{"Schuhe", ComboBox2->currentText(), 40, StoredText::Kind::Line},
          std::tuple{"Befinden", Memo1->toPlainText(), 255, StoredText::Kind::Memo},
          std::tuple{"Notizen", Memo2->toPlainText(), 255, StoredText::Kind::Memo}}) {
        const QString line = StoredText::fault(QString::fromUtf8(field), text, length, kind);
        if (!line.isEmpty())
            fault(line);
    }

    if (StringAlignGrid1->cells(1, 1).isEmpty()
        && !Messages::confirm(this, kConfirmTitle,
                              QStringLiteral("Sie haben noch keine Trainingsinhalte erfasst. Möchten Sie die "
                                             "Trainingseinheit trotzdem speichern?")))
        fault(QStringLiteral("- keine Trainingsinhalte erfasst"));

    // A unit the database would refuse is named here, so that a save never
    // stops halfway through a statement.
    for (int row = 1; row < StringAlignGrid1->gridRowCount(); ++row) {
        if (StringAlignGrid1->cells(1, row).isEmpty())
            continue;
        const QString number = StringAlignGrid1->cells(0, row).section(QLatin1Char('.'), 0, 0);
        if (!isStatementNumber(unitDistance(StringAlignGrid1->cells(1, row))))
            fault(QStringLiteral("- ungültige Strecke in Trainingsinhalt ") + number);
        const QString time = StringAlignGrid1->cells(2, row);
        if (!time.isEmpty() && !parseTimeText(time).isValid())
            fault(QStringLiteral("- ungültige Zeit in Trainingsinhalt ") + number);
    }

    if (faults.isEmpty())
        return false;
    Messages::beep();
    Messages::show(this, QMessageBox::Critical, QStringLiteral("Fehler"),
                   QStringLiteral("Es sind folgende Eingabefehler aufgetreten:") + kLineEnd + faults,
                   QMessageBox::Ok);
    return true;
}

QList<Entries::Unit> TForm4::gridUnits() const
{
    QList<Entries::Unit> units;
    for (int row = 1; row < StringAlignGrid1->gridRowCount(); ++row) {
        const QString distanceCell = StringAlignGrid1->cells(1, row);
        if (distanceCell.isEmpty())
            continue;
        const QString time = StringAlignGrid1->cells(2, row);
        const QString pulse = StringAlignGrid1->cells(3, row);
        // A loaded distance that nobody changed goes back as it was stored,
        // not as its rounded text.
        double stored = 0.0;
        const QString distance = storedDistance(row, &stored)
                                     ? QString::number(stored, 'f', QLocale::FloatingPointShortest)
                                     : unitDistance(distanceCell);
        units.append({StringAlignGrid1->cells(0, row).section(QLatin1Char('.'), 0, 0).trimmed(), distance,
                      time.isEmpty() ? QStringLiteral("0:00:00") : time,
                      pulse.isEmpty() ? QStringLiteral("-1") : pulse, StringAlignGrid1->cells(4, row)});
    }
    return units;
}

void TForm4::ToolButton10Click()
{
    BusyCursor busy;
    const bool ran = guarded(this, [&] {
        if (CheckData())
            return;

        Entries::Entry entry;
        entry.time = entryTime();
        entry.restPulse = EnhancedEdit1->text().isEmpty() ? QStringLiteral("-1") : EnhancedEdit1->text();
        entry.weight =
            EnhancedEdit2->text().isEmpty() ? QStringLiteral("-1") : statementDecimal(EnhancedEdit2->text());
        // Stored as h:mm, whatever blanks the field shows before a one-digit hour.
        entry.duration = storedDuration(maskeditL3->text());
        // CheckData has made sure the text is a date; written in the one form.
        entry.date = dateText(DateEdit1->date());
        entry.weather = ComboBox1->currentText();
        entry.shoe = ComboBox2->currentText();
        entry.category = ComboBox3->currentText();
        entry.notes = Memo2->toPlainText();
        entry.feeling = Memo1->toPlainText();
        entry.userId = m_userId;
        entry.units = gridUnits();
        bool idOk = false;
        int id = Label16->text().toInt(&idOk);
        if (!idOk)
            id = -1;

        Database& db = m_session.ZDatabase1;
        if (id <= 0 && !m_unsureId.isEmpty()) {
            // The last save of this new entry lost its answer: when it is
            // stored after all, this save changes it.
            if (!m_stored.current(db).isEmpty()) {
                id = m_unsureId.toInt();
                Label16->setText(m_unsureId);
            } else {
                m_stored = StoredRecord();
            }
            m_unsureId.clear();
        }
        if (id > 0) {
            bool deletedElsewhere = false;
            // The entry and all its units change together or not at all,
            // and only when nobody else has changed it since it was read.
            const CheckedSave saved = saveChecked(this, db, m_stored, QStringLiteral("Der Eintrag"), [&] {
                // An entry deleted at another workstation meanwhile: nothing
                // is written.
                deletedElsewhere = !Entries::update(db, QString::number(id), entry);
            });
            if (saved == CheckedSave::Cancelled)
                return; // the input stays unsaved
            if (saved == CheckedSave::LoadStored) {
                showStoredEntry(QString::number(id));
                return;
            }
            if (deletedElsewhere) {
                entryDeletedElsewhere(); // the input stays in the form
                return;
            }
            forgetDiarySums();
            CheckMain(false);
        } else {
            QString newId;
            m_stored = StoredRecord();
            try {
                saveChecked(this, db, m_stored, QStringLiteral("Der Eintrag"), [&] {
                    newId = Entries::insert(db, entry);
                    m_stored.setSelects(Entries::storedRecord(newId).selects());
                });
            } catch (const StorageError& e) {
                if (e.reason() == StorageError::Reason::AnswerLost && !newId.isEmpty())
                    m_unsureId = newId;
                throw;
            }
            forgetDiarySums();
            Label16->setText(newId);
            setPanel(3, QStringLiteral("  ID: ") + newId);
            CheckMain(true);
            // The new entry's place among all entries by date and time.
            const qsizetype place = m_entries.indexOf(newId);
            if (place >= 0)
                setPanel(2, QStringLiteral("  Eintrag ") + QString::number(place + 1) + QLatin1Char('/')
                                + QString::number(m_entries.size()));
        }
        GetDistShoe();
        markClean();
    });
    // after a failure the total is as it was: one box is enough
    if (ran)
        guarded(this, [&] { showTotalDistance(); });
}

void TForm4::showStoredEntry(const QString& id)
{
    forgetDiarySums();
    CheckMain(false);
    const qsizetype place = m_entries.indexOf(id);
    // its date may have changed, and with it its place
    showEntryAt(place >= 0 ? int(place) : m_position);
    showTotalDistance();
}

void TForm4::entryDeletedElsewhere()
{
    Label16->setText(QStringLiteral("-1"));
    m_stored = StoredRecord();
    setPanel(3, QStringLiteral("  ID:"));
    forgetDiarySums();
    CheckMain(false);
    ToolButton2->setEnabled(false);
    Messages::deletedElsewhere(this, QStringLiteral("Der Eintrag"), QStringLiteral("neuen Eintrag"),
                               QStringLiteral("Eingaben speichern"));
}

void TForm4::ReplaceTimeSigns(QPlainTextEdit* memo)
{
    // Only the marks of a time are written out; quotes of the text itself
    // are stored as typed.
    const QString text = timeSignsAsWords(memo->toPlainText());
    if (text != memo->toPlainText())
        memo->setPlainText(text);
}

void TForm4::Memo1Exit()
{
    ReplaceTimeSigns(Memo1);
}

void TForm4::Memo2Exit()
{
    ReplaceTimeSigns(Memo2);
}

namespace {

// A text typed into a list field is offered from then on.
void keepTypedItem(QComboBox* combo)
{
    const QString text = combo->currentText();
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == text)
            return;
    // Adding to a list changes neither the field's text nor its choice.
    const QSignalBlocker blocker(combo);
    const int index = combo->currentIndex();
    combo->addItem(text);
    combo->setCurrentIndex(index);
    combo->setEditText(text);
}

} // namespace

void TForm4::ComboBox1Exit()
{
    keepTypedItem(ComboBox1);
}

void TForm4::ComboBox3Exit()
{
    keepTypedItem(ComboBox3);
}
