// The worksheet's call builder (page tabProcFunc): the tree of a schema's procedures, functions and package
// members (tvSQL, filled by btRefresh), the parameters of the chosen one (sgParams) and the PL/SQL block that calls
// it with the values typed into the grid (btInsert, "&Prepare Statement"), inserted at the editor's caret.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace db {
class Session;
}

namespace develop {

// One row of sgParams: "Parameter" (empty for a function's return value), "Data_Type" (lower case as listed),
// "In/Out" and the typed "Value".
struct ArgumentRow {
    QString name;
    QString dataType;
    QString inOut;
    QString value;
};

// What a node of tvSQL calls. Node texts are owner in lower case + "." + name; a package member's node holds the
// member's name under its package's node.
struct CallTarget {
    QString owner; // upper case
    QString object; // upper case
    QString package; // upper case; empty for a stored procedure or function
    bool valid = false; // the node names an owner and an object
};
CallTarget callTarget(const QString& nodeText, const QString& packageNodeText = {});
// The name the block calls: the node's text, or for a member its package node's text + "." + its own.
QString callName(const QString& nodeText, const QString& packageNodeText = {});

// The parameters of a subprogram in position order, of its first overload, without the placeholder row of a
// subprogram without arguments. Throws db::OracleError.
std::vector<ArgumentRow> listArguments(db::Session& session, const CallTarget& target);

struct PackageNode {
    QString text; // owner in lower case + "." + package
    QStringList members;
};
struct CallableObjects {
    QStringList procedures; // node texts
    QStringList functions;
    std::vector<PackageNode> packages;
};
// The objects whose owner and name begin with the filters (upper-cased, "%" added). Throws db::OracleError.
CallableObjects listCallables(db::Session& session, const QString& ownerFilter, const QString& nameFilter);

// The block calling name with the rows of sgParams (none when the grid is hidden): OUT parameters become declared
// variables, the typed values become literals of the parameter's type, and a function's result is printed
// through DBMS_OUTPUT. newLine separates the lines (the main window's p_newLine). The text compiles for character,
// number, DATE (typed as DD.MM.YYYY) and BOOLEAN (TRUE or FALSE) parameters, IN, OUT and IN OUT.
QString buildCallBlock(const QString& name, const std::vector<ArgumentRow>& rows, bool gridShown,
    const QString& newLine = QStringLiteral("\r"));

} // namespace develop
