#pragma once

#include <QList>
#include <QStringList>
#include <QTableWidget>

// The string grid of every list window (the `StringAlignGrid…` controls).
//
// Rows are counted as the windows count them: with a heading row (the
// default), row 0 is the heading (the horizontal header) and the records
// start at row 1; gridRowCount() includes the heading. Without a heading row the records
// start at row 0. Columns are counted from 0; a column of width 0 is hidden
// (the record ID), the last column fills the rest of the grid.
//
// Whole rows are selected, one at a time unless the grid is set to take
// several (setMultiRowSelection); nothing is edited in place; Tab
// leaves the grid. Before the current row changes (mouse, keyboard or
// setCurrentGridRow) selectCell() is emitted with the new row, and a slot
// may refuse the change by setting *canSelect to false. A double-click
// anywhere in the grid emits dblClick(); the handler reads currentGridRow().
// No row is current until one is chosen: taking the focus (also by Tab)
// chooses none; an arrow key then chooses the first.
//
// The list windows keep "always exactly one empty row below the last
// record": clearRows() leaves the heading and one empty row, addRow()
// appends an empty row after the one just filled.
class StringGrid : public QTableWidget
{
    Q_OBJECT

public:
    explicit StringGrid(QWidget* parent = nullptr);

    // Headings and widths of all columns at once; a width of 0 hides the column.
    void setColumns(const QStringList& headings, const QList<int>& widths);
    void setColumnWidths(const QList<int>& widths);
    int gridColumnWidth(int column) const;
    // The column takes the room the others leave, growing and shrinking with
    // the grid; the others keep their widths, so that none of them is pushed
    // out of view and the grid never scrolls sideways. A text too long for
    // the column ends in an ellipsis (see setCellToolTip for the whole text).
    void setStretchColumn(int column);
    // Widens every visible column whose heading, or one of the sample texts
    // given for it, the font in use would cut; no column gets narrower.
    void widenToFit(const QList<QStringList>& samples = {});
    // Height of every row, the heading included.
    void setDefaultRowHeight(int height);
    int defaultRowHeight() const { return m_rowHeight; }
    void setHeadingVisible(bool visible);
    bool hasHeading() const { return m_heading; }
    // The first record row: 1 with a heading, 0 without.
    int firstDataRow() const { return m_heading ? 1 : 0; }

    // Rows including the heading; never fewer than the heading and one row.
    int gridRowCount() const;
    void setGridRowCount(int rows);
    // Appends one empty row.
    void addRow();
    // Removes the rows from the last one up to the first data row, then
    // empties every cell of that row: the heading and one empty row remain.
    void clearRows();

    // Row 0 with a heading is the heading text.
    QString cells(int column, int row) const;
    void setCells(int column, int row, const QString& text);
    // The hint shown over a record's cell; the cell must have been set.
    void setCellToolTip(int column, int row, const QString& text);
    bool isRowEmpty(int row) const;

    // The selected row in grid counting; -1 when none.
    int currentGridRow() const;
    // Selects a row; without notify no selectCell() is emitted.
    void setCurrentGridRow(int row, bool notify = true);
    // Several rows at once: Shift and Ctrl with the mouse and the arrow
    // keys, Ctrl+A for all. The current row is still the one selectCell()
    // names; a plain click or arrow key selects it alone.
    void setMultiRowSelection(bool multiple);
    bool multiRowSelection() const { return selectionMode() == QAbstractItemView::ExtendedSelection; }
    // The selected rows in grid counting, in order.
    QList<int> selectedGridRows() const;

Q_SIGNALS:
    void selectCell(int column, int row, bool* canSelect);
    void dblClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    friend class StringGridSelectionModel;
    bool askSelect(int column, int tableRow);
    int tableRow(int gridRow) const { return gridRow - firstDataRow(); }
    int visibleColumn() const;

    bool m_heading = true;
    int m_rowHeight = 19;
    int m_silent = 0;
};
