// The data grid of the development windows: the grid factory's plain data grid, which is the themed grid.
#pragma once

#include "shell/themedgrid.h"

namespace develop {

// A themed data grid, as the factory gives every data grid of the program.
inline TThemedDBGrid* themedDataGrid(QWidget* parent)
{
    QTableView* view = shell::createDataGrid(QStringLiteral("TDBGrid"), parent);
    if (auto* grid = qobject_cast<TThemedDBGrid*>(view))
        return grid;
    // The factory has not been switched to the themed grid (a program start that skipped it): make one directly.
    delete view;
    return static_cast<TThemedDBGrid*>(shell::createDataGrid(QStringLiteral("TThemedDBGrid"), parent));
}

} // namespace develop
