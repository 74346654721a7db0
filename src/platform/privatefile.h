// Files that hold secrets (remembered passwords, saved login data): kept readable and writable by their owner
// only, so that other users of the machine cannot read them. Their contents and format are not touched.
#pragma once

#include <QString>

namespace platform {

// Makes an existing file owner-only (0600); does nothing when there is none. False when it could not be changed.
bool restrictToOwner(const QString& path);

// The same, creating the file empty (and owner-only from the start) when it does not exist yet, so that what is
// written into it next is never readable by others, not even for a moment.
bool createOwnerOnly(const QString& path);

} // namespace platform
