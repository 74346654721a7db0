// The PL/SQL editor's finder of the keyword that closes a selected one: BEGIN finds its END, IF its END IF, LOOP
// and FOR their END LOOP, OPEN its CLOSE and "(" its ")", counting the nesting on the way.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace develop {

struct FoundKeyword {
    int line = 0; // 0-based
    int column = 0; // 0-based start of the closing keyword
    int length = 0;
};

// The closing keyword of `selection` (trimmed, any case), searched from `column` (0-based, behind the selected
// keyword) of `line` onward. None for a selection that has no closing keyword, or when the text ends first.
//
// An opening keyword counts when only blanks stand before it on its line (IF also after exactly "ELSE"); a closing
// one when the next non-blank character after it is ";" (END also when a name and then ";" follow, as in
// "END pck_a;", but never END IF, END LOOP or END CASE); CLOSE when a blank or the line's end follows it; brackets
// always count.
std::optional<FoundKeyword> findClosingKeyword(
    const QStringList& lines, int line, int column, const QString& selection);

} // namespace develop
