// Password hashes of USER$.
#include "engine/catalog/passwords.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

namespace engine::catalog {

std::string passwordHash(const std::string& user, const std::string& password, bool caseSensitive)
{
    QString pw = QString::fromStdString(password);
    if (!caseSensitive)
        pw = pw.toUpper();
    QByteArray salted = QString::fromStdString(user).toUpper().toUtf8() + ':' + pw.toUtf8();
    return QCryptographicHash::hash(salted, QCryptographicHash::Sha256).toHex().toStdString();
}

} // namespace engine::catalog
