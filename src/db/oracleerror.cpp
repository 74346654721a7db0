#include "db/oracleerror.h"

namespace db {

OracleError::OracleError(int code, const QString& message, int offset)
    : code_(code)
    , message_(message)
    , offset_(offset)
    , what_(message.toStdString())
{
}

void OracleError::setStatement(const QString& sql)
{
    const LinePosition lp = linePositionOf(sql, offset_);
    line_ = lp.line;
    position_ = lp.position;
}

void OracleError::addContext(const QString& context)
{
    message_ += QLatin1Char('\n') + context;
    what_ = message_.toStdString();
}

LinePosition linePositionOf(const QString& text, int offset)
{
    if (offset < 0)
        return {};
    if (offset > text.size())
        offset = int(text.size());
    LinePosition lp { 1, 1 };
    for (int i = 0; i < offset; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
                if (i + 1 == offset) // the offset points at the LF of a CR LF: still the end of this line
                    break;
                ++i;
            }
            ++lp.line;
            lp.position = 1;
        } else if (c == QLatin1Char('\n')) {
            ++lp.line;
            lp.position = 1;
        } else if (c.isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()) {
            // the second half of one character
        } else {
            ++lp.position;
        }
    }
    return lp;
}

int utf16OffsetOf(const QString& text, int utf8Offset)
{
    if (utf8Offset < 0)
        return -1;
    int bytes = 0;
    for (int i = 0; i < text.size(); ++i) {
        if (bytes >= utf8Offset)
            return i;
        const char16_t c = text.at(i).unicode();
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(c)) {
            bytes += 4;
            ++i;
        } else
            bytes += 3;
    }
    return int(text.size());
}

} // namespace db
