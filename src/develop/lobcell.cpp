#include "develop/lobcell.h"

#include "db/dataset.h"
#include "shell/getpict.h"

#include <QAbstractItemModel>
#include <QToolButton>

namespace develop {

LobKind lobKind(db::FieldType type)
{
    switch (type) {
    case db::FieldType::Blob:
        return LobKind::Picture;
    case db::FieldType::Long:
    case db::FieldType::Clob:
        return LobKind::Text;
    default:
        return LobKind::None;
    }
}

std::unique_ptr<shell::TfmGetPict> makeLobLoader(
    QWidget* parent, const db::DataSet& result, QAbstractItemModel* model, const QModelIndex& index)
{
    if (!model || !index.isValid() || index.column() >= result.fieldCount())
        return nullptr;
    const LobKind kind = lobKind(result.fieldType(index.column()));
    if (kind == LobKind::None)
        return nullptr;
    auto loader = std::make_unique<shell::TfmGetPict>(parent);
    loader->pImage = kind == LobKind::Picture;
    loader->LoadButton->setText(loader->pImage ? QStringLiteral("Load Image") : QStringLiteral("Load text"));
    loader->popravljanje = result.cachedUpdates();
    loader->bindField(model, index);
    return loader;
}

} // namespace develop
