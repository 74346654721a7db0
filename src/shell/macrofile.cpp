#include "shell/macrofile.h"

#include "platform/codepage.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace shell {

namespace {

QStringList splitLines(const QString& text)
{
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(line);
            line.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            line.append(c);
        }
    }
    // A final line break ends the last line; it does not start an empty one.
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

const QString crlf = QStringLiteral("\r\n");

} // namespace

MacroFileContent readMacroText(const QString& text)
{
    MacroFileContent content;
    enum class Kind { None, Shortcut, Popup, Ignored } kind = Kind::None;
    bool firstLine = true;
    int lineNo = 0;
    int shortcutsSeen = 0;
    int popupsSeen = 0;
    for (const QString& line : splitLines(text)) {
        ++lineNo;
        if (line.startsWith(QLatin1Char('#'))) {
            ++shortcutsSeen;
            firstLine = true;
            if (content.shortcuts.size() >= maxShortcutMacros) {
                content.problems.append(QStringLiteral("Line %1: keyboard shortcut %2 is ignored; the macro file "
                                                       "holds at most %3 keyboard shortcuts.")
                                            .arg(lineNo)
                                            .arg(shortcutsSeen)
                                            .arg(maxShortcutMacros));
                kind = Kind::Ignored;
                continue;
            }
            content.shortcuts.append({ line.size() > 1 ? line.at(1) : QChar(), QString() });
            kind = Kind::Shortcut;
        } else if (line.startsWith(QLatin1Char('/'))) {
            ++popupsSeen;
            firstLine = true;
            if (content.popups.size() >= maxPopupMacros) {
                content.problems.append(QStringLiteral("Line %1: popup macro %2 is ignored; the macro file holds "
                                                       "at most %3 popup macros.")
                                            .arg(lineNo)
                                            .arg(popupsSeen)
                                            .arg(maxPopupMacros));
                kind = Kind::Ignored;
                continue;
            }
            content.popups.append({ line.mid(1, maxMacroCaption), QString() });
            kind = Kind::Popup;
        } else {
            QString* target = nullptr;
            if (kind == Kind::Shortcut)
                target = &content.shortcuts.last().text;
            else if (kind == Kind::Popup)
                target = &content.popups.last().text;
            if (target) {
                if (!firstLine)
                    target->append(crlf);
                target->append(line);
            }
            firstLine = false;
        }
    }
    return content;
}

QString writeMacroText(const MacroFileContent& content)
{
    QString out;
    auto appendText = [&out](const QString& text) {
        if (text.isEmpty())
            return;
        out += text;
        out += crlf;
    };
    for (const ShortcutMacro& m : content.shortcuts) {
        out += QLatin1Char('#');
        if (!m.key.isNull())
            out += m.key;
        out += crlf;
        appendText(m.text);
    }
    for (const PopupMacro& m : content.popups) {
        out += QLatin1Char('/') + m.caption.left(maxMacroCaption) + crlf;
        appendText(m.text);
    }
    return out;
}

MacroTables macroTablesFrom(const MacroFileContent& content)
{
    MacroTables t;
    for (const ShortcutMacro& m : content.shortcuts) {
        t.mcKeys.append(m.key.isNull() ? QChar(QChar::Null) : m.key);
        t.mcMacro.append(m.text);
    }
    t.mcUkaz = int(content.shortcuts.size());
    for (const PopupMacro& m : content.popups) {
        t.stMacro.append(m.text);
        t.mcMacroHeader.append(m.caption);
    }
    t.nrMacros = int(content.popups.size());
    t.problems = content.problems;
    return t;
}

namespace {

const char* const legacyCodePage = "windows-1250";

struct Bom {
    QByteArray bytes;
    const char* encoding;
};

const Bom boms[] = {
    { QByteArray("\xEF\xBB\xBF", 3), "UTF-8" },
    { QByteArray("\xFF\xFE\x00\x00", 4), "UTF-32LE" },
    { QByteArray("\x00\x00\xFE\xFF", 4), "UTF-32BE" },
    { QByteArray("\xFF\xFE", 2), "UTF-16LE" },
    { QByteArray("\xFE\xFF", 2), "UTF-16BE" },
};

} // namespace

MacroFileText loadMacroFile(const QString& path)
{
    MacroFileText result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Cannot read the macro file %1: %2").arg(path, file.errorString());
        return result;
    }
    QByteArray bytes = file.readAll();
    for (const Bom& bom : boms) {
        if (bytes.startsWith(bom.bytes)) {
            QStringDecoder decoder(bom.encoding);
            result.text = decoder.decode(bytes.mid(bom.bytes.size()));
            result.encoding = QString::fromLatin1(bom.encoding);
            result.byteOrderMark = true;
            result.ok = !decoder.hasError();
            if (!result.ok)
                result.error = QStringLiteral("The macro file %1 is not valid %2.").arg(path, result.encoding);
            return result;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        result.text = text;
        result.ok = true;
        return result;
    }
    result.text = platform::codepage::windows1250ToUnicode(bytes);
    result.encoding = QString::fromLatin1(legacyCodePage);
    result.ok = true;
    return result;
}

bool saveMacroFile(
    const QString& path, const QString& text, const QString& encoding, bool byteOrderMark, QString* error)
{
    auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    QByteArray bytes;
    if (encoding.compare(QLatin1String(legacyCodePage), Qt::CaseInsensitive) == 0) {
        if (!platform::codepage::fitsWindows1250(text))
            return fail(QStringLiteral("The macro text holds characters that %1 cannot store.").arg(encoding));
        bytes = platform::codepage::unicodeToWindows1250(text);
    } else {
        QStringEncoder encoder(encoding.toLatin1().constData(),
            byteOrderMark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Stateless);
        if (!encoder.isValid())
            return fail(QStringLiteral("Unknown encoding %1 for the macro file.").arg(encoding));
        bytes = encoder.encode(text);
        if (encoder.hasError())
            return fail(QStringLiteral("The macro text holds characters that %1 cannot store.").arg(encoding));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return fail(QStringLiteral("Cannot write the macro file %1: %2").arg(path, file.errorString()));
    return true;
}

} // namespace shell
