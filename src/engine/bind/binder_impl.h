// Internal state of the binder shared by its source files: bound expressions, FROM sources and scopes.
#pragma once

#include "engine/bind/binder.h"
#include "engine/emit/sqltext.h"
#include "engine/sql/parser.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace engine::bind::detail {

// An expression after binding: its Oracle type and its SQLite text.
struct BExpr {
    types::ExprType type;
    std::string sql;
    bool aggregate = false; // holds an aggregate of this query level
    bool local = false; // refers to a column of this query level
    int bindSlot = -1; // a bare bind variable: its parameter index (0-based)
    std::string literalText; // a text literal's value
    // A ROWID pseudo column: the table's object number and row number, so ROWID = x becomes a key lookup.
    int64_t rowidObject = 0;
    std::string rowidRowno;
};

struct SrcColumn {
    std::string name;
    std::string sql;
    types::ExprType type;
    bool hidden = false;
    bool joinedByUsing = false; // named in JOIN ... USING: Oracle refuses it with a table qualifier
    bool joinedNaturally = false; // ... by a NATURAL join
};

// One item of a FROM clause: a table, view or inline view.
struct Source {
    std::string name; // what qualifies its columns: the alias, else the table's name
    std::string owner; // schema for schema.table.column; empty when aliased or an inline view
    std::string sqlAlias;
    std::vector<SrcColumn> columns;
    std::optional<TableInfo> table;
    std::string rownoSql; // the physical row number when a table
    std::string fromSql; // text for the FROM clause
    int offset = -1;
    std::string remoteTable; // name@link: the virtual table that reads its rows
};

// The rows a MERGE or multitable INSERT reads, kept in a temporary table while it runs: a statement composed to
// carry out one of its clauses names them by `name` (compound_dml.cpp).
struct ComposedSource {
    std::string name;
    std::string table;
    std::vector<std::string> names;
    std::vector<types::ExprType> types;
};

struct Scope {
    Scope* parent = nullptr;
    std::vector<Source> sources;
    std::map<std::string, std::pair<std::string, types::ExprType>> usingColumns; // JOIN ... USING
    std::vector<std::string> usingOrder; // the USING columns in the order written: first in SELECT *
    bool aggregatesAllowed = false;
    bool analyticsAllowed = false; // the select list and ORDER BY of a block
    bool inAnalytic = false; // the arguments and window of an analytic function
    bool inAggregate = false;
    bool sequenceAllowed = false;
    std::string rownumSql; // ROWNUM where the block numbers its rows in the select list
    std::string levelSql; // LEVEL in a hierarchical block
    std::string leafSql; // CONNECT_BY_ISLEAF there
    std::string cycleSql; // CONNECT_BY_ISCYCLE there
    Scope* priorScope = nullptr; // CONNECT BY: where PRIOR columns resolve
    std::set<int>* outerMarks = nullptr; // sources referenced with (+) in the predicate being bound
    std::set<int>* referenced = nullptr; // sources referenced by the predicate being bound
    bool sawAggregate = false;
    bool columnsNotAllowed = false; // VALUES of INSERT: a column name is ORA-00984
    // Expressions computed elsewhere (SYS_CONNECT_BY_PATH in the hierarchy's rows): their SQL and type here.
    std::map<const sql::Expr*, std::pair<std::string, types::ExprType>> precomputed;
};

// A query name of WITH in scope, as the statement's SQL names it.
struct CteInfo {
    std::string name;
    std::string sqlName;
    std::vector<std::string> columns;
    std::vector<types::ExprType> types;
    bool pending = false; // a later element of the WITH being bound: naming it here is ORA-32031
    bool recursive = false; // its recursive branches are being bound: only they may name it
};

// The recursive branch of a recursive WITH element being bound: the block that must name the element once in its
// FROM, and what the block adds to carry each row's place in the recursion.
struct RecursiveBranch {
    const sql::QueryBlock* block = nullptr;
    std::string cteName; // the query name
    std::string alias; // the SQL alias the block gave it
    int references = 0;
    bool stopAtCycle = false; // a row that closes a cycle is not expanded (CYCLE clause)
    // The extra select items after the block's own: the row's recursion word and level.
    std::function<std::string(const std::string& alias, const std::vector<std::string>& items)> extraItems;
};

