// The per-user key store that stands for the registry under the current user: the registry itself on Windows,
// a settings file under the user's configuration directory elsewhere. Addressed by the same key path
// ("Software\\Velmorant\\Dremmox\\LoginData") and value names the tool uses.
#pragma once

#include <QString>

namespace platform {

class UserKeyStore {
public:
    explicit UserKeyStore(const QString& keyPath);

    QString keyPath() const { return path; }
    bool contains(const QString& name) const;
    QString readString(const QString& name, const QString& defaultValue = {}) const;
    // False when the store could not be written; errorString() says why.
    bool writeString(const QString& name, const QString& value);
    bool remove(const QString& name);
    QString errorString() const { return error; }

private:
    QString path;
    QString error;
};

} // namespace platform
