// The data grid over a recordset: the same current row both ways, editing in place,
// rebinding, and a large table.
#include "core/Connection.h"
#include "controls/DataGrid.h"
#include "core/Recordset.h"
#include "controls/ScriptedDialogs.h"
#include "support/TempAppFolder.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class DataGridTest : public ::testing::Test {
protected:
    TempAppFolder folder;
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    DataGrid grid;

    void TearDown() override { Dialogs::install(nullptr); }

    std::shared_ptr<Recordset> targets(int rows)
    {
        folder.connection()->execute(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
            "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) SELECT '1', '客户' || i, i FROM n").arg(rows));
        return std::make_shared<Recordset>(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\""));
    }
};

TEST_F(DataGridTest, ColumnsAreTheFieldsAndTheCurrentRowIsSharedBothWays)
{
    auto rs = targets(5);
    grid.bind(rs);
    grid.show();
    ASSERT_EQ(grid.model()->columnCount(), 23);
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("营销对象"));
    EXPECT_EQ(grid.model()->data(grid.model()->index(2, 1)).toString(), QStringLiteral("客户3"));
    EXPECT_EQ(grid.currentRowNumber(), 0);

    rs->setAbsolutePosition(4);
    EXPECT_EQ(grid.currentRowNumber(), 3);

    QSignalSpy clicked(&grid, &DataGrid::gridClicked);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(1, 2)).center());
    EXPECT_EQ(rs->absolutePosition(), 2);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(grid.currentFieldName(), QStringLiteral("电话1"));
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(rs->absolutePosition(), 3);
}

TEST_F(DataGridTest, AFilterOrANewRecordsetIsShownAfterRebinding)
{
    auto rs = targets(30);
    grid.bind(rs);
    rs->setFilter({FieldTest::contains(QStringLiteral("营销对象"), QStringLiteral("2"))});
    EXPECT_EQ(grid.model()->rowCount(), 12);   // 2, 12, 20-29, …
    grid.bind(std::make_shared<Recordset>(folder.connection(), QStringLiteral("Select * From \"productDF\"")));
    EXPECT_EQ(grid.model()->rowCount(), 1);
    EXPECT_EQ(grid.model()->columnCount(), 5);
}

TEST_F(DataGridTest, EditingInPlaceStoresTheValueOrSaysWhyNot)
{
    auto rs = targets(3);
    grid.bind(rs);
    EXPECT_FALSE(grid.model()->flags(grid.model()->index(0, 1)) & Qt::ItemIsEditable);
    grid.setEditable(true);
    EXPECT_TRUE(grid.model()->setData(grid.model()->index(1, 1), QStringLiteral("新名称")));
    EXPECT_EQ(Recordset(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 = '新名称'")).recordCount(), 1);

    EXPECT_FALSE(grid.model()->setData(grid.model()->index(2, 10), QStringLiteral("很多")));
    ASSERT_EQ(dialogs.log().size(), 1);
    EXPECT_EQ(dialogs.log()[0].title, QStringLiteral("信息提示"));
    EXPECT_EQ(rs->editMode(), Recordset::EditMode::None);
    EXPECT_EQ(grid.model()->data(grid.model()->index(2, 10)).toString(), QStringLiteral("0"));
}

TEST_F(DataGridTest, AMillionRowsOpenAndScrollToTheEnd)
{
    auto rs = targets(1000000);
    grid.bind(rs);
    grid.resize(600, 400);
    grid.show();
    grid.scrollToBottom();
    QTest::qWait(10);
    EXPECT_EQ(grid.model()->rowCount(), 1000000);
    EXPECT_EQ(grid.model()->data(grid.model()->index(999999, 1)).toString(), QStringLiteral("客户1000000"));
    rs->moveLast();
    EXPECT_EQ(grid.currentRowNumber(), 999999);
}

TEST_F(DataGridTest, ARowBeingAddedIsALastLineToTypeInAndLeavingItStoresIt)
{
    auto rs = targets(3);
    grid.setEditable(true, false);
    grid.bind(rs);
    grid.show();
    rs->addNew();
    EXPECT_EQ(grid.model()->rowCount(), 3);   // not shown unless asked for
    rs->cancelUpdate();

    grid.setShowsNewRow(true);
    rs->addNew();
    ASSERT_EQ(grid.model()->rowCount(), 4);
    EXPECT_EQ(grid.currentRowNumber(), 3);
    EXPECT_EQ(grid.model()->data(grid.model()->index(3, rs->fieldIndex(QStringLiteral("反馈合计")))).toString(),
              QStringLiteral("0"));   // the field's default
    ASSERT_TRUE(grid.model()->setData(grid.model()->index(3, 1), QStringLiteral("新客户")));
    EXPECT_EQ(rs->editMode(), Recordset::EditMode::Adding);
    EXPECT_EQ(grid.model()->data(grid.model()->index(3, 1)).toString(), QStringLiteral("新客户"));

    rs->cancelUpdate();
    EXPECT_EQ(grid.model()->rowCount(), 3);
    rs->addNew();
    ASSERT_TRUE(grid.model()->setData(grid.model()->index(3, 1), QStringLiteral("新客户")));
    grid.setCurrentIndex(grid.model()->index(0, 1));   // leaving the line stores the row
    EXPECT_EQ(rs->editMode(), Recordset::EditMode::None);
    EXPECT_EQ(rs->recordCount(), 4);
    EXPECT_EQ(Recordset(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\" Where 营销对象 = '新客户'")).recordCount(), 1);
}

} // namespace

