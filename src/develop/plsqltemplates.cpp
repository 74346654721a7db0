#include "develop/plsqltemplates.h"

#include "db/query.h"
#include "db/session.h"

namespace develop {

qint64 storeTemplate(db::Session& session, bool isNew, const QString& originalKey, const QString& key,
    const QString& description, const QString& text)
{
    db::Query quUpdate(&session);
    quUpdate.setSql(QString::fromLatin1(isNew ? templateInsert : templateUpdate));
    quUpdate.setVariable(QStringLiteral("sifra"), key.trimmed().toUpper());
    quUpdate.setVariable(QStringLiteral("desc"), description);
    quUpdate.setVariable(QStringLiteral("cont"), text);
    if (!isNew)
        quUpdate.setVariable(QStringLiteral("original"), originalKey);
    quUpdate.execute();
    return quUpdate.rowsProcessed();
}

} // namespace develop
