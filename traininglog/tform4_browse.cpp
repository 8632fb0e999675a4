#include "tform4.h"

#include "dateedit.h"
#include "diarycalc.h"
#include "errorboundary.h"
#include "fieldcolours.h"
#include "maskedit.h"
#include "messages.h"
#include "numericedit.h"
#include "session.h"
#include "stringgrid.h"

#include <QComboBox>
#include <QHash>
#include <QSet>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {

// Keeps the list grid over the whole client area while the window is resized.
class CoverClientArea : public QObject
{
public:
    static constexpr const char* kName = "CoverClientArea";

    CoverClientArea(QWidget* area, QWidget* cover) : QObject(cover), m_cover(cover)
    {
        setObjectName(QLatin1String(kName));
        area->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            m_cover->setGeometry(static_cast<QWidget*>(watched)->rect());
        return false;
    }

private:
    QWidget* m_cover;
};

} // namespace

void TForm4::Blaettern()
{
    const QString shownBefore = Label16->text();
    const bool any = !m_entries.isEmpty();
    const bool formView = ToolButton12->isChecked();
    // Paging makes sense only over a non-empty list; changing only in the
    // form view, where the entry can be seen.
    for (QToolButton* b : {ToolButton3, ToolButton4, ToolButton5, ToolButton6})
        b->setEnabled(any);
    ToolButton13->setEnabled(any && formView);
    if (m_position == 0) {
        ToolButton3->setEnabled(false);
        ToolButton4->setEnabled(false);
    }
    if (m_entries.size() == m_position + 1) {
        ToolButton5->setEnabled(false);
        ToolButton6->setEnabled(false);
    }

    Memo1->clear();
    Memo2->clear();
    StringGridLeeren();
    DisableControls();
    FieldColours::setLocked(StringAlignGrid1, true);
    DisableMainControls();

    m_stored = StoredRecord();
    m_unsureId.clear();
    if (!any || m_position < 0 || m_position >= m_entries.size()) {
        Label16->setText(QStringLiteral("-1"));
        setPanel(3, QStringLiteral("  ID:"));
    } else {
        const QString id = m_entries.at(m_position);
        Label16->setText(id);
        setPanel(3, QStringLiteral("  ID: ") + id);
        const std::optional<Entries::Entry> entry = Entries::read(m_session.ZDatabase1, id, &m_stored);
        if (!entry) {
            entryGoneWhileBrowsing(shownBefore);
            return;
        }
        const bool noRestPulse = entry->restPulse.toInt() < 1;
        DateEdit1->setText(entry->date);
        maskeditL1->setText(entry->time.left(5));
        ComboBox1->setEditText(entry->weather);
        {
            // The mileage is shown once, at the end.
            const QSignalBlocker quiet(ComboBox2);
            ComboBox2->setEditText(entry->shoe);
            ComboBox2->lineEdit()->setCursorPosition(0);
        }
        EnhancedEdit1->setText(noRestPulse ? QString() : entry->restPulse);
        ComboBox3->setEditText(entry->category);
        Memo2->setPlainText(entry->notes);
        Memo1->setPlainText(entry->feeling);
        EnhancedEdit2->setText(entry->weight == QLatin1String("-1") ? QString() : entry->weight);
        maskeditL3->setText(entry->duration);
        int row = 1;
        for (const Entries::Unit& unit : entry->units) {
            StringAlignGrid1->setCells(0, row, unit.subId + QStringLiteral(". "));
            setStoredDistance(row, unit.distance.toDouble());
            StringAlignGrid1->setCells(2, row, unit.time == QLatin1String("00:00:00") ? QString() : unit.time);
            StringAlignGrid1->setCells(3, row, unit.pulse == QLatin1String("-1") ? QString() : unit.pulse);
            StringAlignGrid1->setCells(4, row, unit.zone);
            StringAlignGrid1->addRow();
            ++row;
        }
    }
    Label18->setText(entryDistanceText(SumStrecke()) + QStringLiteral(" km"));
    setPanel(2, QStringLiteral("  Eintrag ") + QString::number(m_position + 1) + QLatin1Char('/')
                    + QString::number(m_entries.size()));
    ToolButton2->setEnabled(Label16->text() != QLatin1String("-1") && formView);
    GetDistShoe();
    markClean();
}

