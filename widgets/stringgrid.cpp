#include "stringgrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QStyle>

#include <algorithm>

// Asks the grid before the current row changes; a refused row is neither
// made current nor selected.
class StringGridSelectionModel : public QItemSelectionModel
{
public:
    StringGridSelectionModel(QAbstractItemModel* model, StringGrid* grid)
        : QItemSelectionModel(model, grid), m_grid(grid)
    {
    }

    using QItemSelectionModel::select;

    void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override
    {
        if (index.isValid() && (!currentIndex().isValid() || index.row() != currentIndex().row())) {
            if (!m_grid->askSelect(index.column(), index.row())) {
                m_refusedRow = index.row();
                return;
            }
        }
        m_refusedRow = -1;
        QItemSelectionModel::setCurrentIndex(index, command);
    }

    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override
    {
        if (m_refusedRow >= 0) {
            const QModelIndexList indexes = selection.indexes();
            for (const QModelIndex& index : indexes) {
                if (index.row() == m_refusedRow)
                    return;
            }
        }
        QItemSelectionModel::select(selection, command);
    }

private:
    StringGrid* m_grid;
    int m_refusedRow = -1;
};

StringGrid::StringGrid(QWidget* parent) : QTableWidget(parent)
{
    QItemSelectionModel* previous = selectionModel();
    setSelectionModel(new StringGridSelectionModel(model(), this));
    delete previous;

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone); // a narrow column clips its text
    setShowGrid(true);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setSectionsMovable(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(0);
    header->setStretchLastSection(true);
    setDefaultRowHeight(m_rowHeight);
    setRowCount(1);
}

void StringGrid::setColumns(const QStringList& headings, const QList<int>& widths)
{
    setColumnCount(int(headings.size()));
    setHorizontalHeaderLabels(headings);
    setColumnWidths(widths);
}

void StringGrid::setColumnWidths(const QList<int>& widths)
{
    for (int c = 0; c < widths.size() && c < columnCount(); ++c) {
        setColumnHidden(c, widths[c] <= 0);
        if (widths[c] > 0)
            setColumnWidth(c, widths[c]);
    }
}

int StringGrid::gridColumnWidth(int column) const
{
    return isColumnHidden(column) ? 0 : columnWidth(column);
}

