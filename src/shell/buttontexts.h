// The captions of the toolkit's standard buttons (the OK, Yes, No and Cancel of message boxes and button boxes) in
// the interface language: the toolkit brings no Slovenian ones, so the program gives its own, the same words its
// message dialog uses.
#pragma once

#include <QString>

namespace shell {

// Slovenian captions when currLanguage is "SLO", the toolkit's English ones otherwise. Affects every window,
// including message boxes already made (they follow a language change).
void setStandardButtonLanguage(const QString& currLanguage);

// The Slovenian caption of a standard button's English text as the toolkit names it ("&Yes", "Cancel"); empty
// for a text it does not know.
QString slovenianButtonText(const QString& english);

} // namespace shell
