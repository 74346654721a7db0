// SQL inside PL/SQL: a statement translated once with the block's variables as typed binds (a column of the same
// name wins, as in Oracle), and run again with their current values. Translated again when the catalog changed.
#pragma once

#include "engine/bind/external_names.h"
#include "engine/plsql/nodes.h"
#include "engine/sql/parser.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace engine::plsql {

struct EmbeddedSql {
    std::string text; // the statement as the SQL front end reads it (INTO lists taken out)
    int baseOffset = 0; // where it begins in the unit's text
    std::unique_ptr<sql::ParseResult> parsed;
    std::shared_ptr<exec::CachedStatement> entry;
    // The block's names the statement uses: bind name -> the value it takes.
    std::vector<std::pair<std::string, CExprPtr>> externals;
    std::map<std::string, std::pair<std::string, types::ExprType>> byKey; // "R.ID" -> bind name, type
    std::vector<std::string> returningBinds; // RETURNING ... INTO: one out bind per target
    bool returnAll = false; // RETURNING ... BULK COLLECT INTO: the targets take every row
    int rowidColumn = -1; // a FOR UPDATE cursor's hidden ROWID column
    // Per parameter of the translation: >= 0 an external, -1 a bind of the call, -2 a RETURNING target.
    std::vector<int> sources;
    // In a unit of AUTHID CURRENT_USER: the current user and schema the translation was made for. The statement's
    // names are resolved again when it runs for another.
    std::string boundFor;

    // An INSERT ... VALUES into a table through a database link: sent whole to the link's session, with the block's
    // names in it replaced by binds (the text as sent is `text`).
    bool remote = false;

    // Makes the statement a remote one when it is an INSERT ... VALUES through a link; false otherwise (the
    // statement is then translated as usual, which refuses other changes through a link).
    bool prepareRemote(const bind::ExternalNames& names);

    // Runs the statement; `out` receives the binds as run (RETURNING values). Throws PlError.
    ExecResult run(Ctx& c, std::vector<Bind>* out = nullptr);
    // The translation as it must run now: made again after DDL, or for another user of an invoker's-rights unit.
    const std::shared_ptr<exec::CachedStatement>& current(Ctx& c);
    // The statement's binds with the current values of the block's names (after current()).
    void bindValues(Ctx& c, std::vector<Bind>& binds) const;
    void retranslate(Ctx& c);
    void mapSources();
};

} // namespace engine::plsql
