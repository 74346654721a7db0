// db::OracleError: every failure of a server (and of the access layer's own checks, with code 0), with the line
// and position in the statement text that the worksheet marks.
#pragma once

#include <QString>

#include <exception>
#include <string>

namespace db {

class OracleError : public std::exception {
public:
    // offset: index of the offending character in the statement (UTF-16 units of the QString), -1 when none.
    OracleError(int code, const QString& message, int offset = -1);

    // An error of the access layer itself, not of the server.
    static OracleError client(const QString& message) { return OracleError(0, message); }

    int code() const { return code_; }
    const QString& message() const { return message_; }
    int offset() const { return offset_; }
    // 1-based line and 1-based position within that line of the offset in the statement; 0 and 0 when the error
    // carries no offset or was not tied to a statement text.
    int line() const { return line_; }
    int position() const { return position_; }

    // Ties the error to the statement it came from: computes line and position from the offset.
    void setStatement(const QString& sql);
    // Adds a line that says what was being done (which record of which table) to the message.
    void addContext(const QString& context);

    const char* what() const noexcept override { return what_.c_str(); }

private:
    int code_;
    QString message_;
    int offset_;
    int line_ = 0;
    int position_ = 0;
    std::string what_;
};

struct LinePosition {
    int line = 0;
    int position = 0;
};

// Line (1-based) and position (1-based, in characters) of an offset in a text. CR LF, LF and a lone CR each end a
// line. An offset past the end points just after the last character; a negative one gives {0, 0}.
LinePosition linePositionOf(const QString& text, int offset);

// Converts a byte offset into a UTF-8 encoding of text (as the engine reports it) to an index in text.
int utf16OffsetOf(const QString& text, int utf8Offset);

} // namespace db