// A condition of a block's WHERE: the condition, its SQL and the sources (by index) it refers to.
struct BlockFilter {
    const sql::Expr* expr = nullptr;
    std::string sql;
    std::set<int> refs;
};

// The block's rows flattened into one row source: every column of every source named "i_k" (and "i_r" for a
// table's row number) under `prefix`. `into` is `scope` reading them.
void flattenColumns(const Scope& scope, const std::string& prefix, Scope& into);
// The select list that gives those columns.
std::string flatSelectList(const Scope& scope);
// " WHERE a AND b", or nothing.
std::string whereClause(const std::vector<std::string>& preds);

struct OrderKey {
    std::string sql;
    bool descending = false;
    std::optional<bool> nullsFirst;
};

struct BlockResult {
    std::string sql;
    std::vector<types::ExprType> types;
    std::vector<std::string> names;
    bool simple = true; // may stand as a member of a SQLite compound SELECT as it is
};

class BinderImpl {
public:
    BinderImpl(std::string_view text, const CatalogLookup& catalog, const SessionContext& context)
        : text(text)
        , catalog(catalog)
        , context(context)
    {
    }

    std::string_view text;
    const CatalogLookup& catalog;
    SessionContext context;
    std::vector<ParamSlot> params;
    std::map<std::string, int> paramIndex;
    std::set<int64_t> dependsOn;
    int aliasCounter = 0;
    // The one query block of INSERT ... SELECT whose select list may use NEXTVAL besides a top-level SELECT's.
    const sql::QueryBlock* sequenceBlock = nullptr;
    // Sequences whose NEXTVAL the statement already used: Oracle increments a sequence once per row however often
    // the row names its NEXTVAL, so later references read the value just taken.
    std::set<int64_t> nextvalTaken;
    // Views whose text is being bound on the way here: naming one again is a circular definition (FORCE views may
    // be created over each other), which must end in an error rather than an endless expansion.
    std::set<int64_t> expandingViews;
    // DML through a simple view: the view's definition (kept parsed while binding), its WHERE, which UPDATE and
    // DELETE add to their own, and the names the statement and the view's WHERE qualify columns by.
    std::shared_ptr<sql::ParseResult> dmlView;
    const sql::Expr* dmlViewWhere = nullptr;
    std::string dmlViewName;
    std::string dmlViewOwner;
    std::string dmlViewSourceName;
    std::optional<TableInfo> dmlViewBase;
    bool dmlViewCheckOption = false;
    // A statement composed from a MERGE or multitable INSERT: its source rows, and for the DELETE of a MERGE the
    // temporary table holding the row numbers of the rows its UPDATE changed, the only rows it may delete.
    const ComposedSource* composed = nullptr;
    std::string dmlRowsFilter;
    // The enclosing PL/SQL block's names, asked when a name is no column (binder_external.cpp).
    const ExternalNames* external = nullptr;
    // Whose privileges decide on the objects named here: empty for the session's user; a view's owner while its
    // query is bound (definerView names the view), and what the statement does to each object.
    std::string definer;
    std::string definerView;
    std::vector<ObjectAccess> accesses;

    [[noreturn]] void fail(int code, const std::string& message, int offset) const;
    // Notes that the statement does `access` to the object; ORA-00942 (ORA-02289 for a sequence) at once when the
    // user whose privileges decide may not see it.
    void noteAccess(const ObjectRef& ref, AccessKind access, int offset);
    // ORA-00932 for a CLOB or BLOB where values are compared (ORDER BY, GROUP BY, DISTINCT, UNION...).
    void refuseLob(const types::ExprType& t, int offset) const;
    // ORA-00907 for a subquery of IN or EXISTS that has an ORDER BY.
    void refuseOrderBy(const sql::Query& q) const;
    std::string newAlias() { return "s" + std::to_string(++aliasCounter); }

