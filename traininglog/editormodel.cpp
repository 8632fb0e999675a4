#include "editormodel.h"

#include "besteffort.h"
#include "courses.h"
#include "diaryforms.h"
#include "diarysums.h"
#include "diarytraining.h"
#include "storabletext.h"
#include "storageerror.h"
#include "textforms.h"

#include <QHash>
#include <QLocale>

#include <array>
#include <tuple>

namespace {

// A text of a time field that holds no digit is an empty field.
bool blank(const QString& text)
{
    for (const QChar c : text)
        if (c.isDigit())
            return false;
    return true;
}

// A decimal as typed, for the statement: the first comma becomes the point.
QString statementDecimal(QString text)
{
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma >= 0)
        text[comma] = QLatin1Char('.');
    return text;
}

// The distance of a unit row without its " km ".
QString typedDistance(const QString& cell)
{
    const qsizetype km = cell.indexOf(QLatin1String(" km"));
    return km < 0 ? cell : cell.left(km);
}

bool isStatementNumber(const QString& text)
{
    bool ok = false;
    QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && !text.trimmed().isEmpty();
}

QString unitNumber(qsizetype index)
{
    return QString::number(index + 1) + QStringLiteral(". ");
}

// The unit's number as the statement takes it.
// A sum of unit times as the list shows it: "1:05:09"; empty for none.
QString totalTimeText(qint64 seconds)
{
    if (seconds <= 0)
        return QString();
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString subId(const QString& number)
{
    return number.section(QLatin1Char('.'), 0, 0).trimmed();
}

// The time of day as it is checked and stored: while the field still has
// the focus, an hour typed as one digit stands before its blank ("8 :30").
QString storedTime(const QString& typed)
{
    return QString(typed).remove(QLatin1Char(' '));
}

// Where the entry nearest to a place of the former list that is still there
// stands in the list now. Of two as near, the one that was not shown before.
int nearestLeft(const QStringList& before, int place, const QStringList& now, const QString& shown)
{
    for (int distance = 1; distance < before.size(); ++distance) {
        int back = -1;
        for (const int at : {place + distance, place - distance}) {
            const qsizetype found = at >= 0 && at < before.size() ? now.indexOf(before.at(at)) : -1;
            if (found >= 0 && before.at(at) != shown)
                return int(found);
            if (found >= 0)
                back = int(found);
        }
        if (back >= 0)
            return back;
    }
    return now.isEmpty() ? -1 : qMin(place, int(now.size()) - 1);
}

using ValueField = QString EditorModel::Values::*;

// The values in the order of the draft's field names.
const std::array<ValueField, 10> kDraftValues{
    &EditorModel::Values::date,     &EditorModel::Values::time,    &EditorModel::Values::sport,
    &EditorModel::Values::restPulse, &EditorModel::Values::weight, &EditorModel::Values::duration,
    &EditorModel::Values::weather,  &EditorModel::Values::shoe,    &EditorModel::Values::feeling,
    &EditorModel::Values::notes,
};

} // namespace

const QStringList& EditorModel::draftFields()
{
    // The names of the window's fields, as drafts of earlier versions have them.
    static const QStringList names{
        QStringLiteral("DateEdit1"),     QStringLiteral("maskeditL1"), QStringLiteral("ComboBox3"),
        QStringLiteral("EnhancedEdit1"), QStringLiteral("EnhancedEdit2"), QStringLiteral("maskeditL3"),
        QStringLiteral("ComboBox1"),     QStringLiteral("ComboBox2"),  QStringLiteral("Memo1"),
        QStringLiteral("Memo2"),
    };
    return names;
}

QString EditorModel::loadedDistanceText(double km)
{
    return entryDistanceText(km) + QStringLiteral(" km ");
}

std::optional<double> EditorModel::Unit::unchangedKm() const
{
    if (storedKm && distance == loadedDistanceText(*storedKm))
        return storedKm;
    return std::nullopt;
}

EditorModel::EditorModel(Database& db, int userId, const QString& settingsPath)
    : m_db(db), m_userId(userId), m_draft(settingsPath, userId)
{
}