namespace {

// Where the entry nearest to a place of the former entry list that is still
// there stands in the list now. Of two as near, the one that was not shown
// before: paging goes on past a gone entry rather than back.
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

} // namespace

// The entry to be shown was deleted at another workstation after the entry
// list was read: the list is read anew, the nearest entry left is shown and
// the user told. The list view follows the entry list line by line, so it is
// built anew once the box is closed and the selection that led here is over.
void TForm4::entryGoneWhileBrowsing(const QString& shown)
{
    const QStringList before = m_entries;
    const int place = m_position;
    forgetDiarySums();
    CheckMain(false);
    m_position = nearestLeft(before, place, m_entries, shown);
    if (ToolButton8->isChecked() && m_position >= 0)
        StringAlignGrid2->setCurrentGridRow(m_position + 1, false);
    Blaettern();
    showTotalDistance();
    Messages::deletedElsewhere(this, QStringLiteral("Der Eintrag"));
    if (ToolButton8->isChecked())
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (ToolButton8->isChecked())
                    ToolButton8Click();
            },
            Qt::QueuedConnection);
}

// Shows the entry at the given position, kept inside the entry list; in the
// list view the list's selection follows.
void TForm4::showEntryAt(int position)
{
    m_position = m_entries.isEmpty() ? -1 : qBound(0, position, int(m_entries.size()) - 1);
    if (ToolButton8->isChecked() && m_position >= 0)
        StringAlignGrid2->setCurrentGridRow(m_position + 1, false);
    Blaettern();
}

void TForm4::ToolButton3Click()
{
    if (!askToSaveChanges())
        return;
    guarded(this, [&] { showEntryAt(0); });
}

void TForm4::ToolButton4Click()
{
    if (!askToSaveChanges())
        return;
    guarded(this, [&] { showEntryAt(m_position - 1); });
}

void TForm4::ToolButton5Click()
{
    if (!askToSaveChanges())
        return;
    guarded(this, [&] { showEntryAt(m_position + 1); });
}

void TForm4::ToolButton6Click()
{
    if (!askToSaveChanges())
        return;
    guarded(this, [&] { showEntryAt(int(m_entries.size()) - 1); });
}

void TForm4::ToolButton2Click()
{
    const QString id = Label16->text();
    if (id == QLatin1String("-1"))
        return;
    if (!Messages::confirm(this, QStringLiteral("Bestätigen"),
                           QStringLiteral("Möchten Sie den ausgewählten Eintrag aus Ihrem Rezidedazurazedad löschen?")))
        return;
    guarded(this, [&] {
        bool deletedElsewhere = false;
        // Units and entry go together: a failure leaves both in place.
        deletedElsewhere = !Entries::remove(m_session.ZDatabase1, id);
        forgetDiarySums();
        // The entry before the deleted one; the first stays first.
        if (m_position > 0)
            --m_position;
        CheckMain(false);
        if (m_position >= m_entries.size())
            m_position = int(m_entries.size()) - 1;
        Blaettern();
        showTotalDistance();
        if (deletedElsewhere)
            Messages::deletedElsewhere(this, QStringLiteral("Der Eintrag"));
    });
}