void StringGrid::setStretchColumn(int column)
{
    QHeaderView* header = horizontalHeader();
    header->setStretchLastSection(false);
    for (int c = 0; c < columnCount(); ++c)
        header->setSectionResizeMode(c, c == column ? QHeaderView::Stretch : QHeaderView::Fixed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
}

void StringGrid::widenToFit(const QList<QStringList>& samples)
{
    // A cell's text stands between the margins the style draws on both sides.
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 1;
    const QFontMetrics metrics(font());
    QHeaderView* header = horizontalHeader();
    const int last = columnCount() - 1;
    auto neededWidth = [&](int c) {
        int needed = m_heading ? header->sectionSizeHint(c) : 0;
        for (const QString& text : samples.value(c))
            needed = qMax(needed, metrics.horizontalAdvance(text) + margins);
        return needed;
    };
    int gained = 0;
    for (int c = 0; c < columnCount(); ++c) {
        const int needed = neededWidth(c);
        if (isColumnHidden(c) || needed <= columnWidth(c))
            continue;
        if (c < last)
            gained += needed - columnWidth(c);
        setColumnWidth(c, needed);
    }
    // The last column fills the rest: it gives up what the others gained, as
    // far as its own texts allow, so that the grid keeps its width.
    if (gained > 0 && last >= 0 && header->stretchLastSection() && !isColumnHidden(last))
        setColumnWidth(last, qMax(neededWidth(last), columnWidth(last) - gained));
}

void StringGrid::setDefaultRowHeight(int height)
{
    m_rowHeight = height;
    QHeaderView* rows = verticalHeader();
    rows->setMinimumSectionSize(0);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(height);
    for (int r = 0; r < rowCount(); ++r)
        setRowHeight(r, height);
    horizontalHeader()->setFixedHeight(height);
}

void StringGrid::setHeadingVisible(bool visible)
{
    m_heading = visible;
    horizontalHeader()->setVisible(visible);
}

int StringGrid::gridRowCount() const
{
    return rowCount() + firstDataRow();
}

void StringGrid::setGridRowCount(int rows)
{
    ++m_silent;
    setRowCount(qMax(1, rows - firstDataRow()));
    --m_silent;
}

void StringGrid::addRow()
{
    setGridRowCount(gridRowCount() + 1);
}

void StringGrid::clearRows()
{
    ++m_silent;
    for (int r = rowCount() - 1; r >= 1; --r)
        removeRow(r);
    if (rowCount() == 0)
        setRowCount(1);
    for (int c = 0; c < columnCount(); ++c)
        delete takeItem(0, c);
    --m_silent;
}

QString StringGrid::cells(int column, int row) const
{
    if (m_heading && row == 0) {
        const QTableWidgetItem* item = horizontalHeaderItem(column);
        return item ? item->text() : QString();
    }
    const QTableWidgetItem* cell = item(tableRow(row), column);
    return cell ? cell->text() : QString();
}

void StringGrid::setCells(int column, int row, const QString& text)
{
    if (m_heading && row == 0) {
        QTableWidgetItem* header = horizontalHeaderItem(column);
        if (!header) {
            header = new QTableWidgetItem;
            setHorizontalHeaderItem(column, header);
        }
        header->setText(text);
        return;
    }
    const int r = tableRow(row);
    if (r < 0 || r >= rowCount() || column < 0 || column >= columnCount())
        return;
    QTableWidgetItem* cell = item(r, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        setItem(r, column, cell);
    }
    cell->setText(text);
}

void StringGrid::setCellToolTip(int column, int row, const QString& text)
{
    if (QTableWidgetItem* cell = item(tableRow(row), column))
        cell->setToolTip(text);
}

bool StringGrid::isRowEmpty(int row) const
{
    for (int c = 0; c < columnCount(); ++c) {
        if (!cells(c, row).isEmpty())
            return false;
    }
    return true;
}

int StringGrid::currentGridRow() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() + firstDataRow() : -1;
}

int StringGrid::visibleColumn() const
{
    for (int c = 0; c < columnCount(); ++c) {
        if (!isColumnHidden(c))
            return c;
    }
    return 0;
}

void StringGrid::setCurrentGridRow(int row, bool notify)
{
    const int r = tableRow(row);
    if (r < 0 || r >= rowCount())
        return;
    if (!notify)
        ++m_silent;
    setCurrentCell(r, visibleColumn(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!notify)
        --m_silent;
}

void StringGrid::setMultiRowSelection(bool multiple)
{
    setSelectionMode(multiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

QList<int> StringGrid::selectedGridRows() const
{
    // A row counts whatever columns of it the selection covers (the hidden
    // ID column may be left out).
    QList<int> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows << r + firstDataRow();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

bool StringGrid::askSelect(int column, int tableRow)
{
    if (m_silent > 0)
        return true;
    bool canSelect = true;
    Q_EMIT selectCell(column, tableRow + firstDataRow(), &canSelect);
    return canSelect;
}

void StringGrid::mousePressEvent(QMouseEvent* event)
{
    // A click on the row that is selected already selects it anew, and the
    // window hears of it as of any other selection.
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool again = event->button() == Qt::LeftButton && index.isValid() && currentIndex().isValid()
                       && index.row() == currentIndex().row();
    QTableWidget::mousePressEvent(event);
    if (again)
        askSelect(index.column(), index.row());
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT dblClick();
}

void StringGrid::focusInEvent(QFocusEvent* event)
{
    if (!currentIndex().isValid()) {
        // Taking the focus chooses no row, however it comes (the item view
        // would make the first one current when tabbed into); the arrow keys
        // or a click choose one.
        QAbstractScrollArea::focusInEvent(event);
        viewport()->update();
        return;
    }
    QTableWidget::focusInEvent(event);
}

void StringGrid::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    // The view moves the current row off removed rows itself: no selectCell for that.
    ++m_silent;
    QTableWidget::rowsAboutToBeRemoved(parent, start, end);
    --m_silent;
}
