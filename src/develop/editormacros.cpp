#include "develop/editormacros.h"

#include "shell/sqleditor.h"

#include <QMenu>

#include <memory>

namespace develop {

void insertEditorText(shell::SqlEditor* editor, const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    editor->insertAtCaret(t);
}

void showEditorPopup(shell::SqlEditor* editor, QMenu* macros, const QPoint& pos)
{
    std::unique_ptr<QMenu> menu(editor->createStandardContextMenu());
    if (!menu)
        menu = std::make_unique<QMenu>();
    const QList<QAction*> items = macros->actions();
    if (!items.isEmpty()) {
        QAction* first = menu->actions().value(0);
        menu->insertActions(first, items);
        if (first)
            menu->insertSeparator(first);
    }
    menu->exec(editor->viewport()->mapToGlobal(pos));
}

} // namespace develop
