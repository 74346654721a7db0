// The text a grid shows for a field value: numbers as Oracle writes them, dates in the session's date format,
// RAW and BLOB in hexadecimal; null gives an empty text (the grid paints "null" itself).
#pragma once

#include "db/types.h"

#include <QString>
#include <QVariant>

namespace db {

QString displayText(const QVariant& value, FieldType type, const QString& dateFormat);

} // namespace db
