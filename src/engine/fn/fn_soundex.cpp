// SOUNDEX: the first letter and three digits for the sounds of the letters after it, as Oracle describes it:
// vowels, H, W and Y are dropped after the first letter, letters of one sound that stood together (or apart only
// by H or W) count once, and the code is padded with zeros. Text without letters gives NULL.
#include "engine/fn/fnutil.h"

namespace engine::fn::detail {

namespace {

char soundOf(char upper)
{
    switch (upper) {
    case 'B':
    case 'F':
    case 'P':
    case 'V':
        return '1';
    case 'C':
    case 'G':
    case 'J':
    case 'K':
    case 'Q':
    case 'S':
    case 'X':
    case 'Z':
        return '2';
    case 'D':
    case 'T':
        return '3';
    case 'L':
        return '4';
    case 'M':
    case 'N':
        return '5';
    case 'R':
        return '6';
    default:
        return 0;
    }
}

void soundex(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string scratch, out;
        const std::string_view s = stringArg(argv[0], scratch);
        char previous = 0;
        for (char raw : s) {
            if (!std::isalpha(static_cast<unsigned char>(raw)) || static_cast<unsigned char>(raw) >= 0x80)
                continue;
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(raw)));
            const char sound = soundOf(c);
            if (out.empty()) {
                out += c;
                previous = sound;
                continue;
            }
            if (c == 'H' || c == 'W')
                continue;
            if (sound && sound != previous)
                out += sound;
            previous = sound;
            if (out.size() == 4)
                break;
        }
        if (out.empty()) {
            sqlite3_result_null(ctx);
            return;
        }
        out.resize(4, '0');
        resultText(ctx, out);
    });
}

} // namespace

void registerSoundex(Registrar& r)
{
    r.add("ORA_SOUNDEX", soundex);
}

} // namespace engine::fn::detail
