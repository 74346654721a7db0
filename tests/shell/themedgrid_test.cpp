#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "db/drivers.h"
#include "db/query.h"
#include "db/session.h"
#include "engine/engine.h"
#include "shell/gridutils.h"
#include "shell/gridwheel.h"
#include "shell/themedgrid.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <optional>

using namespace shell;

namespace {

struct WheelCase {
    bool down;
    Qt::KeyboardModifiers modifiers;
    int step; // with 20 visible rows
};

} // namespace

TEST(GridWheel, StepFollowsTheKeysHeld)
{
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier, alt = Qt::AltModifier;
    const WheelCase cases[] = {
        { true, {}, 2 },
        { false, {}, 2 },
        { true, shift, 1 },
        { false, shift, 1 },
        { true, ctrl, 19 },
        { false, ctrl, 19 },
        // Ctrl with other keys: down still moves a page, up does not.
        { true, ctrl | shift, 19 },
        { false, ctrl | shift, 1 },
        { true, ctrl | alt, 19 },
        { false, ctrl | alt, 2 },
        { false, alt, 2 },
    };
    for (const WheelCase& c : cases)
        EXPECT_EQ(wheelStep(c.down, c.modifiers, 20), c.step) << c.down << " " << int(c.modifiers);
    // A grid showing one row still moves by a record with Ctrl.
    EXPECT_EQ(wheelStep(true, ctrl, 1), 1);
}

TEST(GridUtils, NullCellIsWrittenInSilverOnlyForNullFields)
{
    QImage image(80, 20, QImage::Format_ARGB32);
    auto silverPixels = [&] {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == qRgb(192, 192, 192);
        return n;
    };
    image.fill(Qt::white);
    {
        QPainter p(&image);
        DrawNullCell(&p, image.rect(), Qt::AlignLeft, false, QApplication::font());
    }
    EXPECT_EQ(silverPixels(), 0);
    {
        QPainter p(&image);
        DrawNullCell(&p, QRect(0, 0, 40, 20), Qt::AlignLeft, true, QApplication::font());
    }
    EXPECT_GT(silverPixels(), 0);
    // The text stays inside its cell and the background is not painted.
    for (int y = 0; y < image.height(); ++y)
        for (int x = 41; x < image.width(); ++x)
            ASSERT_EQ(image.pixel(x, y), qRgb(255, 255, 255));
}

TEST(GridUtils, OnlyTheMultipleStepMessageIsKeptQuiet)
{
    EXPECT_EQ(adjustGridColumnsMessage(QStringLiteral("EOracleError"), QStringLiteral("ORA-01013: user requested")),
        QStringLiteral("NAPAKA AdjustGridColumns: EOracleError: ORA-01013: user requested"));
    EXPECT_TRUE(adjustGridColumnsMessage(QStringLiteral("E"),
        QStringLiteral("x Multiple-step operation generated errors. Check each status value y"))
                    .isEmpty());
}

TEST(GridFactory, APlainDataGridIsTheThemedOneOnceInstalled)
{
    QWidget parent;
    const bool wasInstalled = themedGridInstalled();
    const auto themed = [&](const char* className) {
        auto* grid = qobject_cast<TThemedDBGrid*>(createDataGrid(QString::fromLatin1(className), &parent));
        return grid ? std::optional<bool>(grid->themedLook()) : std::nullopt;
    };
    installThemedGrid();
    EXPECT_EQ(themed("TDBGrid"), true);
    EXPECT_EQ(themed("TThemedDBGrid"), true);
    EXPECT_EQ(createDataGrid(QStringLiteral("TListBox"), &parent), nullptr);
    removeThemedGrid();
    // Without the installation a plain grid is still the data-aware grid a window can cast, with the plain look.
    EXPECT_EQ(themed("TDBGrid"), false);
    EXPECT_EQ(themed("TThemedDBGrid"), true);
    if (wasInstalled)
        installThemedGrid();
}

namespace {

// A grid over 60 rows of an embedded database, shown at a size that has room for about ten of them.
class GridOnData : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        engine::Database::create(path(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
        session.setUserName(QStringLiteral("SYSTEM"));
        session.setPassword(QStringLiteral("MANAGER"));
        session.setDatabase(QStringLiteral("DEMO"));
        session.logOn();
        run(QStringLiteral("create table osebe (id number primary key, ime varchar2(40), opomba varchar2(200))"));
        for (int i = 1; i <= 60; ++i)
            run(QStringLiteral("insert into osebe values (%1, 'Oseba %1', %2)")
                    .arg(i)
                    .arg(i == 3 ? QStringLiteral("'%1'").arg(QString(150, QLatin1Char('x'))) : QStringLiteral("null")));
        session.commit();
        ds = new db::DataSet(&session);
        ds->setSql(QStringLiteral("select rowid, id, ime, opomba from osebe order by id"));
        ds->open();
        grid = new TThemedDBGrid;
        grid->setObjectName(QStringLiteral("dbgResult"));
        grid->resize(500, 260);
        grid->setDataSet(ds);
        grid->show();
        ASSERT_TRUE(testsupport::waitFor([&] { return grid->isVisible(); }));
    }
    void TearDown() override
    {
        delete grid;
        delete ds;
        session.logOff();
        db::setEmbeddedDataDirectory({});
    }
    void run(const QString& sql)
    {
        db::Query q(&session);
        q.setSql(sql);
        q.execute();
    }
    void wheel(int notches, Qt::KeyboardModifiers modifiers = {})
    {
        const QPointF at(grid->viewport()->rect().center());
        QWheelEvent e(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
            modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &e);
    }

    db::Session session;
    db::DataSet* ds = nullptr;
    TThemedDBGrid* grid = nullptr;
};

} // namespace