void EditorModel::readPerson()
{
    const training::Person person = training::readPerson(m_db, m_userId);
    if (!person.found)
        return;
    // A value of 0 or less is none (-1 is "unbekannt").
    m_defaultRestPulse = qMax(0, person.storedRestPulse.value_or(0));
    m_defaultWeight = person.weight.value_or(0.0) > 0 ? person.weightText : QString();
    m_maxHeartRate = person.maxPulse;
}

// --- paging -----------------------------------------------------------------

void EditorModel::readIds(bool moveToLast)
{
    m_ids = Entries::ids(m_db, m_userId, &m_withCourse);
    if (moveToLast)
        m_position = int(m_ids.size()) - 1;
}

void EditorModel::setPosition(int position)
{
    m_position = m_ids.isEmpty() ? -1 : qBound(0, position, int(m_ids.size()) - 1);
}

EditorModel::Shown EditorModel::load()
{
    m_stored = StoredRecord();
    m_unsureId.clear();
    m_pendingCourse = {};
    m_values.feeling.clear();
    m_values.notes.clear();
    m_units.clear();
    if (m_position < 0 || m_position >= m_ids.size()) {
        m_id = QStringLiteral("-1");
        return Shown::None;
    }
    m_id = m_ids.at(m_position);
    StoredRecord stored;
    const std::optional<Entries::Entry> entry = Entries::read(m_db, m_id, &stored);
    if (!entry)
        return Shown::Gone;
    m_stored = stored;
    Values v;
    v.date = entry->date;
    v.time = entry->time.left(5);
    v.weather = entry->weather;
    v.shoe = entry->shoe;
    v.restPulse = entry->restPulse.toInt() < 1 ? QString() : entry->restPulse;
    v.sport = entry->category;
    v.notes = entry->notes;
    v.feeling = entry->feeling;
    v.weight = entry->weight == QLatin1String("-1") ? QString() : entry->weight;
    v.duration = entry->duration;
    m_values = v;
    for (const Entries::Unit& unit : entry->units) {
        const double km = unit.distance.toDouble();
        m_units.append({unit.subId + QStringLiteral(". "), loadedDistanceText(km),
                        unit.time == QLatin1String("00:00:00") ? QString() : unit.time,
                        unit.pulse == QLatin1String("-1") ? QString() : unit.pulse, unit.zone, km});
    }
    return Shown::Entry;
}

void EditorModel::entryGone(const QString& shown)
{
    const QStringList before = m_ids;
    const int place = m_position;
    readIds(false);
    m_position = nearestLeft(before, place, m_ids, shown);
}

// --- the entry ----------------------------------------------------------------

void EditorModel::startNew()
{
    m_id = QStringLiteral("-1");
    m_stored = StoredRecord();
    m_unsureId.clear();
    m_units.clear();
    m_pendingCourse = {};
}

void EditorModel::addUnits(const QString& distance, const QString& time, const QString& pulse,
                           const QString& zone, int count)
{
    for (int i = 0; i < count; ++i)
        m_units.append({unitNumber(m_units.size()), distance + QStringLiteral(" km "), time, pulse, zone, {}});
}

void EditorModel::changeUnit(int index, const QString& distance, const QString& time, const QString& pulse,
                             const QString& zone)
{
    if (index < 0 || index >= m_units.size())
        return;
    Unit& unit = m_units[index];
    unit.distance = distance + QStringLiteral(" km ");
    unit.time = time;
    unit.pulse = pulse;
    if (!zone.isEmpty())
        unit.zone = zone;
}

void EditorModel::removeUnit(int index)
{
    if (index < 0 || index >= m_units.size())
        return;
    m_units.removeAt(index);
    renumberUnits();
}

void EditorModel::renumberUnits()
{
    for (qsizetype i = 0; i < m_units.size(); ++i)
        m_units[i].number = unitNumber(i);
}

void EditorModel::moveUnit(int index, int delta)
{
    const int other = index + delta;
    if (index >= 0 && other >= 0 && index < m_units.size() && other < m_units.size())
        m_units.swapItemsAt(index, other);
    renumberUnits();
}

double EditorModel::unitKm() const
{
    // In whole metres, as the database sums of the list view and the totals.
    qint64 metres = 0;
    for (const Unit& unit : m_units) {
        double value = 0.0;
        if (const std::optional<double> stored = unit.unchangedKm()) {
            value = *stored;
        } else {
            bool ok = false;
            value = parseDecimal(typedDistance(unit.distance), &ok);
            if (!ok)
                value = 0.0;
        }
        metres += distanceMetres(value);
    }
    return double(metres) / 1000.0;
}