namespace {

QString shownName(DataGrid& grid, int line)
{
    return grid.model()->data(grid.model()->index(line, 1)).toString();
}

void clickHeader(DataGrid& grid, int column)
{
    auto* header = grid.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2));
}

TEST_F(DataGridTest, AHeaderClickSortsTheLinesOnlyAndTheCurrentRowStaysTheSameRow)
{
    folder.connection()->execute(QStringLiteral(
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) VALUES ('1', '丙公司', 9), ('1', '甲公司', 10), "
        "('1', '乙公司', 2), ('1', NULL, 5)"));
    auto rs = std::make_shared<Recordset>(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\""));
    grid.bind(rs);
    grid.show();
    rs->setAbsolutePosition(2);   // 甲公司
    const int total = rs->fieldIndex(QStringLiteral("反馈合计"));

    clickHeader(grid, total);   // by number, not as text: 2, 5, 9, 10
    EXPECT_EQ(shownName(grid, 0), QStringLiteral("乙公司"));
    EXPECT_EQ(shownName(grid, 3), QStringLiteral("甲公司"));
    EXPECT_EQ(grid.currentIndex().row(), 3);
    EXPECT_EQ(rs->absolutePosition(), 2);   // the recordset neither moved nor changed order
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("甲公司"));

    clickHeader(grid, total);   // and back
    EXPECT_EQ(shownName(grid, 0), QStringLiteral("甲公司"));
    EXPECT_EQ(grid.horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);

    // A click on a sorted line moves the recordset to that row, and the window reads it.
    QSignalSpy clicked(&grid, &DataGrid::gridClicked);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(1, 1)).center());
    EXPECT_EQ(rs->text(QStringLiteral("营销对象")), QStringLiteral("丙公司"));
    EXPECT_EQ(grid.currentRowNumber(), 0);   // its place in the recordset
    EXPECT_EQ(clicked.count(), 1);
    rs->moveLast();   // a navigation button: the highlight follows to the line showing it (5)
    EXPECT_EQ(grid.currentIndex().row(), 2);

    // The same order survives the recordset being opened again, and names sort as names.
    grid.bind(std::make_shared<Recordset>(folder.connection(), QStringLiteral("Select * From \"clientTableInfo\"")));
    EXPECT_EQ(shownName(grid, 0), QStringLiteral("甲公司"));
    clickHeader(grid, 1);
    EXPECT_EQ(shownName(grid, 0), QString());   // empty first
    EXPECT_EQ(shownName(grid, 1), QStringLiteral("丙公司"));   // bing < jia < yi
    EXPECT_EQ(shownName(grid, 3), QStringLiteral("乙公司"));
    clickHeader(grid, 1);
    clickHeader(grid, 1);   // a third click: the recordset's own order again
    EXPECT_EQ(shownName(grid, 0), QStringLiteral("丙公司"));
    EXPECT_FALSE(grid.horizontalHeader()->isSortIndicatorShown());
}

TEST_F(DataGridTest, AnEditableGridKeepsTheRecordsetsOrder)
{
    auto rs = targets(3);
    grid.bind(rs);
    grid.setEditable(true);
    grid.show();
    clickHeader(grid, rs->fieldIndex(QStringLiteral("反馈合计")));
    clickHeader(grid, rs->fieldIndex(QStringLiteral("反馈合计")));
    EXPECT_EQ(shownName(grid, 0), QStringLiteral("客户1"));
}

} // namespace

namespace {

TEST_F(DataGridTest, TabLeavesTheGridForTheNextControlAndTheArrowsMoveInside)
{
    QWidget window;
    auto* inside = new DataGrid(&window);
    auto* next = new QPushButton(QStringLiteral("保存"), &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(inside);
    layout->addWidget(next);
    auto rs = targets(3);
    inside->bind(rs);
    window.show();
    QApplication::setActiveWindow(&window);
    inside->setFocus();
    QTest::keyClick(inside, Qt::Key_Right);
    QTest::keyClick(inside, Qt::Key_Down);
    EXPECT_EQ(rs->absolutePosition(), 2);
    EXPECT_TRUE(inside->hasFocus());
    QTest::keyClick(inside, Qt::Key_Tab);
    EXPECT_TRUE(next->hasFocus());
    EXPECT_EQ(rs->absolutePosition(), 2);
}

} // namespace
