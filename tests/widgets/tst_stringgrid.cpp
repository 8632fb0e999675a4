#include "stringgrid.h"
#include "testsupport.h"

#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestStringGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    // shape
    void headingRowAndColumns();
    void rowHeightAndLastColumnFillingTheRest();
    void nothingIsEditedInPlace();

    // rows counted with the heading as row 0
    void cellsCountTheHeadingAsRowZero();
    void oneEmptyRowBelowTheLastRecord();
    void clearingLeavesHeadingAndOneEmptyRow();
    void withoutHeadingRowsStartAtZero();

    // selection
    void clickSelectsTheWholeRowAfterAsking();
    void keyboardMovesAskToo();
    void refusedRowIsNotSelected();
    void programmaticSelectionWithOrWithoutAsking();
    void removingRowsAsksNothing();
    void doubleClickIsSignalled();
    void focusChoosesNoRow();

private:
    void fill(int records);
    QPoint rowCentre(int gridRow) const;

    std::unique_ptr<StringGrid> m_grid;
};

void TestStringGrid::init()
{
    initTestEnvironment();
    m_grid = std::make_unique<StringGrid>();
    m_grid->setObjectName("StringAlignGrid1");
    m_grid->setColumns({" ID", " Name", " Vorname", "Geburtstag"}, {0, 97, 103, 85});
    m_grid->setDefaultRowHeight(19);
    m_grid->resize(320, 200);
}

void TestStringGrid::cleanup()
{
    m_grid.reset();
}

void TestStringGrid::fill(int records)
{
    m_grid->clearRows();
    for (int i = 1; i <= records; ++i) {
        m_grid->setCells(0, i, QString::number(i * 10));
        m_grid->setCells(1, i, QString(" Name%1").arg(i));
        m_grid->setCells(2, i, QString(" Vorname%1").arg(i));
        m_grid->setCells(3, i, "01.01.1980");
        m_grid->addRow();
    }
}

QPoint TestStringGrid::rowCentre(int gridRow) const
{
    return m_grid->visualRect(m_grid->model()->index(gridRow - 1, 1)).center();
}

