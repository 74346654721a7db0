#include "develop/macrokeys.h"

#include "shell/macrofile.h"

#include <QKeyEvent>

namespace develop {

MacroKeys::Typed MacroKeys::typed(QChar c, qint64 nowMs)
{
    Typed out;
    const qsizetype k = c.isNull() ? -1 : tables->mcKeys.indexOf(c);
    if (k < 0) {
        lastMacro = false;
        if (!lastKey.isNull()) {
            out.insert = QString(lastKey);
            currNow = nowMs + day;
            lastKey = QChar();
            lastMacro = true;
        }
        return out;
    }
    if (currNow == none) {
        currNow = nowMs;
    } else if (lastKey != c) {
        if (!lastKey.isNull())
            out.insert = QString(lastKey);
        currNow = nowMs - day;
    } else if (nowMs - currNow > holdMs) {
        out.insert = k < tables->mcMacro.size() ? tables->mcMacro.at(k) : QString();
        currNow = nowMs + day;
        lastMacro = true;
    }
    lastKey = c;
    out.suppress = true;
    return out;
}

MacroKeys::Released MacroKeys::released(int key, Qt::KeyboardModifiers modifiers)
{
    Released out;
    const Qt::KeyboardModifiers m = modifiers & ~Qt::KeypadModifier;
    if (m != Qt::AltModifier && m != Qt::ControlModifier && !lastKey.isNull() && !lastMacro)
        out.insert = QString(lastKey);
    if (m == Qt::ControlModifier && key == Qt::Key_D)
        out.command = Command::ClearEditor;
    else if (m == Qt::ControlModifier && key == Qt::Key_T)
        out.command = Command::LargeRollbackSegment;
    currNow = none;
    lastKey = QChar();
    lastMacro = false;
    return out;
}

MacroKeyFilter::MacroKeyFilter(
    const shell::MacroTables& tables, QObject* editor, Actions actions, std::function<qint64()> clock)
    : QObject(editor)
    , keys(tables)
    , actions(std::move(actions))
    , clock(std::move(clock))
{
    started.start();
    editor->installEventFilter(this);
}

bool MacroKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    auto insert = [this](const QString& text) {
        if (!text.isEmpty() && actions.insert)
            actions.insert(text);
    };
    if (event->type() == QEvent::KeyPress) {
        const QString typed = key->text();
        // Only characters count; a held Ctrl or Alt makes a command, not a character.
        if (typed.size() != 1 || !typed.at(0).isPrint()
            || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != Qt::NoModifier)
            return false;
        const MacroKeys::Typed t = keys.typed(typed.at(0), clock ? clock() : started.elapsed());
        insert(t.insert);
        return t.suppress;
    }
    if (key->isAutoRepeat())
        return false;
    const MacroKeys::Released r = keys.released(key->key(), key->modifiers());
    insert(r.insert);
    if (r.command == MacroKeys::Command::ClearEditor && actions.clearEditor)
        actions.clearEditor();
    else if (r.command == MacroKeys::Command::LargeRollbackSegment && actions.largeRollbackSegment)
        actions.largeRollbackSegment();
    return false;
}

} // namespace develop
