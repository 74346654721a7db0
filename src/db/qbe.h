// Query by example: what a user types into a field of the example record, turned into a WHERE condition on that
// column with the values as binds (the component pack's conventions: wildcards, a leading operator, null, IN,
// BETWEEN).
#pragma once

#include "db/types.h"

#include <QString>
#include <QVariant>

#include <optional>
#include <utility>
#include <vector>

namespace db {

struct QbeTerm {
    QString condition; // e.g. "SAL > :QBE_2"
    std::vector<std::pair<QString, QVariant>> binds; // name without colon, value (text; the server converts)
};

// The condition for one field; none for an empty input. bindPrefix makes the bind names unique ("QBE_2" gives
// QBE_2, QBE_2_2, ...). Throws OracleError (code 0) for input it cannot read, such as an unclosed quote.
std::optional<QbeTerm> qbeTerm(const QString& column, FieldType type, const QString& input, const QString& bindPrefix);

} // namespace db
