// Helpers for result grids: fitting column widths to their contents, writing "null" into empty cells, and measuring
// a text in a font.
#pragma once

#include <QFont>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;
class TThemedDBGrid;

namespace shell {

// Fits the widths of the grid's columns to their titles (titleMode > 0: the field name's width + 6; otherwise
// titleMode itself is the starting width) and to the display texts of the first 100 records, each capped at
// maxPercent of the grid's width when maxPercent > 0. The data set's current record and its row on screen stay
// as they were; a failure is reported in a message and leaves the grid usable.
void AdjustGridColumns(TThemedDBGrid* grid, int titleMode, int maxPercent);

// Writes "null" in silver into a cell whose field is null, placed by the column's alignment; draws nothing
// otherwise. Called after the cell's usual drawing; the background is left as it is.
void DrawNullCell(QPainter* painter, const QRect& rect, Qt::Alignment alignment, bool isNull, const QFont& font);

// The width in pixels of the text in the font.
int GridTextWidth(const QFont& font, const QString& text);

// The message AdjustGridColumns shows for a failure, or an empty text for the one it keeps quiet about.
QString adjustGridColumnsMessage(const QString& errorClass, const QString& message);

} // namespace shell