void TestStringGrid::headingRowAndColumns()
{
    QCOMPARE(m_grid->columnCount(), 4);
    QVERIFY(m_grid->hasHeading());
    QVERIFY(!m_grid->horizontalHeader()->isHidden());
    QVERIFY(m_grid->verticalHeader()->isHidden());
    QCOMPARE(m_grid->cells(0, 0), QString(" ID"));
    QCOMPARE(m_grid->cells(1, 0), QString(" Name"));
    QCOMPARE(m_grid->cells(2, 0), QString(" Vorname"));
    QCOMPARE(m_grid->cells(3, 0), QString("Geburtstag"));
    QCOMPARE(m_grid->gridColumnWidth(0), 0);
    QVERIFY(m_grid->isColumnHidden(0));
    QCOMPARE(m_grid->gridColumnWidth(1), 97);
    QCOMPARE(m_grid->gridColumnWidth(2), 103);
    QCOMPARE(m_grid->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(m_grid->selectionMode(), QAbstractItemView::SingleSelection);
    QVERIFY(!m_grid->tabKeyNavigation());
}

void TestStringGrid::rowHeightAndLastColumnFillingTheRest()
{
    fill(3);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    QCOMPARE(m_grid->defaultRowHeight(), 19);
    for (int r = 0; r < m_grid->rowCount(); ++r)
        QCOMPARE(m_grid->rowHeight(r), 19);
    QCOMPARE(m_grid->horizontalHeader()->height(), 19);
    QVERIFY(m_grid->horizontalHeader()->stretchLastSection());
    QCOMPARE(97 + 103 + m_grid->columnWidth(3), m_grid->viewport()->width());
    QVERIFY(m_grid->columnWidth(3) >= 85);
}

void TestStringGrid::nothingIsEditedInPlace()
{
    fill(1);
    QCOMPARE(m_grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!(m_grid->item(0, 1)->flags() & Qt::ItemIsEditable));
}

void TestStringGrid::cellsCountTheHeadingAsRowZero()
{
    fill(2);
    QCOMPARE(m_grid->firstDataRow(), 1);
    QCOMPARE(m_grid->gridRowCount(), 4); // heading, two records, the empty row
    QCOMPARE(m_grid->rowCount(), 3);
    QCOMPARE(m_grid->cells(0, 1), QString("10"));
    QCOMPARE(m_grid->item(0, 0)->text(), QString("10"));
    QCOMPARE(m_grid->cells(1, 2), QString(" Name2"));
    QCOMPARE(m_grid->cells(1, 3), QString());
    QCOMPARE(m_grid->cells(1, 99), QString());
    m_grid->setCells(1, 0, " Nachname");
    QCOMPARE(m_grid->horizontalHeaderItem(1)->text(), QString(" Nachname"));
}

void TestStringGrid::oneEmptyRowBelowTheLastRecord()
{
    fill(3);
    QCOMPARE(m_grid->gridRowCount(), 5);
    QVERIFY(!m_grid->isRowEmpty(3));
    QVERIFY(m_grid->isRowEmpty(4));
}

void TestStringGrid::clearingLeavesHeadingAndOneEmptyRow()
{
    QCOMPARE(m_grid->gridRowCount(), 2); // a new grid: heading and one empty row
    fill(4);
    m_grid->setCurrentGridRow(3, false);
    m_grid->clearRows();
    QCOMPARE(m_grid->gridRowCount(), 2);
    QVERIFY(m_grid->isRowEmpty(1));
    QCOMPARE(m_grid->cells(1, 0), QString(" Name")); // the heading stays
    m_grid->setGridRowCount(0);                      // never below heading and one row
    QCOMPARE(m_grid->gridRowCount(), 2);
}

void TestStringGrid::withoutHeadingRowsStartAtZero()
{
    StringGrid grid;
    grid.setColumns({"", ""}, {150, 95});
    grid.setHeadingVisible(false);
    QCOMPARE(grid.firstDataRow(), 0);
    QVERIFY(grid.horizontalHeader()->isHidden());
    grid.setCells(0, 0, "Wettkampf");
    QCOMPARE(grid.item(0, 0)->text(), QString("Wettkampf"));
    QCOMPARE(grid.cells(0, 0), QString("Wettkampf"));
    QCOMPARE(grid.gridRowCount(), 1);
}

void TestStringGrid::clickSelectsTheWholeRowAfterAsking()
{
    fill(3);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    QList<QPair<int, int>> asked; // (row asked for, row current while asking)
    connect(m_grid.get(), &StringGrid::selectCell, this, [&](int, int row, bool* canSelect) {
        asked << qMakePair(row, m_grid->currentGridRow());
        QVERIFY(*canSelect);
    });
    QCOMPARE(m_grid->currentGridRow(), -1);
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, rowCentre(2));
    QCOMPARE(asked, (QList<QPair<int, int>>{{2, -1}}));
    QCOMPARE(m_grid->currentGridRow(), 2);
    QVERIFY(m_grid->selectionModel()->isRowSelected(1, {}));
    QCOMPARE(m_grid->selectionModel()->selectedIndexes().size(), 4); // whole row
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, rowCentre(2)); // same row: selected anew
    QCOMPARE(asked, (QList<QPair<int, int>>{{2, -1}, {2, 2}}));
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, rowCentre(4)); // the empty row
    QCOMPARE(asked.last(), qMakePair(4, 2));
    QCOMPARE(m_grid->currentGridRow(), 4);
}

