// UPPER, LOWER and INITCAP over all of Unicode (SQLite's own change only ASCII): č, š, ž become Č, Š, Ž.
// ASCII text, the common case, is converted in place without going through QString.
#include "engine/fn/fnutil.h"

#include <QString>

namespace engine::fn::detail {

namespace {

bool isAscii(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) & 0x80)
            return false;
    return true;
}

bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

enum class Mode { Upper, Lower, Initcap };

void convertAscii(std::string& s, Mode mode)
{
    bool wordStart = true;
    for (char& c : s) {
        bool upperNow = mode == Mode::Upper || (mode == Mode::Initcap && wordStart);
        if (upperNow && c >= 'a' && c <= 'z')
            c = char(c - 32);
        else if (!upperNow && c >= 'A' && c <= 'Z')
            c = char(c + 32);
        wordStart = !isAsciiAlnum(c);
    }
}

QString convertUnicode(const QString& s, Mode mode)
{
    if (mode == Mode::Upper)
        return s.toUpper();
    if (mode == Mode::Lower)
        return s.toLower();
    // Words are runs of letters and digits; anything else separates them.
    QString out;
    out.reserve(s.size());
    bool wordStart = true;
    for (qsizetype i = 0; i < s.size(); ++i) {
        char32_t code = s[i].unicode();
        qsizetype units = 1;
        if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(s[i], s[i + 1]);
            units = 2;
        }
        QString one = s.mid(i, units);
        out += wordStart ? one.toUpper() : one.toLower();
        wordStart = !(QChar::isLetterOrNumber(code));
        i += units - 1;
    }
    return out;
}

template <Mode M> void convert(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch;
        std::string_view s = stringArg(argv[0], scratch);
        thread_local std::string buffer;
        if (isAscii(s)) {
            buffer.assign(s);
            convertAscii(buffer, M);
            resultText(ctx, buffer);
            return;
        }
        QByteArray utf8 = convertUnicode(QString::fromUtf8(s.data(), qsizetype(s.size())), M).toUtf8();
        resultText(ctx, std::string_view(utf8.constData(), size_t(utf8.size())));
    });
}

} // namespace

void registerCaseFunctions(Registrar& r)
{
    r.add("ORA_UPPER", convert<Mode::Upper>);
    r.add("ORA_LOWER", convert<Mode::Lower>);
    r.add("ORA_INITCAP", convert<Mode::Initcap>);
}

} // namespace engine::fn::detail
