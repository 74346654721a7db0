// The canonical dump's writer, shared by its two halves: ast_dump_query.cpp writes expressions and queries,
// ast_dump.cpp statements. Internal to the SQL front end.
#pragma once

#include "engine/sql/ast.h"
#include "engine/sql/ast_dump.h"

#include <string>
#include <string_view>

namespace engine::sql::detail {

class Dumper {
public:
    std::string out;

    void put(std::string_view s) { out += s; }

    void id(const Identifier& i) { out += dumpIdentifier(i); }

    void ids(const std::vector<Identifier>& list, const char* sep = ".")
    {
        for (size_t i = 0; i < list.size(); ++i) {
            if (i)
                put(sep);
            id(list[i]);
        }
    }

    void idList(const std::vector<Identifier>& list)
    {
        put("(");
        ids(list, ", ");
        put(")");
    }

    void object(const ObjectName& n)
    {
        if (n.schema) {
            id(*n.schema);
            put(".");
        }
        id(n.name);
        if (n.dblink) {
            put("@");
            put(n.dblink->name);
        }
    }

    void text(const std::string& s)
    {
        put("'");
        for (char c : s) {
            if (c == '\'')
                put("'");
            out += c;
        }
        put("'");
    }

    void exprs(const std::vector<ExprPtr>& list)
    {
        for (size_t i = 0; i < list.size(); ++i) {
            if (i)
                put(", ");
            expr(*list[i]);
        }
    }

    static const char* compare(CompareOp op)
    {
        switch (op) {
        case CompareOp::Eq:
            return " = ";
        case CompareOp::Ne:
            return " <> ";
        case CompareOp::Lt:
            return " < ";
        case CompareOp::Le:
            return " <= ";
        case CompareOp::Gt:
            return " > ";
        case CompareOp::Ge:
            return " >= ";
        }
        return " ? ";
    }

    void dataType(const DataType& t)
    {
        if (t.name == "INTERVAL YEAR TO MONTH" || t.name == "INTERVAL DAY TO SECOND") {
            const bool year = t.name == "INTERVAL YEAR TO MONTH";
            put(year ? "INTERVAL YEAR" : "INTERVAL DAY");
            if (t.size)
                put("(" + std::to_string(*t.size) + ")");
            put(year ? " TO MONTH" : " TO SECOND");
            if (t.scale)
                put("(" + std::to_string(*t.scale) + ")");
            return;
        }
        put(t.name);
        if (t.size || t.starPrecision) {
            put("(");
            if (t.starPrecision)
                put("*");
            else
                put(std::to_string(*t.size));
            if (t.scale)
                put(", " + std::to_string(*t.scale));
            if (t.semantics == DataType::Semantics::Byte)
                put(" BYTE");
            else if (t.semantics == DataType::Semantics::Char)
                put(" CHAR");
            put(")");
        }
        if (!t.suffix.empty()) {
            put(" ");
            put(t.suffix);
        }
    }

    // expressions and queries (ast_dump_query.cpp)
    void expr(const Expr& e);
    void tableRef(const TableRef& t, bool nested);
    void body(const QueryBody& b);
    void operand(const QueryBody& b);
    void query(const Query& q);
    void orderItems(const std::vector<OrderItem>& items);
    void over(const OverClause& o);
    void grouping(const GroupingElement& g);
    void with(const std::vector<WithItem>& items);
    void rowLimit(const RowLimit& r);

    // statements (ast_dump.cpp)
    void returning(const std::optional<Returning>& r);
    void constraint(const Constraint& c);
    void column(const ColumnDef& c);
    void sequenceOptions(const SequenceOptions& o);
    void password(const std::string& p, bool quoted);
    void userOptions(const UserOptions& o);
    void privileges(const std::vector<Privilege>& list);
    void statement(const Statement& s);
    // MERGE and the multitable INSERT keep their clauses as written, so they are put back as written.
    void merge(const MergeStmt& m);
    void multiInsert(const MultiInsertStmt& m);
};

} // namespace engine::sql::detail