TEST_F(GridOnData, WheelMovesTheDataSetByRecords)
{
    ASSERT_EQ(ds->recNo(), 1);
    wheel(-1);
    EXPECT_EQ(ds->recNo(), 3);
    wheel(-1, Qt::ShiftModifier);
    EXPECT_EQ(ds->recNo(), 4);
    wheel(1);
    EXPECT_EQ(ds->recNo(), 2);
    const int page = grid->visibleRowCount() - 1;
    ASSERT_GT(page, 2);
    wheel(-1, Qt::ControlModifier);
    EXPECT_EQ(ds->recNo(), 2 + page);
    // The grid's current row follows the data set.
    EXPECT_EQ(grid->currentIndex().row(), ds->currentRow());
    // A window that handles the turn itself keeps the grid from moving.
    QObject::connect(grid, &TThemedDBGrid::mouseWheelDown, grid, [](Qt::KeyboardModifiers, bool* handled) {
        *handled = true;
    });
    const int before = ds->recNo();
    wheel(-1);
    EXPECT_EQ(ds->recNo(), before);
}

TEST_F(GridOnData, WheelDropsAnUntypedEditButNeverTypedValues)
{
    ds->edit();
    ASSERT_EQ(ds->state(), db::DataSet::State::Edit);
    wheel(-1);
    EXPECT_EQ(ds->state(), db::DataSet::State::Browse);
    EXPECT_EQ(ds->recNo(), 3);

    ds->edit();
    ds->setFieldValue(QStringLiteral("IME"), QStringLiteral("Typed"));
    wheel(-1);
    EXPECT_EQ(ds->state(), db::DataSet::State::Edit);
    EXPECT_EQ(ds->recNo(), 3);
    EXPECT_EQ(ds->fieldValue(QStringLiteral("IME")).toString(), QStringLiteral("Typed"));
}

