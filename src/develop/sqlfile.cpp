#include "develop/sqlfile.h"

#include "platform/codepage.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace develop {

namespace {

constexpr const char* legacyCodePage = "windows-1250";

struct Bom {
    QByteArray bytes;
    const char* encoding;
};

const Bom boms[] = {
    { QByteArray("\xEF\xBB\xBF"), "UTF-8" },
    { QByteArray("\xFF\xFE"), "UTF-16LE" },
    { QByteArray("\xFE\xFF"), "UTF-16BE" },
};

QString lineEndOf(const QString& text)
{
    const qsizetype lf = text.indexOf(QLatin1Char('\n'));
    if (lf > 0 && text.at(lf - 1) == QLatin1Char('\r'))
        return QStringLiteral("\r\n");
    if (lf >= 0)
        return QStringLiteral("\n");
    if (text.contains(QLatin1Char('\r')))
        return QStringLiteral("\r");
    return QStringLiteral("\r\n");
}

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

} // namespace

TextFileFormat unicodeOutputFormat()
{
    return { QStringLiteral("UTF-16LE"), false, QStringLiteral("\r\n") };
}

std::optional<TextFileContent> readTextFile(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("Cannot read %1: %2").arg(path, f.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = f.readAll();
    TextFileContent content;
    bool decoded = false;
    for (const Bom& bom : boms) {
        if (bytes.startsWith(bom.bytes)) {
            QStringDecoder decoder(bom.encoding);
            content.text = decoder.decode(bytes.mid(bom.bytes.size()));
            if (decoder.hasError()) {
                fail(error, QStringLiteral("%1 is not valid %2.").arg(path, QString::fromLatin1(bom.encoding)));
                return std::nullopt;
            }
            content.format.encoding = QString::fromLatin1(bom.encoding);
            content.format.byteOrderMark = true;
            decoded = true;
            break;
        }
    }
    if (!decoded) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        content.text = utf8.decode(bytes);
        if (utf8.hasError()) {
            content.text = platform::codepage::windows1250ToUnicode(bytes);
            content.format.encoding = QString::fromLatin1(legacyCodePage);
        }
    }
    content.format.lineEnd = lineEndOf(content.text);
    return content;
}

bool writeTextFile(const QString& path, const QString& text, const TextFileFormat& format, QString* error)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(breaks);
    // A text that ends with a line break has no further line: saving must not add an empty line every time.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QString joined;
    for (const QString& line : lines)
        joined += line + format.lineEnd;

    QByteArray bytes;
    if (format.encoding.compare(QLatin1String(legacyCodePage), Qt::CaseInsensitive) == 0) {
        if (!platform::codepage::fitsWindows1250(joined))
            return fail(error, QStringLiteral("The text holds characters that %1 cannot store.").arg(format.encoding));
        bytes = platform::codepage::unicodeToWindows1250(joined);
    } else {
        QStringEncoder encoder(format.encoding.toLatin1().constData(),
            format.byteOrderMark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
        if (!encoder.isValid())
            return fail(error, QStringLiteral("Unknown encoding %1.").arg(format.encoding));
        bytes = encoder.encode(joined);
        if (encoder.hasError())
            return fail(error, QStringLiteral("The text holds characters that %1 cannot store.").arg(format.encoding));
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        return fail(error, QStringLiteral("Cannot write %1: %2").arg(path, f.errorString()));
    return true;
}

std::optional<QString> WorksheetFile::open(const QString& path, QString* error)
{
    std::optional<TextFileContent> content = readTextFile(path, error);
    if (!content)
        return std::nullopt;
    file = path;
    fmt = content->format;
    return content->text;
}

bool WorksheetFile::save(const QString& text, QString* error)
{
    if (file.isEmpty())
        return fail(error, QStringLiteral("No file is open."));
    return writeTextFile(file, text, fmt, error);
}

bool WorksheetFile::saveAs(
    const QString& path, const QString& text, const std::optional<TextFileFormat>& format, QString* error)
{
    const TextFileFormat chosen = format ? *format : fmt;
    if (!writeTextFile(path, text, chosen, error))
        return false;
    file = path;
    fmt = chosen;
    return true;
}

void WorksheetFile::clear()
{
    file.clear();
    fmt = TextFileFormat {};
}

QString WorksheetFile::caption(const QString& sUserCaption, const QString& fileName)
{
    return sUserCaption + QStringLiteral("  FILE:") + fileName.toLower();
}

QString WorksheetFile::withDefaultSuffix(const QString& path)
{
    if (path.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.')))
        return path;
    return path + QStringLiteral(".sql");
}

} // namespace develop