// --- check and save -----------------------------------------------------------

QStringList EditorModel::check(const QDate& today, const std::function<bool()>& keepWithoutUnits)
{
    QStringList faults;
    if (m_values.sport.isEmpty() || m_values.sport == placeholderItem())
        faults << QStringLiteral("- keine Sportart ausgewählt");

    const QDate date = typedDate(m_values.date);
    if (!date.isValid())
        faults << QStringLiteral("- kein gültiges Datum eingetragen");
    else if (date > today)
        faults << QStringLiteral("- das gewählte Trainingsdatum liegt in der Zukunft");

    if (blank(m_values.time) || !parseTimeText(storedTime(m_values.time)).isValid())
        faults << QStringLiteral("- keine gültige Uhrzeit eingetragen");

    if (blank(m_values.duration))
        m_values.duration = QStringLiteral("0:00");
    else if (storedDuration(m_values.duration).isEmpty())
        faults << QStringLiteral("- ungültige Zeitangabe bei Trainingsdauer");

    // The fields refuse what cannot be stored; a text set otherwise (a memo
    // grown by its time signs, a value of an older diary) is named here.
    for (const auto& [field, text, length, kind] :
         {std::tuple{"Sportart", m_values.sport, 40, StoredText::Kind::ListItem},
          std::tuple{"Wetter", m_values.weather, 40, StoredText::Kind::ListItem},
          std::tuple{"Schuhe", m_values.shoe, 40, StoredText::Kind::Line},
          std::tuple{"Befinden", m_values.feeling, 255, StoredText::Kind::Memo},
          std::tuple{"Notizen", m_values.notes, 255, StoredText::Kind::Memo}}) {
        const QString line = StoredText::fault(QString::fromUtf8(field), text, length, kind);
        if (!line.isEmpty())
            faults << line;
    }

    if ((m_units.isEmpty() || m_units.first().distance.isEmpty()) && !keepWithoutUnits())
        faults << QStringLiteral("- keine Trainingsinhalte erfasst");

    // A unit the database would refuse is named here, so that a save never
    // stops halfway through a statement.
    for (const Unit& unit : std::as_const(m_units)) {
        if (unit.distance.isEmpty())
            continue;
        const QString number = unit.number.section(QLatin1Char('.'), 0, 0);
        if (!isStatementNumber(statementDecimal(typedDistance(unit.distance))))
            faults << QStringLiteral("- ungültige Strecke in Trainingsinhalt ") + number;
        if (!unit.time.isEmpty() && !parseTimeText(unit.time).isValid())
            faults << QStringLiteral("- ungültige Zeit in Trainingsinhalt ") + number;
    }
    return faults;
}

Entries::Entry EditorModel::entry() const
{
    Entries::Entry entry;
    entry.time = storedTime(m_values.time);
    entry.restPulse = m_values.restPulse.isEmpty() ? QStringLiteral("-1") : m_values.restPulse;
    entry.weight = m_values.weight.isEmpty() ? QStringLiteral("-1") : statementDecimal(m_values.weight);
    // Stored as h:mm, whatever blanks the field shows before a one-digit hour.
    entry.duration = storedDuration(m_values.duration);
    // The check has made sure the text is a date; written in the one form.
    entry.date = dateText(typedDate(m_values.date));
    entry.weather = m_values.weather;
    entry.shoe = m_values.shoe;
    entry.category = m_values.sport;
    entry.notes = m_values.notes;
    entry.feeling = m_values.feeling;
    entry.userId = m_userId;
    for (const Unit& unit : m_units) {
        if (unit.distance.isEmpty())
            continue;
        // A loaded distance that nobody changed goes back as it was stored,
        // not as its rounded text.
        const std::optional<double> stored = unit.unchangedKm();
        entry.units.append({subId(unit.number),
                            stored ? QString::number(*stored, 'f', QLocale::FloatingPointShortest)
                                   : statementDecimal(typedDistance(unit.distance)),
                            unit.time.isEmpty() ? QStringLiteral("0:00:00") : unit.time,
                            unit.pulse.isEmpty() ? QStringLiteral("-1") : unit.pulse, unit.zone});
    }
    return entry;
}

