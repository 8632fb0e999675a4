#include "tform4.h"

#include "busycursor.h"
#include "checkedsave.h"
#include "dateedit.h"
#include "database.h"
#include "diarycalc.h"
#include "errorboundary.h"
#include "fieldcolours.h"
#include "maskedit.h"
#include "records.h"
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
    m_model.readIds(moveToLast);
    showEntryCount();
}

void TForm4::showEntryCount()
{
    setPanel(0, QStringLiteral("  ") + entryCountText(m_model.ids().size()));
    const bool any = !m_model.ids().isEmpty();
    for (QToolButton* b : {ToolButton2, ToolButton3, ToolButton4, ToolButton5, ToolButton6})
        b->setEnabled(any);
}

void TForm4::showPlace()
{
    setPanel(2, QStringLiteral("  Eintrag ") + QString::number(m_model.position() + 1) + QLatin1Char('/')
                    + QString::number(m_model.ids().size()));
}

void TForm4::showId()
{
    Label16->setText(m_model.id());
    setPanel(3, m_model.id() == QLatin1String("-1") ? QStringLiteral("  ID:") : QStringLiteral("  ID: ") + m_model.id());
}

void TForm4::takeInput()
{
    EditorModel::Values v;
    v.date = DateEdit1->text();
    v.time = maskeditL1->text();
    v.sport = ComboBox3->currentText();
    v.restPulse = EnhancedEdit1->text();
    v.weight = EnhancedEdit2->text();
    v.duration = maskeditL3->text();
    v.weather = ComboBox1->currentText();
    v.shoe = ComboBox2->currentText();
    v.feeling = Memo1->toPlainText();
    v.notes = Memo2->toPlainText();
    m_model.setValues(v);
}

void TForm4::showValues()
{
    const EditorModel::Values& v = m_model.values();
    DateEdit1->setText(v.date);
    maskeditL1->setText(v.time);
    ComboBox1->setEditText(v.weather);
    {
        // The mileage is shown once, at the end.
        const QSignalBlocker quiet(ComboBox2);
        ComboBox2->setEditText(v.shoe);
        ComboBox2->lineEdit()->setCursorPosition(0);
    }
    EnhancedEdit1->setText(v.restPulse);
    ComboBox3->setEditText(v.sport);
    Memo2->setPlainText(v.notes);
    Memo1->setPlainText(v.feeling);
    EnhancedEdit2->setText(v.weight);
    maskeditL3->setText(v.duration);
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
    return m_model.unitKm();
}

namespace {

const QString kLineEnd = QStringLiteral("\n\r");
const QString kConfirmTitle = QStringLiteral("Bestätigen");

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

bool TForm4::askToSaveChanges()
{
    if (!m_model.dirty())
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
    return !m_model.dirty();
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
    m_model.startNew();
    Label16->setText(m_model.id());
    setPanel(3, QStringLiteral("  Neuer Eintrag"));
    maskeditL1->clear();
    maskeditL3->clear();
    // The person's values, not those of the entry shown before.
    EnhancedEdit1->setText(m_model.defaultRestPulse() > 0 ? QString::number(m_model.defaultRestPulse()) : QString());
    EnhancedEdit2->setText(m_model.defaultWeight());
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
    showCourseButton();
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
    takeInput();
    const QString duration = m_model.values().duration;
    const QStringList faults = m_model.check(QDate::currentDate(), [this] {
        return Messages::confirm(this, kConfirmTitle,
                                 QStringLiteral("Sie haben noch keine Trainingsinhalte erfasst. Möchten Sie die "
                                                "Trainingseinheit trotzdem speichern?"));
    });
    // A duration left empty is saved as none.
    if (m_model.values().duration != duration)
        maskeditL3->setText(m_model.values().duration);
    if (faults.isEmpty())
        return false;
    Messages::beep();
    Messages::show(this, QMessageBox::Critical, QStringLiteral("Fehler"),
                   QStringLiteral("Es sind folgende Eingabefehler aufgetreten:") + kLineEnd + faults.join(kLineEnd)
                       + kLineEnd,
                   QMessageBox::Ok);
    return true;
}

void TForm4::ToolButton10Click()
{
    BusyCursor busy;
    m_stampRead = false;
    const bool ran = guarded(this, [&] {
        if (CheckData())
            return;
        Database& db = m_session.ZDatabase1;
        const EditorModel::Saved saved =
            m_model.save([&](StoredRecord& stored, const std::function<void()>& write) {
                return saveChecked(this, db, stored, QStringLiteral("Der Eintrag"), write);
            });
        Label16->setText(m_model.id());
        switch (saved) {
        case EditorModel::Saved::Cancelled:
            return; // the input stays unsaved
        case EditorModel::Saved::LoadStored:
            showStoredEntry(m_model.id());
            return;
        case EditorModel::Saved::DeletedElsewhere:
            entryDeletedElsewhere(); // the input stays in the form
            return;
        case EditorModel::Saved::Updated:
            forgetDiarySums();
            showEntryCount();
            break;
        case EditorModel::Saved::Inserted: {
            forgetDiarySums();
            showId();
            showEntryCount();
            // The new entry's place among all entries by date and time.
            const qsizetype place = m_model.ids().indexOf(m_model.id());
            if (place >= 0)
                setPanel(2, QStringLiteral("  Eintrag ") + QString::number(place + 1) + QLatin1Char('/')
                                + QString::number(m_model.ids().size()));
            break;
        }
        }
        showCourseButton();
        GetDistShoe();
        markClean();
        if (!m_model.recordNotices().isEmpty())
            Messages::notify(this, QStringLiteral("Neue Bestzeit"), records::noticesText(m_model.recordNotices()));
    });
    // The ID a save found stored after a lost answer, also when it failed.
    Label16->setText(m_model.id());
    // after a failure the total is as it was: one box is enough
    if (ran)
        guarded(this, [&] { showTotalDistance(m_stampRead); });
    if (ran && !m_model.dirty())
        Q_EMIT diaryChanged();
}

void TForm4::showStoredEntry(const QString& id)
{
    forgetDiarySums();
    CheckMain(false);
    const qsizetype place = m_model.ids().indexOf(id);
    // its date may have changed, and with it its place
    showEntryAt(place >= 0 ? int(place) : m_model.position());
    showTotalDistance();
}

void TForm4::entryDeletedElsewhere()
{
    // The model has let the entry go and read the list anew.
    showId();
    forgetDiarySums();
    showEntryCount();
    ToolButton2->setEnabled(false);
    showCourseButton();
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
    TForm4::offerItem(combo, combo->currentText());
}

} // namespace

void TForm4::offerItem(QComboBox* combo, const QString& item)
{
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i) == item)
            return;
    // Adding to a list changes neither the field's text nor its choice.
    const QSignalBlocker blocker(combo);
    const int index = combo->currentIndex();
    const QString text = combo->currentText();
    combo->addItem(item);
    combo->setCurrentIndex(index);
    combo->setEditText(text);
}

void TForm4::ComboBox1Exit()
{
    keepTypedItem(ComboBox1);
}

void TForm4::ComboBox3Exit()
{
    keepTypedItem(ComboBox3);
}