    // expressions
    BExpr expr(const sql::Expr& e, Scope& scope);
    BExpr condition(const sql::Expr& e, Scope& scope);
    BExpr column(const sql::ColumnRefExpr& e, Scope& scope);
    std::optional<BExpr> externalName(const std::vector<sql::Identifier>& parts);
    // A stored function called from SQL (binder_external.cpp).
    // `bound` holds the arguments when they are bound already; `namedArgs` their names (p => x) when any is named.
    std::optional<BExpr> storedFunction(const std::vector<sql::Identifier>& parts,
        const std::vector<sql::ExprPtr>* args, Scope& scope, const std::vector<BExpr>* bound = nullptr,
        const std::vector<sql::Identifier>* namedArgs = nullptr);
    BExpr pseudo(const sql::PseudoColumnExpr& e, Scope& scope);
    BExpr function(const sql::FunctionCallExpr& e, Scope& scope);
    std::optional<BExpr> conversionFunction(
        const sql::FunctionCallExpr& e, const std::string& name, std::vector<BExpr>& args);
    // An aggregate call (binder_aggregates.cpp); with `window`, its analytic form over that OVER text.
    BExpr aggregate(const sql::FunctionCallExpr& e, Scope& scope, const std::string* window);
    // The letters of ORDER BY keys for the engine's ordered aggregates, and the keys' SQL after them.
    std::string orderLetters(const std::vector<sql::OrderItem>& items, Scope& scope, std::string& keysSql);
    // An analytic function: name(args) OVER (...) (binder_analytic.cpp).
    BExpr analytic(const sql::FunctionCallExpr& e, Scope& scope);
    BExpr caseExpr(const sql::CaseExpr& e, Scope& scope);
    BExpr binary(const sql::BinaryExpr& e, Scope& scope);
    BExpr comparison(const sql::ComparisonExpr& e, Scope& scope);
    BExpr compare(const BExpr& l, const std::string& op, const BExpr& r, int offset);
    BExpr scalarSubquery(const sql::Query& q, Scope& scope, int offset);
    void noteBind(const BExpr& e, const types::ExprType& t);
    BExpr converted(const BExpr& e, OraType to, int offset);
    // TIMESTAMP and INTERVAL (binder_datetime.cpp). exact: round to the target's precision and check an interval's
    // leading digits even between values of the same type (storing, CAST).
    BExpr datetimeConverted(const BExpr& e, const types::ExprType& to, int offset, bool exact);
    BExpr datetimeLiteral(const sql::LiteralExpr& l, int offset);
    BExpr datetimeCompare(const BExpr& l, const std::string& op, const BExpr& r, int offset);
    BExpr datetimeArithmetic(char op, const BExpr& l, const BExpr& r, int offset);
    std::optional<BExpr> datetimeFunction(
        const sql::FunctionCallExpr& e, const std::string& name, const std::vector<BExpr>& args);
    BExpr systimestamp();
    BExpr atTimeZone(const BExpr& value, const BExpr* zone, int offset);
    int slotFor(const std::string& name);

    // WITH (binder_with.cpp): the query names in scope, innermost last
    std::vector<CteInfo> ctes;
    int cteCounter = 0;
    const sql::QueryBlock* currentBlock = nullptr;
    RecursiveBranch* recursiveBranch = nullptr;
    // Binds the elements of q's WITH, leaving them in ctes, and returns the SQL WITH clause to put before q's SQL.
    std::string withClause(const sql::Query& q);
    std::string recursiveElement(const sql::WithItem& item, CteInfo& cte);
    // The source a query name stands for, or nothing when the name is no query name in scope.
    std::optional<Source> cteSource(const sql::ObjectName& name, const std::optional<sql::Identifier>& alias, int offset);

