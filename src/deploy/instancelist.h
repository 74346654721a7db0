// The instance list of unattended runs: instance.txt beside the program names, one a line, the database aliases on
// which the command list runs in turn.
#pragma once

#include "deploy/runnertexts.h"

#include <QString>
#include <QStringList>

namespace deploy {

inline constexpr const char* instanceListFileName = "instance.txt";
inline constexpr int instanceListLimit = 20;

struct InstanceList {
    bool exists = false; // the file is there (without it the commands run once, on the current connection)
    QStringList aliases; // the lines, trimmed, without empty ones
    // Why the list cannot be used (unreadable, too long), with the arguments of the text; nullptr when it can.
    const RunnerText* error = nullptr;
    QStringList errorArgs;
};

// Reads instance.txt in executableDir (found in any case). A file that cannot be read, or names more aliases than
// the limit, is an error: running on the current connection, or on part of the list, is not what was asked for.
InstanceList readInstanceList(const QString& executableDir);

} // namespace deploy
