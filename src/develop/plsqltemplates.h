// The PL/SQL editor's templates in VEXO_UTIL.VEXO_PL_TPL (key, description, text), read and written on the main
// session without a commit: a stored template stays in the session's transaction.
#pragma once

#include <QString>

namespace db {
class Session;
}

namespace develop {

inline constexpr const char* templateFindQuery = "select * from vexo_util.vexo_pl_tpl\r\nwhere tpl_sifra like :template";
inline constexpr const char* templateInsert = "insert into vexo_util.vexo_pl_tpl (tpl_sifra,tpl_desc,tpl_cont)\r\n"
                                              " values(:sifra,:desc,:cont)";
// Keyed by the key the template had when it was chosen, so a changed key renames it instead of missing it.
inline constexpr const char* templateUpdate
    = "update vexo_util.vexo_pl_tpl set tpl_sifra=:sifra,tpl_desc=:desc,tpl_cont=:cont \r\n"
      " where tpl_sifra=:original";

// The longest template text the window takes.
inline constexpr int templateTextLimit = 200;

// Stores a new template, or updates the one chosen under `originalKey`. The key is stored in upper case. Returns
// the rows stored (0 when the chosen template is gone); throws db::OracleError when the server refuses.
qint64 storeTemplate(db::Session& session, bool isNew, const QString& originalKey, const QString& key,
    const QString& description, const QString& text);

} // namespace develop
