// shell::SqlEditor: the plain-text SQL editor of the worksheet and the script windows, on QScintilla. It colours
// SQL, numbers its lines, marks the token a server error points at, and loads and saves files in the encoding
// they came in, so a file written on Windows in its code page goes back the way it was.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <Qsci/qsciscintilla.h>

namespace shell {

// How a text file is encoded; saving writes the text back the same way.
enum class TextEncoding { Utf8, Utf8Bom, Utf16LeBom, Utf16Le, Windows1250 };

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
};

// Reads bytes as the tool's files come: a byte-order mark decides; else valid UTF-8 is UTF-8 and anything else the
// Windows code page of the tool's users (1250).
DecodedText decodeText(const QByteArray& bytes);
// The text in the given encoding. A text that the code page cannot hold is written as UTF-8 (and encoding is set
// so) rather than with its letters turned into "?".
QByteArray encodeText(const QString& text, TextEncoding& encoding);

class SqlEditor : public QsciScintilla {
    Q_OBJECT
public:
    explicit SqlEditor(QWidget* parent = nullptr);

    // The text as lines (without line ends) and as one text with CR LF after every line, the way statements are
    // handed on.
    QStringList textLines() const;
    void setLines(const QStringList& lines);
    QString textCrLf() const;

    // 1-based line and column of the caret.
    int cursorLine() const;
    int cursorColumn() const;
    void setCursorLineColumn(int line, int column);
    void insertAtCaret(const QString& text);

    // Marks `length` characters from the 1-based line and position (a marker in the margin and a squiggle under
    // the token) and puts the caret there; a line outside the text marks nothing.
    void setErrorMark(int line, int position, int length);
    void clearErrorMark();
    // 1-based line of the error mark, 0 when none.
    int errorMarkLine() const { return markLine; }
    int errorMarkPosition() const { return markPosition; }
    int errorMarkLength() const { return markLength; }

    // Loading keeps the file's encoding for the next save. Both return false and say why in errorString().
    bool loadFile(const QString& path);
    bool saveFile(const QString& path);
    TextEncoding encoding() const { return fileEncoding; }
    void setEncoding(TextEncoding encoding) { fileEncoding = encoding; }
    QString errorString() const { return lastError; }

private:
    int errorMarker = -1;
    int errorIndicator = -1;
    int markLine = 0;
    int markPosition = 0;
    int markLength = 0;
    TextEncoding fileEncoding = TextEncoding::Utf8;
    QString lastError;
};

// Writes lines, each followed by CR LF, in the encoding given (which may change as encodeText says).
bool writeTextFile(const QString& path, const QStringList& lines, TextEncoding& encoding, QString* error = nullptr);

} // namespace shell