TEST_F(GridOnData, IndicatorMarksTheCurrentRecordAndItsState)
{
    using I = TThemedDBGrid::Indicator;
    ds->setRecNo(2);
    EXPECT_EQ(grid->indicatorFor(1), I::Arrow);
    EXPECT_EQ(grid->indicatorFor(0), I::None);
    ds->edit();
    EXPECT_EQ(grid->indicatorFor(1), I::Edit);
    ds->cancel();
    ds->insert();
    EXPECT_EQ(grid->indicatorFor(ds->currentRow()), I::Insert);
    ds->cancel();

    grid->setMultiSelect(true);
    grid->selectionModel()->select(
        grid->model()->index(4, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    grid->selectionModel()->select(
        grid->model()->index(ds->currentRow(), 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_EQ(grid->indicatorFor(4), I::MultiDot);
    EXPECT_EQ(grid->indicatorFor(ds->currentRow()), I::Arrow); // selected or not, the current record has its mark
}

TEST_F(GridOnData, ClickingARowMakesItsRecordCurrent)
{
    const QRect cell = grid->visualRect(grid->model()->index(4, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(ds->recNo(), 5);
}

TEST_F(GridOnData, ColumnsFitTitlesAndTheFirstRecordsWithinTheCap)
{
    ds->setRecNo(7);
    const int rowOnScreen = grid->rowViewportPosition(ds->currentRow());
    AdjustGridColumns(grid, 100, 0);
    const QFont font = grid->font();
    // OPOMBA holds 150 characters in one record: without a cap the column takes them all.
    EXPECT_GE(grid->columnWidth(3), GridTextWidth(font, QString(150, QLatin1Char('x'))) + 6);
    // A title wider than every value decides its column's width.
    const QFont titleFont = grid->horizontalHeader()->font();
    EXPECT_GE(grid->columnWidth(1), GridTextWidth(titleFont, QStringLiteral("ID")) + 6);
    EXPECT_GE(grid->columnWidth(1), GridTextWidth(font, QStringLiteral("60")) + 6);
    EXPECT_EQ(ds->recNo(), 7);
    EXPECT_EQ(grid->rowViewportPosition(ds->currentRow()), rowOnScreen);

    AdjustGridColumns(grid, 100, 33);
    for (int c = 0; c < 4; ++c)
        EXPECT_LE(grid->columnWidth(c), grid->width() * 33 / 100) << c;

    // Title mode 0: the names do not count, the widest value does ("Oseba 60" is wider than "IME").
    AdjustGridColumns(grid, 0, 0);
    EXPECT_EQ(grid->columnWidth(2), GridTextWidth(font, QStringLiteral("Oseba 60")) + 6);
    int widestId = 0;
    for (int i = 1; i <= 60; ++i)
        widestId = std::max(widestId, GridTextWidth(font, QString::number(i)) + 6);
    EXPECT_EQ(grid->columnWidth(1), widestId);
    EXPECT_EQ(grid->storedColumnWidths().size(), 4u);
}

TEST_F(GridOnData, ColumnsOfAnEmptyResultTakeTheirTitles)
{
    ds->close();
    ds->setSql(QStringLiteral("select id, ime from osebe where id < 0"));
    ds->open();
    AdjustGridColumns(grid, 100, 0);
    EXPECT_EQ(grid->columnWidth(1), GridTextWidth(grid->horizontalHeader()->font(), QStringLiteral("IME")) + 6);
}

TEST_F(GridOnData, AGridWithoutAnOpenDataSetIsLeftAlone)
{
    ds->close();
    const int before = grid->columnWidth(0);
    AdjustGridColumns(grid, 100, 33);
    EXPECT_EQ(grid->columnWidth(0), before);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(GridOnData, TitleTrackingFollowsTheMouse)
{
    QHeaderView* titles = grid->horizontalHeader();
    const int x = titles->sectionViewportPosition(2) + titles->sectionSize(2) / 2;
    QTest::mouseMove(titles->viewport(), QPoint(x, titles->height() / 2));
    EXPECT_EQ(grid->paintInfo().MouseInCol, grid->gridColumn(2));
    QTest::mousePress(titles->viewport(), Qt::LeftButton, {}, QPoint(x, titles->height() / 2));
    EXPECT_TRUE(grid->paintInfo().ColPressed);
    EXPECT_EQ(grid->paintInfo().ColPressedIdx, grid->gridColumn(2));
    QTest::mouseRelease(titles->viewport(), Qt::LeftButton, {}, QPoint(x, titles->height() / 2));
    EXPECT_FALSE(grid->paintInfo().ColPressed);
    EXPECT_EQ(grid->paintInfo().ColPressedIdx, -1);
    EXPECT_EQ(grid->cell(), QPoint(-1, -1));
}

TEST_F(GridOnData, LeavingAColumnForgetsTheTitleUnderTheMouse)
{
    // The current record stays where it is: a record change may scroll, and a scroll moves the mouse anew.
    ASSERT_EQ(grid->currentIndex().row(), 0);
    grid->setCurrentIndex(grid->model()->index(0, 2));
    QCoreApplication::processEvents();
    QHeaderView* titles = grid->horizontalHeader();
    const int x = titles->sectionViewportPosition(2) + titles->sectionSize(2) / 2;
    // A move to where the pointer already is sends no event (an earlier test may have left it there): come from
    // the title beside it.
    QTest::mouseMove(titles->viewport(), QPoint(titles->sectionViewportPosition(1) + 2, titles->height() / 2));
    QTest::mouseMove(titles->viewport(), QPoint(x, titles->height() / 2));
    ASSERT_EQ(grid->paintInfo().MouseInCol, grid->gridColumn(2));
    // The current cell leaves its column within the record: the marked title is forgotten.
    grid->setCurrentIndex(grid->model()->index(0, 1));
    EXPECT_EQ(grid->paintInfo().MouseInCol, -1);
}

// A value typed into a narrow column widens it, so the record shows what was typed; a huge value is kept within the
// grid's width, and a shorter one never narrows a column.
TEST_F(GridOnData, AnEditedValueWidensItsColumn)
{
    const int ime = ds->fieldIndex(QStringLiteral("IME"));
    grid->setColumnWidth(ime, 20);
    const QString typed = QStringLiteral("Kranj-Center, Ulica 1");
    ASSERT_TRUE(grid->model()->setData(grid->model()->index(0, ime), typed));
    EXPECT_GE(grid->columnWidth(ime), shell::GridTextWidth(grid->font(), typed) + 6);
    const int wide = grid->columnWidth(ime);
    ASSERT_TRUE(grid->model()->setData(grid->model()->index(0, ime), QStringLiteral("K")));
    EXPECT_EQ(grid->columnWidth(ime), wide);
    const int opomba = ds->fieldIndex(QStringLiteral("OPOMBA"));
    ASSERT_TRUE(grid->model()->setData(grid->model()->index(1, opomba), QString(180, QLatin1Char('w'))));
    EXPECT_LE(grid->columnWidth(opomba), grid->viewport()->width());
    EXPECT_GT(grid->columnWidth(opomba), 100);
}
