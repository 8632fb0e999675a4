#include "tform4.h"

#include "diaryforms.h"
#include "entries.h"
#include "errorboundary.h"
#include "session.h"
#include "stringgrid.h"

#include <QCollator>
#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QHeaderView>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSet>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

// The columns of the list view that do not sort as text.
constexpr int kDateColumn = 1;
constexpr int kTimeOfDayColumn = 2;
constexpr int kSportColumn = 3;
constexpr int kKmColumn = 4;
constexpr int kTimeColumn = 11;
constexpr int kPaceColumn = 12;

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

const QCollator& listCollator()
{
    static const QCollator collator = [] {
        QCollator c{QLocale()};
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

// A cell of the list view. One with a number to sort by (date and time of
// day, kilometres, time, pace) sorts by it, every other as text in the order
// of the language. Empty cells get no item: the grid puts the rows without
// one after all others, in either direction.
class ListCell : public QTableWidgetItem
{
public:
    explicit ListCell(const QString& text) : QTableWidgetItem(text)
    {
        setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    }

    bool operator<(const QTableWidgetItem& other) const override
    {
        const QVariant mine = data(Qt::UserRole);
        const QVariant theirs = other.data(Qt::UserRole);
        if (mine.isValid() && theirs.isValid())
            return mine.toDouble() < theirs.toDouble();
        return listCollator().compare(text(), other.text()) < 0;
    }
};

// "1:05:09" or "5:07 min/km" in seconds; -1 when it is no such text.
double secondsOf(const QString& text)
{
    const QStringList parts = text.section(QLatin1Char(' '), 0, 0).split(QLatin1Char(':'));
    double seconds = 0.0;
    for (const QString& part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok)
            return -1.0;
        seconds = seconds * 60.0 + value;
    }
    return seconds;
}

// The number a cell sorts by; none for the columns sorted as text.
QVariant sortKey(int column, const QStringList& cells)
{
    switch (column) {
    case kDateColumn: {
        const QDate date = QDate::fromString(cells.value(kDateColumn), QStringLiteral("dd.MM.yyyy"));
        const QTime time = QTime::fromString(cells.value(kTimeOfDayColumn), QStringLiteral("hh:mm:ss"));
        return double(date.toJulianDay()) * 86400.0 + (time.isValid() ? time.msecsSinceStartOfDay() / 1000 : 0);
    }
    case kKmColumn: {
        bool ok = false;
        const double km = QLocale(QLocale::German).toDouble(cells.value(kKmColumn).section(QLatin1Char(' '), 0, 0), &ok);
        return ok ? QVariant(km) : QVariant();
    }
    case kTimeColumn:
    case kPaceColumn: {
        const double seconds = secondsOf(cells.value(column));
        return seconds >= 0.0 ? QVariant(seconds) : QVariant();
    }
    default:
        return {};
    }
}

} // namespace

