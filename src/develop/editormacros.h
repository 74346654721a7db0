// What the editors' macros and templates put into a shell::SqlEditor, and the editor's popup menu with the popup
// macros above the editor's own commands. The PL/SQL editor uses them; the worksheet has the same steps of its own.
#pragma once

#include <QPoint>
#include <QString>

class QMenu;

namespace shell {
class SqlEditor;
}

namespace develop {

// Inserts a macro or template text at the caret. Such texts break their lines with CR (the main window's
// p_newLine) or CR LF; the editor's lines end with CR LF, so a statement sent from it never mixes the two.
void insertEditorText(shell::SqlEditor* editor, const QString& text);

// Shows the editor's popup menu at pos (editor coordinates): the actions of `macros` first, then the editor's own
// commands (undo, cut, copy, paste, select all).
void showEditorPopup(shell::SqlEditor* editor, QMenu* macros, const QPoint& pos);

} // namespace develop
