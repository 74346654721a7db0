// The macro file: the user's keyboard shortcuts ("#" and a key) and popup macros ("/" and a caption), each
// followed by its text lines. Read by the main window into its macro tables and by the settings editor, written
// only by the settings editor. The tables are bounded; macros beyond the bounds are reported, never stored.
#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

namespace shell {

inline constexpr int maxShortcutMacros = 50;
inline constexpr int maxPopupMacros = 25;
inline constexpr int maxMacroCaption = 50;

struct ShortcutMacro {
    QChar key; // null for a header line "#" without a key
    QString text; // text lines joined with CR LF
};

struct PopupMacro {
    QString caption; // at most 50 characters
    QString text;
};

struct MacroFileContent {
    QList<ShortcutMacro> shortcuts;
    QList<PopupMacro> popups;
    // Macros the tables cannot hold, one message each; they are left out of the lists above.
    QStringList problems;
};

// Reads the file's text; lines may end with CR LF, LF or CR.
MacroFileContent readMacroText(const QString& text);
// Shortcuts first, then popup macros, each header followed by its text; lines end with CR LF.
QString writeMacroText(const MacroFileContent& content);

// The main window's macro tables (1-based in the design, 0-based here: mcMacro[k - 1] belongs to the key
// mcKeys[k - 1], stMacro[k - 1] is popup macro k with the caption mcMacroHeader[k - 1]).
struct MacroTables {
    QString mcKeys; // a null character stands for a shortcut without a key, so positions stay aligned
    QStringList mcMacro;
    int mcUkaz = 0;
    QStringList stMacro;
    QStringList mcMacroHeader;
    int nrMacros = 0;
    QStringList problems;

    bool isEmpty() const { return mcKeys.isEmpty() && mcUkaz == 0 && nrMacros == 0; }
};

MacroTables macroTablesFrom(const MacroFileContent& content);

// The file on disk, with the encoding it was read in so that it is written back the same way: a byte-order
// mark decides; without one, UTF-8 when the bytes are valid UTF-8, else the Windows code page of the files
// the tool has always written (windows-1250).
struct MacroFileText {
    bool ok = false;
    QString text;
    QString encoding = QStringLiteral("UTF-8");
    bool byteOrderMark = false;
    QString error;
};

MacroFileText loadMacroFile(const QString& path);
// False with error set when the file cannot be written or a character has no code in the file's encoding.
bool saveMacroFile(
    const QString& path, const QString& text, const QString& encoding, bool byteOrderMark, QString* error = nullptr);

} // namespace shell
