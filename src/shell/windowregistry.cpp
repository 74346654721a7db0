#include "shell/windowregistry.h"

#include <QHash>

namespace shell {

namespace {

// The openers live as long as the program; they are registered on the GUI thread at start-up.
QHash<QString, WindowOpener>& openers()
{
    static QHash<QString, WindowOpener> table;
    return table;
}

} // namespace

void registerWindowOpener(const QString& itemName, WindowOpener opener)
{
    if (opener)
        openers().insert(itemName, std::move(opener));
    else
        openers().remove(itemName);
}

const WindowOpener* windowOpener(const QString& itemName)
{
    const auto found = openers().constFind(itemName);
    return found == openers().cend() ? nullptr : &found.value();
}

void unregisterWindowOpener(const QString& itemName)
{
    openers().remove(itemName);
}

} // namespace shell