EditorModel::Saved EditorModel::save(const CheckedWrite& checked)
{
    m_recordNotices.clear();
    // The person's best times before and after a save of a run tell which
    // of them it has beaten. They are a notice only: a failure to read them
    // leaves the save as it is and gives none.
    std::optional<QHash<int, records::Effort>> before;
    if (course::runningSport(m_values.sport)) {
        try {
            before = records::best(m_db, m_userId);
        } catch (const StorageError& e) {
            // Without the diary's server the save cannot succeed either:
            // the error is the save's.
            if (e.reason() != StorageError::Reason::Other)
                throw;
        }
    }
    const Saved saved = write(checked);
    if (before && (saved == Saved::Inserted || saved == Saved::Updated)) {
        try {
            m_recordNotices = records::newRecords(*before, records::best(m_db, m_userId), {m_id});
        } catch (const StorageError&) {
        }
    }
    return saved;
}

EditorModel::Saved EditorModel::write(const CheckedWrite& checked)
{
    const Entries::Entry entry = this->entry();
    bool idOk = false;
    int id = m_id.toInt(&idOk);
    if (!idOk)
        id = -1;
    if (id <= 0 && !m_unsureId.isEmpty()) {
        // The last save of this new entry lost its answer: when it is
        // stored after all, this save changes it.
        if (!m_stored.current(m_db).isEmpty()) {
            id = m_unsureId.toInt();
            m_id = m_unsureId;
        } else {
            m_stored = StoredRecord();
        }
        m_unsureId.clear();
    }
    if (id > 0) {
        bool deletedElsewhere = false;
        // The entry and all its units change together or not at all, and
        // only when nobody else has changed it since it was read.
        const CheckedSave saved = checked(m_stored, [&] {
            // An entry deleted at another workstation meanwhile: nothing is
            // written.
            ResultSet written;
            deletedElsewhere = !Entries::update(m_db, QString::number(id), entry, &written);
            // as written, unless a course goes with it
            if (!written.columns.isEmpty() && m_pendingCourse.isEmpty())
                m_stored.setWritten({written});
            // The entry of a save whose answer was lost holds the course
            // already, or it goes with this save.
            if (!deletedElsewhere && !m_pendingCourse.isEmpty())
                Courses::store(m_db, QString::number(id), m_pendingCourse);
        });
        if (saved == CheckedSave::Cancelled)
            return Saved::Cancelled;
        if (saved == CheckedSave::LoadStored)
            return Saved::LoadStored;
        if (deletedElsewhere) {
            m_id = QStringLiteral("-1");
            m_stored = StoredRecord();
            readIds(false);
            return Saved::DeletedElsewhere;
        }
        m_pendingCourse = {};
        readIds(false);
        return Saved::Updated;
    }
    QString newId;
    m_stored = StoredRecord();
    try {
        checked(m_stored, [&] {
            ResultSet written;
            newId = Entries::insert(m_db, entry, &written);
            // In the save's transaction: the entry and its course, or neither.
            if (!m_pendingCourse.isEmpty())
                Courses::store(m_db, newId, m_pendingCourse);
            m_stored.setSelects(Entries::storedRecord(newId).selects());
            if (!written.columns.isEmpty() && m_pendingCourse.isEmpty())
                m_stored.setWritten({written});
        });
    } catch (const StorageError& e) {
        if (e.reason() == StorageError::Reason::AnswerLost && !newId.isEmpty())
            m_unsureId = newId;
        throw;
    }
    m_id = newId;
    m_pendingCourse = {};
    readIds(true);
    return Saved::Inserted;
}

bool EditorModel::remove()
{
    // Units and entry go together: a failure leaves both in place.
    const bool wasThere = Entries::remove(m_db, m_id);
    if (m_position > 0)
        --m_position;
    readIds(false);
    if (m_position >= m_ids.size())
        m_position = int(m_ids.size()) - 1;
    return wasThere;
}

// --- many entries at once ----------------------------------------------------------

QString EditorModel::sportFault(const QString& sport)
{
    if (sport.trimmed().isEmpty() || sport == placeholderItem())
        return QStringLiteral("- keine Sportart ausgewählt");
    return StoredText::fault(QStringLiteral("Sportart"), sport, 40, StoredText::Kind::ListItem);
}

