// Small text rules the script executor shares: trimming as the script rules mean it (blanks and every control
// character, line breaks included).
#pragma once

#include <QString>

namespace deploy {

// The text without the characters up to and including the blank (code 32 or lower) at both ends or at its start.
QString trimControl(const QString& text);
QString trimLeftControl(const QString& text);

} // namespace deploy
