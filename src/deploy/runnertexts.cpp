#include "deploy/runnertexts.h"

namespace deploy {

namespace {

QString filled(const char* text, const QStringList& args)
{
    QString result = QString::fromUtf8(text);
    // One pass over the markers, so that an argument holding "%2" is not filled in again.
    QString out;
    out.reserve(result.size());
    for (qsizetype i = 0; i < result.size(); ++i) {
        const QChar c = result.at(i);
        if (c == QLatin1Char('%') && i + 1 < result.size() && result.at(i + 1).isDigit()) {
            const int n = result.at(i + 1).digitValue();
            if (n >= 1 && n <= args.size()) {
                out += args.at(n - 1);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace

QString runnerText(const RunnerText& text, const QString& language, const QStringList& args)
{
    const QString english = filled(text.en, args);
    if (language != QLatin1String("SLO"))
        return english;
    return filled(text.sl, args) + QStringLiteral(" / ") + english;
}

} // namespace deploy
