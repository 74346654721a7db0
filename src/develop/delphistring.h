// The worksheet's Utilities item "CovertDelphiString": SQL written as a Delphi string expression
// ('select *'#$D#$A'from dual') turned back into the plain lines of the statement.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace develop {

// The statement's lines; none when the text holds no #$D#$A (the caller shows nizErrStr). Pieces end at
// #$D#$A (CR LF) or #$A (LF); each loses its enclosing quotes, its doubled quotes and the blanks, line breaks
// and "+" that join it to the next.
std::optional<QStringList> convertDelphiString(const QString& text);

} // namespace develop
