#include "develop/macrokeys.h"

#include "shell/macrofile.h"

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

} // namespace develop