void TForm4::ToolButton8Click()
{
    if (!askToSaveChanges()) {
        ToolButton8->setChecked(false); // the form view stays
        return;
    }
    m_listReady = false;
    m_filterTimer->stop();
    QWidget* area = centralWidget();
    if (!StringAlignGrid2->findChild<QObject*>(QLatin1String(CoverClientArea::kName), Qt::FindDirectChildrenOnly))
        new CoverClientArea(area, StringAlignGrid2);
    StringAlignGrid2->setGeometry(area->rect());
    StringAlignGrid2->raise();
    ListBar->show();

    for (QToolButton* b : {ToolButton1, ToolButton2, ToolButton10, ToolButton13})
        b->setEnabled(false);
    ToolButton12->setChecked(false);
    ToolButton8->setChecked(true);
    repaint();

    StringAlignGrid2->clearRows();
    StringAlignGrid2->setRowHidden(0, false);
    m_listFilter.reset();
    m_listEntries = 0;
    guarded(this, [&] {
        const QList<QStringList> lines = m_model.listLines();
        m_listEntries = int(lines.size());
        StringAlignGrid2->setGridRowCount(int(lines.size()) + 2);
        for (int row = 0; row < lines.size(); ++row) {
            const QStringList& cells = lines[row];
            for (int column = 0; column < cells.size(); ++column) {
                if (cells[column].isEmpty())
                    continue;
                auto* cell = new ListCell(cells[column]);
                if (const QVariant key = sortKey(column, cells); key.isValid())
                    cell->setData(Qt::UserRole, key);
                // Shoe, weather, feeling and notes are often longer than their column.
                if (column >= 7 && column <= 10)
                    cell->setToolTip(cells[column]);
                StringAlignGrid2->setItem(row, column, cell);
            }
        }
        // Sports, shoes and weather words are shown whole; feeling and notes
        // end in an ellipsis, with the whole text as the hint.
        // The same few words stand in most lines: each is measured once.
        QList<QSet<QString>> words(StringAlignGrid2->columnCount());
        for (const QStringList& cells : std::as_const(lines))
            for (const int column : {kSportColumn, 7, 8, kTimeColumn, kPaceColumn})
                words[column].insert(cells.value(column));
        QList<QStringList> samples;
        for (const QSet<QString>& column : std::as_const(words))
            samples << QStringList(column.cbegin(), column.cend());
        // The room of the sort arrow is given to the one column sorted by, not to all.
        QHeaderView* header = StringAlignGrid2->horizontalHeader();
        const bool arrow = header->isSortIndicatorShown();
        header->setSortIndicatorShown(false);
        StringAlignGrid2->widenToFit(samples);
        header->setSortIndicatorShown(arrow);
        if (arrow)
            fitSortedHeading();

        // The sports of the entries, for the filter; the one chosen stays
        // while entries of it are left.
        QStringList sports(words[kSportColumn].cbegin(), words[kSportColumn].cend());
        sports.removeAll(QString());
        std::sort(sports.begin(), sports.end(),
                  [](const QString& a, const QString& b) { return listCollator().compare(a, b) < 0; });
        const QString chosen = FilterSport->currentIndex() > 0 ? FilterSport->currentText() : QString();
        const QSignalBlocker blocker(FilterSport);
        FilterSport->clear();
        FilterSport->addItem(QStringLiteral("alle Sportarten"));
        FilterSport->addItems(sports);
        FilterSport->setCurrentIndex(qMax(0, int(sports.indexOf(chosen)) + 1));
        // The bar makes room for the longest sport now, not only once the
        // list has been drawn.
        if (QLayout* bar = FilterSport->parentWidget()->layout())
            bar->activate();

        if (m_sortColumn >= 0)
            StringAlignGrid2->sortItems(m_sortColumn, m_sortOrder);
        applyListFilter();
    });
    showListCount();
    StringAlignGrid2->show();
    m_listReady = true;
    // The list marks the current entry; picking it shows it in the form
    // behind, except for the first entry, which is only marked.
    const int row = listRowOf(m_model.ids().value(m_model.position()));
    if (row > 0 && !StringAlignGrid2->isRowHidden(row - StringAlignGrid2->firstDataRow()))
        StringAlignGrid2->setCurrentGridRow(row, m_model.position() > 0);
}

void TForm4::FilterChange()
{
    m_filterTimer->stop();
    if (!ToolButton8->isChecked())
        return; // the list view applies the filter when it is shown
    guarded(this, [&] {
        applyListFilter();
        markListRow();
    });
    showListCount();
}

void TForm4::applyListFilter()
{
    const QString text = FilterEdit->text().trimmed();
    const QString sport = FilterSport->currentIndex() > 0 ? FilterSport->currentText() : QString();
    if (text.isEmpty() && sport.isEmpty()) {
        m_listFilter.reset();
    } else {
        const QStringList ids = Entries::matching(m_session.ZDatabase1, m_model.userId(), text, sport);
        m_listFilter = QSet<QString>(ids.cbegin(), ids.cend());
    }
    hideFilteredRows();
}

void TForm4::hideFilteredRows()
{
    // Only the rows whose state changes are touched: typing one more letter
    // hides a few rows, not thousands.
    for (int r = 0; r < StringAlignGrid2->rowCount(); ++r) {
        const QTableWidgetItem* id = StringAlignGrid2->item(r, 0);
        const bool hide = m_listFilter && id && !m_listFilter->contains(id->text());
        if (StringAlignGrid2->isRowHidden(r) != hide)
            StringAlignGrid2->setRowHidden(r, hide);
    }
}

void TForm4::showListCount()
{
    if (!m_listFilter) {
        setPanel(0, QStringLiteral("  ") + entryCountText(m_listEntries));
        return;
    }
    int shown = 0;
    for (int r = 0; r < StringAlignGrid2->rowCount(); ++r)
        if (StringAlignGrid2->item(r, 0) && !StringAlignGrid2->isRowHidden(r))
            ++shown;
    setPanel(0, QStringLiteral("  %1 von %2 %3")
                    .arg(shown)
                    .arg(m_listEntries)
                    .arg(m_listEntries == 1 ? QStringLiteral("Eintrag") : QStringLiteral("Einträgen")));
}

