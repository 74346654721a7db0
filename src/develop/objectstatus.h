// The object-status window's work apart from its window: the list query with its orderings, the statements that
// compile and drop one object, and the loops of "Recompile All" and of the unattended recompilation.
#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace db {
class Session;
}

namespace develop {

// The list query without its ORDER BY line: name, type with five blanks (for the display), status, the last change
// as DD.MM.YYYY  HH:MI, the raw timestamp and the ordering column POZ ("@" for GETSEQUENCE, "A" a package, "B" a
// package body, "C" the rest). Names are shown whole.
QStringList invalidListLines();
// The whole query with the ORDER BY line.
QString invalidListQuery(const QString& orderBy);

inline constexpr const char* orderInvalid = "order by Poz,object_type,object_name";
inline constexpr const char* orderByType = "order by object_type,object_name";
inline constexpr const char* orderByTime = "order by timestamp desc";
inline constexpr const char* orderByName = "order by object_name";

inline constexpr const char* errorsQuery = "select * from all_errors where owner=:lastnik\r\n order by name,sequence";
inline constexpr const char* checkInvalidQuery = "select status from all_objects where owner=:lastnik and "
                                                 "object_name=:ime and object_type=:tip and status='INVALID'";

// One object of the list.
struct ListedObject {
    QString owner;
    QString name;
    QString type; // without the display blanks
};

// ALTER type owner.name COMPILE [PACKAGE|BODY]: a package compiles with PACKAGE, a package body as ALTER PACKAGE
// ... COMPILE BODY; other types have no suffix (the statement then ends with "COMPILE "). Names that need quotes
// are quoted.
QString alterCompileStatement(const ListedObject& object);
// DROP type owner.name, with the same quoting.
QString dropStatement(const ListedObject& object);

// The outcome of compiling one object.
struct ObjectCompile {
    bool refused = false; // the server refused the statement
    QString message; // its message when refused
    bool stillInvalid = false; // lNapaka: compiled, but the object is still INVALID
};
// The dictionary is asked for the object's status only when the compile reported errors (ORA-24344): a compile
// without them leaves the object VALID.
ObjectCompile compileObject(db::Session& session, const ListedObject& object);

// What "Recompile All" needs from its window.
struct CompileAllSteps {
    std::function<bool()> cancelled; // the Cancel box is ticked
    std::function<void()> pump; // lets pending window messages in
    std::function<ObjectCompile(const ListedObject&)> compile;
    std::function<void(const ListedObject&, const ObjectCompile&)> compiled;
};
struct CompileAllOutcome {
    int compiled = 0; // objects for which a compile was sent
    int refused = 0;
    int stillInvalid = 0;
    bool cancelled = false;
};
// Compiles the objects in their order until the end or until Cancel is ticked (looked at before each object).
CompileAllOutcome compileAllObjects(const QVector<ListedObject>& objects, const CompileAllSteps& steps);

// The unattended recompilation: three rounds, each re-reading the list and compiling all of it when it is not
// empty, then up to ten re-reads that stop once the list is empty. True when no invalid object is left.
struct RecompileRounds {
    std::function<int()> reread; // reads the invalid list again and gives its row count
    std::function<void()> pump;
    std::function<void()> compileAll;
};
bool recompileInRounds(const RecompileRounds& rounds);

// The owner an unattended recompilation works on: the parameter, or the connected user when it is empty or AUDIT.
QString errorsCommandOwner(const QString& parameter, const QString& connUser);

} // namespace develop