void TForm4::ToolButton8Click()
{
    if (!askToSaveChanges()) {
        ToolButton8->setChecked(false); // the form view stays
        return;
    }
    m_listReady = false;
    QWidget* area = centralWidget();
    if (!StringAlignGrid2->findChild<QObject*>(QLatin1String(CoverClientArea::kName), Qt::FindDirectChildrenOnly))
        new CoverClientArea(area, StringAlignGrid2);
    StringAlignGrid2->setGeometry(area->rect());
    StringAlignGrid2->raise();

    for (QToolButton* b : {ToolButton1, ToolButton2, ToolButton10, ToolButton13})
        b->setEnabled(false);
    ToolButton12->setChecked(false);
    ToolButton8->setChecked(true);
    repaint();

    StringAlignGrid2->clearRows();
    guarded(this, [&] {
        // The kilometres of all entries come with one statement.
        const EntryKm sums = EntryDistances(m_session.ZDatabase1, m_userId);
        const QList<Entries::Entry> entries = Entries::listed(m_session.ZDatabase1, m_userId);
        QList<QStringList> lines;
        QHash<QString, qsizetype> lineOf;
        lines.reserve(entries.size());
        for (const Entries::Entry& e : entries) {
            lineOf.insert(e.id, lines.size());
            lines << QStringList{
                e.id,
                e.date,
                e.time,
                e.category,
                entryDistanceText(sums.value(e.id.toLongLong())) + QStringLiteral(" km "),
                e.restPulse,
                e.weight.isEmpty() ? QString() : e.weight + QStringLiteral(" kg "),
                e.shoe,
                e.weather,
                e.feeling,
                e.notes,
            };
        }
        // Entries that share date and time may come here in another order
        // than in the entry list; line n shows entry n of the entry list, so
        // that picking a line shows that entry. Entries the list does not
        // know yet follow at the end.
        QList<qsizetype> order;
        order.reserve(lines.size());
        QList<bool> placed(lines.size(), false);
        for (const QString& id : m_entries)
            if (const auto line = lineOf.constFind(id); line != lineOf.constEnd() && !placed[*line]) {
                order << *line;
                placed[*line] = true;
            }
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (!placed[i])
                order << i;
        // The entry list takes the lines' order: entries deleted at another
        // workstation since it was read leave it, new ones join at the end.
        const QString shown = m_entries.value(m_position);
        m_entries.clear();
        for (const qsizetype line : std::as_const(order))
            m_entries << lines[line].first();
        const qsizetype place = m_entries.indexOf(shown);
        m_position = place >= 0 ? int(place) : qMin(m_position, int(m_entries.size()) - 1);
        setPanel(0, QStringLiteral("  ") + entryCountText(m_entries.size()));
        int row = 1;
        for (const qsizetype line : order) {
            const QStringList& cells = lines[line];
            for (int column = 0; column < cells.size(); ++column)
                StringAlignGrid2->setCells(column, row, cells[column]);
            // Shoe, weather, feeling and notes are often longer than their column.
            for (int column = 7; column <= 10; ++column)
                if (QTableWidgetItem* cell = StringAlignGrid2->item(row - StringAlignGrid2->firstDataRow(), column))
                    cell->setToolTip(cells[column]);
            StringAlignGrid2->addRow();
            ++row;
        }
        // Sports, shoes and weather words are shown whole; feeling and notes
        // end in an ellipsis, with the whole text as the hint.
        // The same few words stand in most lines: each is measured once.
        QList<QSet<QString>> words(11);
        for (const QStringList& cells : std::as_const(lines))
            for (const int column : {3, 7, 8})
                words[column].insert(cells[column]);
        QList<QStringList> samples;
        for (const QSet<QString>& column : std::as_const(words))
            samples << QStringList(column.cbegin(), column.cend());
        StringAlignGrid2->widenToFit(samples);
    });
    StringAlignGrid2->show();
    m_listReady = true;
    // The list marks the current entry; picking it shows it in the form
    // behind, except for the first entry, which is only marked.
    if (m_position >= 0)
        StringAlignGrid2->setCurrentGridRow(m_position + 1, m_position > 0);
}

void TForm4::StringAlignGrid2SelectCell(int, int row, bool*)
{
    if (!m_listReady)
        return;
    guarded(this, [&] {
        m_position = qMin(row - 1, int(m_entries.size()) - 1);
        Blaettern();
    });
}

void TForm4::StringAlignGrid2DblClick()
{
    ToolButton12Click();
}

void TForm4::ToolButton12Click()
{
    StringAlignGrid2->hide();
    ToolButton12->setChecked(true);
    ToolButton8->setChecked(false);
    ToolButton1->setEnabled(true);
    const bool any = !m_entries.isEmpty();
    ToolButton2->setEnabled(any);
    ToolButton13->setEnabled(any);
}
