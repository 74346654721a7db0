// The named bind variables of a query or data set: declared by name with type and direction, set and read by
// name. A name used several times in one statement is one variable and one bind.
#pragma once

#include "db/driver.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace db {

class Variables {
public:
    struct Variable {
        QString name; // upper case, no colon
        BindType type = BindType::String;
        BindDirection direction = BindDirection::In;
        QVariant value;
        std::shared_ptr<driver::Cursor> cursor; // REF CURSOR opened by the last execution
    };

    void declare(const QString& name, BindType type, BindDirection direction = BindDirection::In);
    // Sets the value; a variable not declared yet is declared as an IN variable of the value's type.
    void set(const QString& name, const QVariant& value);
    QVariant get(const QString& name) const;
    bool contains(const QString& name) const;
    const Variable* find(const QString& name) const;
    void remove(const QString& name);
    void clear() { list.clear(); }
    QStringList names() const;
    bool isEmpty() const { return list.empty(); }

    // The binds for sql: every declared variable the statement uses, once, in order of first use. Placeholders
    // without a variable are left to the server, which refuses them (ORA-01008) where they are binds.
    std::vector<driver::Bind> bindsFor(const QString& sql) const;
    // Takes the values of OUT and IN OUT binds (and the cursors of REF CURSOR binds) after an execution.
    void readBack(const std::vector<driver::Bind>& binds);

    static BindType typeOfValue(const QVariant& value);

private:
    Variable* findMutable(const QString& name);
    std::vector<Variable> list;
    // The bind names of the statement last bound: a statement executed again is not read through again.
    mutable QString namesOf;
    mutable QStringList namesCache;
};

} // namespace db
