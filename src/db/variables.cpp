#include "db/variables.h"

#include "db/sqltext.h"

#include <QDateTime>

namespace db {

void Variables::declare(const QString& name, BindType type, BindDirection direction)
{
    const QString key = sqltext::variableKey(name);
    if (Variable* v = findMutable(key)) {
        v->type = type;
        v->direction = direction;
        return;
    }
    list.push_back({ key, type, direction, {}, {} });
}

void Variables::set(const QString& name, const QVariant& value)
{
    Variable* v = findMutable(sqltext::variableKey(name));
    if (!v) {
        declare(name, typeOfValue(value));
        v = findMutable(sqltext::variableKey(name));
    }
    v->value = value;
}

QVariant Variables::get(const QString& name) const
{
    const Variable* v = find(name);
    return v ? v->value : QVariant();
}

bool Variables::contains(const QString& name) const
{
    return find(name) != nullptr;
}

const Variables::Variable* Variables::find(const QString& name) const
{
    const QString key = sqltext::variableKey(name);
    for (const Variable& v : list)
        if (v.name == key)
            return &v;
    return nullptr;
}

Variables::Variable* Variables::findMutable(const QString& name)
{
    return const_cast<Variable*>(std::as_const(*this).find(name));
}

void Variables::remove(const QString& name)
{
    const QString key = sqltext::variableKey(name);
    std::erase_if(list, [&](const Variable& v) { return v.name == key; });
}

QStringList Variables::names() const
{
    QStringList n;
    for (const Variable& v : list)
        n << v.name;
    return n;
}

std::vector<driver::Bind> Variables::bindsFor(const QString& sql) const
{
    std::vector<driver::Bind> binds;
    if (list.empty())
        return binds;
    if (sql != namesOf || namesOf.isNull()) {
        namesCache = sqltext::bindNames(sql);
        namesOf = sql;
    }
    for (const QString& name : namesCache) {
        const Variable* v = find(name);
        if (!v)
            continue;
        driver::Bind b;
        b.name = v->name;
        b.direction = v->direction;
        b.type = fieldTypeOf(v->type);
        b.value = v->value;
        binds.push_back(std::move(b));
    }
    return binds;
}

void Variables::readBack(const std::vector<driver::Bind>& binds)
{
    for (const driver::Bind& b : binds) {
        if (b.direction == BindDirection::In)
            continue;
        if (Variable* v = findMutable(b.name)) {
            v->value = b.value;
            v->cursor = b.cursor;
        }
    }
}

BindType Variables::typeOfValue(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return BindType::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return BindType::Float;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return BindType::Date;
    case QMetaType::QByteArray:
        return BindType::Blob;
    default:
        return BindType::String;
    }
}

} // namespace db
