// TABLE() over PL/SQL collections: the rows' columns and the JSON text of the elements.
#include "engine/plsql/table_collection.h"

#include <cstdio>

namespace engine::plsql {

namespace {

void refuseElement(const PlType& t)
{
    if (t.kind == PlKind::Boolean)
        throw oraError(902, "invalid datatype");
    if (t.kind == PlKind::Raw || t.kind == PlKind::Blob)
        throw oraError(3001, "unimplemented feature: TABLE() of RAW or BLOB elements");
    if (!t.isScalar())
        throw oraError(3001, "unimplemented feature: TABLE() of nested collections");
}

void appendJsonText(std::string& out, const std::string& text)
{
    out += '"';
    for (const unsigned char ch : text) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", ch);
            out += buf;
        } else {
            out += static_cast<char>(ch);
        }
    }
    out += '"';
}

void appendJsonValue(std::string& out, const Value& v)
{
    switch (v.kind) {
    case Value::Kind::Null:
        out += "null";
        return;
    case Value::Kind::Integer:
        out += std::to_string(v.integer);
        return;
    case Value::Kind::Real: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v.real);
        out += buf;
        return;
    }
    default:
        appendJsonText(out, v.text);
        return;
    }
}

} // namespace

bind::CollectionRows collectionRowsOf(const PlType& t)
{
    if (t.kind != PlKind::Table || !t.element)
        throw oraError(22905, "cannot access rows from a non-nested table item");
    if (!t.typeKey.empty() && t.typeKey.front() == '#')
        throw oraError(6553, "PLS-642: local collection types not allowed in SQL statements");
    if (t.coll == CollKind::Assoc && t.indexByText)
        throw oraError(22905, "cannot access rows from a non-nested table item");
    bind::CollectionRows rows;
    const PlType& e = *t.element;
    if (e.kind == PlKind::Record && e.record) {
        for (size_t i = 0; i < e.record->names.size(); ++i) {
            refuseElement(e.record->types[i]);
            rows.names.push_back(e.record->names[i]);
            rows.types.push_back(sqlTypeOf(e.record->types[i]));
        }
        return rows;
    }
    refuseElement(e);
    rows.names.push_back("COLUMN_VALUE");
    rows.types.push_back(sqlTypeOf(e));
    return rows;
}

Value collectionJson(const Val& v)
{
    if (!v.c || v.c->atomicallyNull)
        return Value::null();
    std::string out = "[";
    bool first = true;
    for (const auto& [key, element] : v.c->elements) {
        (void)key;
        out += first ? "[" : ",[";
        first = false;
        if (element.c) {
            bool firstField = true;
            for (const Val& f : element.c->fields) {
                if (!firstField)
                    out += ',';
                firstField = false;
                appendJsonValue(out, f.v);
            }
        } else {
            appendJsonValue(out, element.v);
        }
        out += ']';
    }
    out += ']';
    return Value::fromText(out);
}

Val CCollectionRows::eval(Ctx& c) const
{
    Val r;
    r.v = collectionJson(source->eval(c));
    return r;
}

} // namespace engine::plsql
