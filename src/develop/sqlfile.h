// The worksheet's file: File "&Open", "&Save", "Save &As" and the button "Clear" of TfmWorkSheet. A file is written
// back in the encoding, byte-order mark and line ends it was read with, so that saving never changes what the
// editor did not change; a new file is UTF-8 with CR LF line ends.
#pragma once

#include <QString>

#include <optional>

namespace develop {

struct TextFileFormat {
    QString encoding = QStringLiteral("UTF-8"); // or "UTF-16LE", "UTF-16BE", "windows-1250"
    bool byteOrderMark = false;
    QString lineEnd = QStringLiteral("\r\n");
};

// The output pane saved as Unicode (the main window's currUnicode): UTF-16 little-endian, no byte-order mark.
TextFileFormat unicodeOutputFormat();

struct TextFileContent {
    QString text;
    TextFileFormat format;
};

// Reads a file: a byte-order mark decides the encoding; without one UTF-8 when the bytes are valid UTF-8, else the
// Windows code page the tool's files were always written in (windows-1250). None, with error, when it cannot be
// read.
std::optional<TextFileContent> readTextFile(const QString& path, QString* error = nullptr);
// Writes text as lines, each followed by the format's line end. False, with error and the file untouched, when the
// file cannot be written or a character has no code in the encoding.
bool writeTextFile(const QString& path, const QString& text, const TextFileFormat& format, QString* error = nullptr);

// The file of one worksheet (currentFile) with the format it keeps.
class WorksheetFile {
public:
    QString currentFile() const { return file; }
    const TextFileFormat& format() const { return fmt; }

    // Open: the file's text for the editor; currentFile becomes path.
    std::optional<QString> open(const QString& path, QString* error = nullptr);
    // Save to currentFile in its format; false when there is none (the caller asks for a name) or on an error.
    bool save(const QString& text, QString* error = nullptr);
    // Save under a name the user picked; currentFile becomes path. The text keeps the format of the file it came
    // from unless format is given (the output pane as Unicode).
    bool saveAs(const QString& path, const QString& text, const std::optional<TextFileFormat>& format = {},
        QString* error = nullptr);
    // "Clear": no file; the next save asks for a name and writes a new file.
    void clear();

    // The caption after Open, Save As and Clear: the caption of creation time, "  FILE:" and the name in lower case.
    static QString caption(const QString& sUserCaption, const QString& fileName);
    // The name a save writes to: the name picked, with ".sql" added when the file name itself has no suffix (a
    // point in a directory's name does not count).
    static QString withDefaultSuffix(const QString& path);

private:
    QString file;
    TextFileFormat fmt;
};

} // namespace develop