int TForm4::listRowOf(const QString& id) const
{
    if (id.isEmpty())
        return -1;
    for (int r = 0; r < StringAlignGrid2->rowCount(); ++r)
        if (const QTableWidgetItem* cell = StringAlignGrid2->item(r, 0); cell && cell->text() == id)
            return r + StringAlignGrid2->firstDataRow();
    return -1;
}

void TForm4::markListRow()
{
    if (!ToolButton8->isChecked())
        return;
    const int row = listRowOf(m_model.ids().value(m_model.position()));
    if (row > 0 && !StringAlignGrid2->isRowHidden(row - StringAlignGrid2->firstDataRow())) {
        StringAlignGrid2->setCurrentGridRow(row, false);
        return;
    }
    // Not in the list as it is narrowed: no row stands for it.
    StringAlignGrid2->selectionModel()->clear();
}

void TForm4::sortList(int column)
{
    m_sortOrder = column == m_sortColumn && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                               : Qt::AscendingOrder;
    m_sortColumn = column;
    QHeaderView* header = StringAlignGrid2->horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(m_sortColumn, m_sortOrder);
    fitSortedHeading();
    StringAlignGrid2->sortItems(m_sortColumn, m_sortOrder);
    // Hidden rows stay hidden whatever place they move to.
    hideFilteredRows();
    if (QTableWidgetItem* current = StringAlignGrid2->currentItem())
        StringAlignGrid2->scrollToItem(current);
}

void TForm4::fitSortedHeading()
{
    // The heading with its arrow is shown whole; the notes take what is left.
    const int hint = StringAlignGrid2->horizontalHeader()->sectionSizeHint(m_sortColumn);
    if (m_sortColumn != 10 && StringAlignGrid2->columnWidth(m_sortColumn) < hint)
        StringAlignGrid2->setColumnWidth(m_sortColumn, hint);
}

void TForm4::StringAlignGrid2SelectCell(int, int row, bool*)
{
    if (!m_listReady)
        return;
    guarded(this, [&] {
        // The row's entry, by the ID it holds; the empty row below the last
        // stands for the last entry of the paging.
        const int place = int(m_model.ids().indexOf(StringAlignGrid2->cells(0, row)));
        m_model.setPosition(place >= 0 ? place : int(m_model.ids().size()) - 1);
        Blaettern();
    });
}

void TForm4::StringAlignGrid2DblClick()
{
    // The row's entry is the one the click has shown behind the list: with
    // a course, its course opens; else the form view.
    if (m_model.hasCourse()) {
        VerlaufButtonClick();
        return;
    }
    ToolButton12Click();
}

void TForm4::ToolButton12Click()
{
    m_filterTimer->stop();
    StringAlignGrid2->hide();
    ListBar->hide();
    ToolButton12->setChecked(true);
    ToolButton8->setChecked(false);
    ToolButton1->setEnabled(true);
    const bool any = !m_model.ids().isEmpty();
    ToolButton2->setEnabled(any);
    ToolButton13->setEnabled(any);
}

void TForm4::setUpListView()
{
    // The filter follows the typing once it pauses, not each key on a long list.
    m_filterTimer = new QTimer(this);
    m_filterTimer->setSingleShot(true);
    m_filterTimer->setInterval(150);
    connect(m_filterTimer, &QTimer::timeout, this, &TForm4::FilterChange);
    connect(FilterEdit, &QLineEdit::textChanged, m_filterTimer, qOverload<>(&QTimer::start));
    connect(FilterSport, &QComboBox::currentIndexChanged, this, &TForm4::FilterChange);
    FilterEdit->setMaxLength(255);

    // Zeit and Tempo stand after Strecke; the notes stay the last column.
    QHeaderView* header = StringAlignGrid2->horizontalHeader();
    header->moveSection(header->visualIndex(kTimeColumn), header->visualIndex(kKmColumn) + 1);
    header->moveSection(header->visualIndex(kPaceColumn), header->visualIndex(kTimeColumn) + 1);
    header->setSectionsClickable(true);
    // The list comes in date order; the arrow shows once a heading is clicked.
    header->setSortIndicator(m_sortColumn, m_sortOrder);
    header->setSortIndicatorShown(false);
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) { guarded(this, [&] { sortList(column); }); });
}