void TestStringGrid::keyboardMovesAskToo()
{
    fill(3);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    QList<int> asked;
    connect(m_grid.get(), &StringGrid::selectCell, this, [&](int, int row, bool*) { asked << row; });
    m_grid->setCurrentGridRow(1, false);
    QTest::keyClick(m_grid.get(), Qt::Key_Down);
    QCOMPARE(asked, QList<int>{2});
    QCOMPARE(m_grid->currentGridRow(), 2);
    QVERIFY(m_grid->selectionModel()->isRowSelected(1, {}));
    QTest::keyClick(m_grid.get(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(asked.last(), 4);
}

void TestStringGrid::refusedRowIsNotSelected()
{
    fill(3);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    m_grid->setCurrentGridRow(1, false);
    connect(m_grid.get(), &StringGrid::selectCell, this,
            [&](int, int row, bool* canSelect) { *canSelect = row != 3; });
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, rowCentre(3));
    QCOMPARE(m_grid->currentGridRow(), 1);
    QVERIFY(m_grid->selectionModel()->isRowSelected(0, {}));
    QVERIFY(!m_grid->selectionModel()->isRowSelected(2, {}));
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, rowCentre(2));
    QCOMPARE(m_grid->currentGridRow(), 2);
    QVERIFY(m_grid->selectionModel()->isRowSelected(1, {}));
}

void TestStringGrid::programmaticSelectionWithOrWithoutAsking()
{
    fill(3);
    QList<int> asked;
    connect(m_grid.get(), &StringGrid::selectCell, this, [&](int, int row, bool*) { asked << row; });
    m_grid->setCurrentGridRow(2);
    QCOMPARE(asked, QList<int>{2});
    m_grid->setCurrentGridRow(3, false);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(m_grid->currentGridRow(), 3);
    QVERIFY(m_grid->selectionModel()->isRowSelected(2, {}));
    m_grid->setCurrentGridRow(0); // the heading is no row to select
    QCOMPARE(m_grid->currentGridRow(), 3);
}

void TestStringGrid::removingRowsAsksNothing()
{
    fill(4);
    m_grid->setCurrentGridRow(3, false);
    QList<int> asked;
    connect(m_grid.get(), &StringGrid::selectCell, this, [&](int, int row, bool*) { asked << row; });
    m_grid->clearRows();
    fill(2);
    m_grid->setRowCount(1);
    QVERIFY(asked.isEmpty());
}

void TestStringGrid::doubleClickIsSignalled()
{
    fill(2);
    m_grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    QSignalSpy dbl(m_grid.get(), &StringGrid::dblClick);
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, rowCentre(2));
    QCOMPARE(dbl.size(), 1);
    QCOMPARE(m_grid->currentGridRow(), 2);
    QVERIFY(!m_grid->isPersistentEditorOpen(m_grid->model()->index(1, 1)));
}

void TestStringGrid::focusChoosesNoRow()
{
    QWidget window;
    auto* before = new QPushButton("vorher", &window);
    auto* grid = new StringGrid(&window);
    grid->move(0, 40);
    grid->setColumns({" ID", " Name"}, {0, 97});
    grid->setCells(1, 1, " Adler");
    grid->addRow();
    QList<int> asked;
    connect(grid, &StringGrid::selectCell, this, [&](int, int row, bool*) { asked << row; });
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    grid->setFocus(Qt::OtherFocusReason); // focus without a keyboard: no row chosen
    QVERIFY(grid->hasFocus());
    QCOMPARE(grid->currentGridRow(), -1);
    before->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(before, Qt::Key_Tab); // tabbing in chooses nothing either
    QVERIFY(grid->hasFocus());
    QVERIFY(asked.isEmpty());
    QCOMPARE(grid->currentGridRow(), -1);
    QVERIFY(!grid->selectionModel()->hasSelection());
    QTest::keyClick(grid, Qt::Key_Down); // the arrow key chooses the first row
    QCOMPARE(asked, QList<int>{1});
    QCOMPARE(grid->currentGridRow(), 1);
    QVERIFY(grid->selectionModel()->isRowSelected(0, {}));
}

QTEST_MAIN(TestStringGrid)
#include "tst_stringgrid.moc"
