// The worksheet's double click on a cell of dbgSelect: a picture (BLOB) or text (LONG, CLOB) column of the result
// opens the picture and text loader on that cell; loading into it is offered only when the result is editable
// (cached updates).
#pragma once

#include "db/types.h"

#include <memory>

class QAbstractItemModel;
class QModelIndex;
class QWidget;

namespace db {
class DataSet;
}

namespace shell {
class TfmGetPict;
}

namespace develop {

enum class LobKind { None, Picture, Text };
LobKind lobKind(db::FieldType type);

// The loader for the cell, set up and bound, to be shown modally by the caller; none when the cell's field is
// neither a picture nor a text column.
std::unique_ptr<shell::TfmGetPict> makeLobLoader(
    QWidget* parent, const db::DataSet& result, QAbstractItemModel* model, const QModelIndex& index);

} // namespace develop