int EditorModel::assignShoe(const QStringList& ids, const QString& shoe)
{
    const int changed = Entries::setShoe(m_db, ids, shoe);
    followList();
    return changed;
}

int EditorModel::changeSport(const QStringList& ids, const QString& sport)
{
    const int changed = Entries::setSport(m_db, ids, sport);
    followList();
    return changed;
}

int EditorModel::removeEntries(const QStringList& ids)
{
    const int removed = Entries::removeMany(m_db, ids);
    followList();
    return removed;
}

void EditorModel::followList()
{
    const QStringList before = m_ids;
    const int place = m_position;
    const QString shown = m_position >= 0 && m_position < before.size() ? before.at(m_position) : QString();
    readIds(false);
    const int kept = int(m_ids.indexOf(shown));
    m_position = kept >= 0 ? kept : nearestLeft(before, place, m_ids, QString());
}

// --- list view ------------------------------------------------------------------

QList<QStringList> EditorModel::listLines()
{
    // The entries with the kilometres and times of their units come with one statement.
    const QList<ListedEntry> listed = ListedEntriesOfUser(m_db, m_userId);
    QList<QStringList> lines;
    QHash<QString, qsizetype> lineOf;
    lines.reserve(listed.size());
    for (const auto& [e, totals] : listed) {
        lineOf.insert(e.id, lines.size());
        const QString time = totalTimeText(totals.seconds);
        lines << QStringList{
            e.id,
            e.date,
            e.time,
            e.category,
            entryDistanceText(totals.km) + QStringLiteral(" km "),
            e.restPulse,
            e.weight.isEmpty() ? QString() : e.weight + QStringLiteral(" kg "),
            e.shoe,
            e.weather,
            e.feeling,
            e.notes,
            time,
            CalcPace(time, float(totals.timedKm)),
        };
    }
    // Entries that share date and time may come here in another order than
    // in the paging; line n shows entry n of the paging, so that picking a
    // line shows that entry. Entries the paging does not know yet follow.
    QList<QStringList> ordered;
    ordered.reserve(lines.size());
    QList<bool> placed(lines.size(), false);
    for (const QString& id : std::as_const(m_ids))
        if (const auto line = lineOf.constFind(id); line != lineOf.constEnd() && !placed[*line]) {
            ordered << lines[*line];
            placed[*line] = true;
        }
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!placed[i])
            ordered << lines[i];
    const QString shown = m_ids.value(m_position);
    m_ids.clear();
    for (const QStringList& line : std::as_const(ordered))
        m_ids << line.first();
    const qsizetype place = m_ids.indexOf(shown);
    m_position = place >= 0 ? int(place) : qMin(m_position, int(m_ids.size()) - 1);
    return ordered;
}

// --- draft ------------------------------------------------------------------------

EditorDraft::Content EditorModel::draftContent() const
{
    EditorDraft::Content content;
    content.userId = m_userId;
    content.entryId = m_id;
    content.written = QDateTime::currentDateTime();
    for (qsizetype i = 0; i < draftFields().size(); ++i)
        content.fields.insert(draftFields().at(i), m_values.*kDraftValues[i]);
    for (const Unit& unit : m_units) {
        if (unit.number.isEmpty())
            continue;
        const std::optional<double> km = unit.unchangedKm();
        content.units << QStringList{unit.number, unit.distance, unit.time, unit.pulse, unit.zone,
                                     km ? QString::number(*km, 'g', 17) : QString()};
    }
    return content;
}

void EditorModel::applyDraft(const EditorDraft::Content& content)
{
    for (qsizetype i = 0; i < draftFields().size(); ++i)
        if (const auto it = content.fields.constFind(draftFields().at(i)); it != content.fields.constEnd())
            m_values.*kDraftValues[i] = *it;
    m_units.clear();
    for (const QStringList& cells : content.units) {
        Unit unit{cells.value(0), cells.value(1), cells.value(2), cells.value(3), cells.value(4), {}};
        bool ok = false;
        const double km = cells.value(5).toDouble(&ok);
        if (ok && unit.distance == loadedDistanceText(km))
            unit.storedKm = km;
        m_units.append(unit);
    }
    m_dirty = true;
}