    // queries
    BlockResult query(const sql::Query& q, Scope* parent, bool topLevel, BoundStatement* out);
    BlockResult queryBody(const sql::Query& q, Scope* parent, BoundStatement* out);
    BlockResult body(const sql::QueryBody& b, Scope* parent);
    BlockResult block(const sql::QueryBlock& b, Scope* parent, const std::vector<sql::OrderItem>* orderBy,
        const sql::ForUpdate* forUpdate, BoundStatement* out, const sql::RowLimit* rowLimit = nullptr,
        const std::vector<sql::OrderItem>* siblings = nullptr);
    // START WITH / CONNECT BY (binder_hierarchy.cpp): makes `finalFrom` the hierarchy's rows in Oracle's order and
    // `final` read them (`finalPrior` their parents' for PRIOR); adds the conditions after CONNECT BY to
    // `finalWhere`.
    void hierarchy(const sql::QueryBlock& b, const std::vector<sql::OrderItem>* orderBy,
        const std::vector<sql::OrderItem>* siblings, const Scope& scope, const std::string& fromSql,
        const std::vector<BlockFilter>& filters, Scope& final, Scope& finalPrior, std::string& finalFrom,
        std::vector<std::string>& finalWhere);
    // OFFSET / FETCH over a bound query (binder_rowlimit.cpp). The keys are its ORDER BY as SQL over the columns
    // of its rows named w_ (w_.k1 for a key the block added, w_.c2 for a column); they count ties.
    void applyRowLimit(BlockResult& r, const sql::RowLimit& limit, const std::vector<OrderKey>& keys);
    // A ROWNUM condition that bounds the rows of its block (ROWNUM <= n, ROWNUM = 1, ROWNUM > 1...): adds to
    // `limit` (SQL of a LIMIT) or sets `never`, and returns true; false for any other condition.
    bool rownumBound(const sql::Expr& c, Scope& scope, std::string& limit, bool& never);
    // GROUP BY with grouping sets (binder_grouping.cpp): makes `finalFrom` the rows of every set and `final` read
    // the block's grouped expressions, aggregates and grouping functions from them.
    void groupingSets(const sql::QueryBlock& b, const std::vector<sql::OrderItem>* orderBy, Scope& final,
        std::string& finalFrom, std::vector<std::string>& finalWhere, std::string& defaultOrder);
    // PIVOT and UNPIVOT (binder_pivot.cpp): the row source each makes of its source.
    Source pivotSource(const sql::PivotRef& p, Scope& scope);
    Source collectionSource(const sql::CollectionRef& c, Scope& scope); // binder_collection.cpp
    Source unpivotSource(const sql::UnpivotRef& u, Scope& scope);
    void addTableRef(const sql::TableRef& t, Scope& scope, std::string& fromSql);
    Source tableSource(const sql::ObjectName& name, const std::optional<sql::Identifier>& alias, int offset);
    Source remoteSource(const sql::ObjectName& name, const std::optional<sql::Identifier>& alias);
    Source composedSource(const std::optional<sql::Identifier>& alias, int offset); // compound_dml.cpp
    Source viewSource(const ObjectRef& ref, const std::optional<sql::Identifier>& alias, int offset);
    std::string heading(const sql::SelectItem& item) const;

    // DML
    void insert(const sql::InsertStmt& s, BoundStatement& out);
    void update(const sql::UpdateStmt& s, BoundStatement& out);
    void remove(const sql::DeleteStmt& s, BoundStatement& out);
    void finishDml(const TableInfo& t, const Source& target, const std::string& head, const std::string& where,
        const std::optional<sql::Identifier>& alias, const std::optional<sql::Returning>& ret, BoundStatement& out);
    // The target of a DML statement (or LOCK TABLE), noting `access` to it (and SELECT when the statement reads
    // its rows).
    TableInfo dmlTable(const sql::ObjectName& name, AccessKind access = AccessKind::Select, bool reads = false);
    AccessKind dmlAccess = AccessKind::Select; // what dmlTable's statement does, for a view's base table
    size_t dmlAccessIndex = 0; // its entry in accesses, which INSERT and UPDATE give their columns
    TableInfo viewTable(const ObjectRef& ref, int offset);
    Source dmlSource(const TableInfo& t, const std::optional<sql::Identifier>& alias, const std::string& sqlAlias);
    // Gives the virtual columns of a table's source their expressions (binder_virtual.cpp).
    void bindVirtualColumns(Source& src);
    std::string viewCondition(const std::string& sqlAlias);
    std::string storeValue(const TableInfo& t, const ColumnInfo& c, const BExpr& value, bool isUpdate, int offset);
    void checkGeneratedInsert(const ColumnInfo& c, bool isDefault, int offset);
    void returning(const sql::Returning& r, Scope& scope, BoundStatement& out);
    std::string dmlWhere(const sql::Expr* where, Scope& scope);
};

std::string qualifiedName(const std::vector<sql::Identifier>& parts);
bool isLob(const types::ExprType& t);
// The texts of ORA-00932: two values that cannot be compared, a value that is not of the type expected.
std::string notComparable(const types::ExprType& a, const types::ExprType& b);
std::string inconsistent(const types::ExprType& expected, const types::ExprType& got);
std::string quotedColumnName(const TableInfo& t, const ColumnInfo& c);

// binder.cpp: the statement kind the executor sees, and the parts of a bound statement the binder collected.
StatementKind kindOf(sql::StatementKind k);
void finish(BinderImpl& b, BoundStatement& out);

} // namespace engine::bind::detail
