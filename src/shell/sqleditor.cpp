#include "shell/sqleditor.h"

#include "platform/codepage.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QSaveFile>
#include <Qsci/qscilexersql.h>

namespace shell {

namespace {

bool startsWith(const QByteArray& bytes, std::initializer_list<unsigned char> prefix)
{
    if (bytes.size() < qsizetype(prefix.size()))
        return false;
    int i = 0;
    for (unsigned char c : prefix)
        if (static_cast<unsigned char>(bytes.at(i++)) != c)
            return false;
    return true;
}

QString fromUtf16Le(const QByteArray& bytes, qsizetype from)
{
    QString text;
    text.reserve((bytes.size() - from) / 2);
    for (qsizetype i = from; i + 1 < bytes.size(); i += 2)
        text.append(QChar(char16_t(uchar(bytes.at(i)) | (uchar(bytes.at(i + 1)) << 8))));
    return text;
}

QByteArray toUtf16Le(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xff));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

// A file without a mark whose second byte is zero and first is not is the UTF-16 text the output pane writes.
bool looksUtf16Le(const QByteArray& bytes)
{
    return bytes.size() >= 2 && bytes.size() % 2 == 0 && bytes.at(0) != 0 && bytes.at(1) == 0;
}

} // namespace

DecodedText decodeText(const QByteArray& bytes)
{
    if (startsWith(bytes, { 0xEF, 0xBB, 0xBF }))
        return { QString::fromUtf8(bytes.mid(3)), TextEncoding::Utf8Bom };
    if (startsWith(bytes, { 0xFF, 0xFE }))
        return { fromUtf16Le(bytes, 2), TextEncoding::Utf16LeBom };
    if (looksUtf16Le(bytes))
        return { fromUtf16Le(bytes, 0), TextEncoding::Utf16Le };
    if (platform::codepage::isValidUtf8(bytes))
        return { QString::fromUtf8(bytes), TextEncoding::Utf8 };
    return { platform::codepage::windows1250ToUnicode(bytes), TextEncoding::Windows1250 };
}

QByteArray encodeText(const QString& text, TextEncoding& encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case TextEncoding::Utf16LeBom:
        return QByteArray("\xFF\xFE") + toUtf16Le(text);
    case TextEncoding::Utf16Le:
        return toUtf16Le(text);
    case TextEncoding::Windows1250:
        if (platform::codepage::fitsWindows1250(text))
            return platform::codepage::unicodeToWindows1250(text);
        encoding = TextEncoding::Utf8;
        return text.toUtf8();
    case TextEncoding::Utf8:
        break;
    }
    return text.toUtf8();
}

bool writeTextFile(const QString& path, const QStringList& lines, TextEncoding& encoding, QString* error)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    const QByteArray bytes = encodeText(text, encoding);
    // Written aside and renamed, so a failed save leaves the old file whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

SqlEditor::SqlEditor(QWidget* parent)
    : QsciScintilla(parent)
{
    auto* lexer = new QsciLexerSQL(this);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    lexer->setDefaultFont(font);
    lexer->setFont(font);
    setLexer(lexer);
    setUtf8(true);
    setEolMode(EolWindows);
    setMarginType(0, NumberMargin);
    setMarginWidth(0, QStringLiteral("00000"));
    setMarginLineNumbers(0, true);
    setMarginWidth(1, 12);
    setMarginSensitivity(1, false);
    setCaretLineVisible(true);
    setCaretLineBackgroundColor(QColor(0xf4, 0xf7, 0xfb));
    setWrapMode(WrapNone);
    // The horizontal scroll bar follows the longest line instead of standing there for a short statement.
    setScrollWidth(1);
    setScrollWidthTracking(true);
    setTabWidth(4);
    setAutoIndent(true);
    setBraceMatching(SloppyBraceMatch);
    errorMarker = markerDefine(RightArrow);
    setMarkerBackgroundColor(QColor(0xd0, 0x20, 0x20), errorMarker);
    setMarkerForegroundColor(QColor(0xd0, 0x20, 0x20), errorMarker);
    errorIndicator = indicatorDefine(SquiggleIndicator);
    setIndicatorForegroundColor(QColor(0xd0, 0x20, 0x20), errorIndicator);
    // Editing the text makes the old mark meaningless.
    connect(this, &QsciScintilla::textChanged, this, [this] {
        if (markLine > 0)
            clearErrorMark();
    });
}

QStringList SqlEditor::textLines() const
{
    QString t = text();
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList out = t.split(QLatin1Char('\n'));
    // The line after a final line end is no line of its own, as in a memo.
    if (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

void SqlEditor::setLines(const QStringList& newLines)
{
    setText(newLines.join(QStringLiteral("\r\n")));
}

QString SqlEditor::textCrLf() const
{
    QString out;
    for (const QString& line : textLines())
        out += line + QStringLiteral("\r\n");
    return out;
}

int SqlEditor::cursorLine() const
{
    int line = 0;
    int index = 0;
    getCursorPosition(&line, &index);
    return line + 1;
}

int SqlEditor::cursorColumn() const
{
    int line = 0;
    int index = 0;
    getCursorPosition(&line, &index);
    return index + 1;
}

void SqlEditor::setCursorLineColumn(int line, int column)
{
    setCursorPosition(qMax(0, line - 1), qMax(0, column - 1));
}

void SqlEditor::insertAtCaret(const QString& t)
{
    removeSelectedText();
    int line = 0;
    int index = 0;
    getCursorPosition(&line, &index);
    insertAt(t, line, index);
    // The caret goes after what was inserted, as typing would leave it.
    const int pos = int(SendScintilla(SCI_GETCURRENTPOS)) + int(t.toUtf8().size());
    SendScintilla(SCI_GOTOPOS, pos);
}

void SqlEditor::setErrorMark(int line, int position, int length)
{
    clearErrorMark();
    if (line < 1 || line > textLines().size())
        return;
    markerAdd(line - 1, errorMarker);
    const int lineLen = int(this->text(line - 1).remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).size());
    const int from = qBound(0, position - 1, lineLen);
    const int to = qBound(from, from + qMax(1, length), lineLen);
    if (to > from)
        fillIndicatorRange(line - 1, from, line - 1, to, errorIndicator);
    markLine = line;
    markPosition = position;
    markLength = to - from;
    setCursorPosition(line - 1, from);
    ensureLineVisible(line - 1);
}

void SqlEditor::clearErrorMark()
{
    // Every run clears the mark; a text without one is left alone (the clear walks the whole text).
    if (markLine == 0)
        return;
    markerDeleteAll(errorMarker);
    const int last = qMax(0, QsciScintilla::lines() - 1);
    clearIndicatorRange(0, 0, last, lineLength(last), errorIndicator);
    markLine = 0;
    markPosition = 0;
    markLength = 0;
}

bool SqlEditor::loadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        lastError = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    DecodedText decoded = decodeText(file.readAll());
    fileEncoding = decoded.encoding;
    setText(decoded.text);
    setModified(false);
    lastError.clear();
    return true;
}

bool SqlEditor::saveFile(const QString& path)
{
    if (!writeTextFile(path, textLines(), fileEncoding, &lastError))
        return false;
    setModified(false);
    lastError.clear();
    return true;
}

} // namespace shell
