// The Windows-1250 code page (Central European, Slovenian letters) that settings files written on Windows use,
// and a check whether bytes are UTF-8, so such files read as they did there.
#pragma once

#include <QByteArray>
#include <QString>

namespace platform::codepage {

bool isValidUtf8(const QByteArray& bytes);
QString windows1250ToUnicode(const QByteArray& bytes);
bool fitsWindows1250(const QString& text);
QByteArray unicodeToWindows1250(const QString& text); // characters that do not fit become '?'

} // namespace platform::codepage
