// TThemedDBGrid: the data grid of every window. A table view over a DataSet whose column titles are drawn with the
// desktop's style (the title under the mouse and the one held down marked), whose indicator column marks the
// current record (arrow, or the edit or insert mark) and the selected ones, and whose mouse wheel moves the data
// set by records. Windows make their grids through createDataGrid(), so a plain data grid is this one too.
#pragma once

#include "db/dataset.h"

#include <QPoint>
#include <QPointer>
#include <QTableView>

#include <vector>

namespace db {
class DataSetModel;
} // namespace db

// The grid's paint state while the mouse moves over the titles. Grid columns count the indicator column.
struct TPaintInfo {
    int MouseInCol = -1; // grid column of the title under the mouse
    bool ColPressed = false; // a title is held down with the left button
    int ColPressedIdx = -1; // grid column of the title held down
    bool ColSizing = false; // a column border is being dragged
    bool ColMoving = false; // a column is being dragged to another place
};

class TThemedDBGrid : public QTableView {
    Q_OBJECT
public:
    // The marks of the indicator column.
    enum class Indicator { None, Arrow, Edit, Insert, MultiDot };

    explicit TThemedDBGrid(QWidget* parent = nullptr);
    ~TThemedDBGrid() override;

    void setDataSet(db::DataSet* dataSet);
    db::DataSet* dataSet() const { return ds; }
    db::DataSetModel* dataModel() const { return dsModel; }

    void setShowIndicator(bool on);
    bool showIndicator() const;
    void setShowTitles(bool on);
    bool showTitles() const;
    void setMultiSelect(bool on);
    bool multiSelect() const;
    // Writes "null" in silver into the cells of null fields (as the worksheet's grids do).
    void setDrawNullCells(bool on);
    // The themed look and wheel: titles drawn as the desktop's header items (marked under the mouse and while held
    // down) and the wheel moving the data set by records. Off, the grid is the plain data grid: the same data, the
    // indicator marks and the editing, with the toolkit's own titles and scrolling (createDataGrid decides).
    void setThemedLook(bool on) { themed = on; }
    bool themedLook() const { return themed; }

    const TPaintInfo& paintInfo() const { return FPaintInfo; }
    QPoint cell() const { return FCell; } // (grid column, grid row) last seen under the mouse; (-1, -1) when none
    bool allowTitleClick() const { return FAllowTitleClick; }
    // Grid column of a data column, and the other way round (-1 for the indicator column).
    int gridColumn(int dataColumn) const;
    int dataColumn(int gridColumn) const;
    int titleOffset() const;
    int indicatorOffset() const;

    // The mark the indicator column shows for a row, read without moving the data set's current record.
    Indicator indicatorFor(int row) const;
    // Records a page of the grid shows.
    int visibleRowCount() const;
    // One notch of the wheel; true when the data set moved.
    bool wheelNotch(bool down, Qt::KeyboardModifiers modifiers);
    // The width each data column had when the user last resized it.
    const std::vector<int>& storedColumnWidths() const { return columnWidths; }
    // Leaving a column (the current cell moved to another one): the title under the mouse is no longer marked.
    void ColExit();
    // Widens the columns whose text in the record at `row` is wider than the column, so an edited or refreshed
    // value is seen whole; never wider than the grid's visible area, never narrower than before.
    void fitColumnsToRecord(int row);

signals:
    // Raised for a click on a title (with the grid's title clicks allowed).
    void titleClick(int dataColumn);
    // The window's own wheel handling, asked first; setting *handled stops the grid's own move.
    void mouseWheelDown(Qt::KeyboardModifiers modifiers, bool* handled);
    void mouseWheelUp(Qt::KeyboardModifiers modifiers, bool* handled);

protected:
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    friend class ThemedTitleHeader;
    friend class IndicatorHeader;

    void followDataSet();
    void repaintCell(QPoint cell);
    // The mouse handling of the titles and the cells, in grid coordinates.
    void gridMouseDown(QPoint cell, Qt::MouseButton button, bool onBorder);
    void gridMouseMove(QPoint cell);
    void gridMouseUp();
    void gridMouseLeave();
    void columnsResized();

    QPointer<db::DataSet> ds;
    db::DataSetModel* dsModel = nullptr;
    class ThemedTitleHeader* titles = nullptr;
    class IndicatorHeader* indicator = nullptr;
    TPaintInfo FPaintInfo;
    QPoint FCell { -1, -1 };
    bool FAllowTitleClick = true;
    bool themed = true;
    bool syncing = false;
    int wheelRemainder = 0;
    std::vector<int> columnWidths;
};

namespace shell {

// The factory windows make their data grids through, by the class name their layout asks for: the themed grid
// ("TThemedDBGrid") always, and for a plain data grid ("TDBGrid") the themed grid once installThemedGrid() ran at
// start-up, else the same data-aware grid with the plain look. Any other name gives nullptr. The grid is always a
// TThemedDBGrid, so a window may cast the result.
void installThemedGrid();
void removeThemedGrid();
bool themedGridInstalled();
QTableView* createDataGrid(const QString& className, QWidget* parent);

} // namespace shell
