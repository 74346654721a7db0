// The dictionary views of a schema's types: TYPES and COLL_TYPES, over OBJ$ rows of TYPE# 13 and the ARGUMENT$ row
// at POSITION# 0 that holds a collection type's element.
#include "engine/dict/view_builder.h"

namespace engine::dict::detail {

void addTypeViews(std::vector<FixedObject>& out)
{
    const auto N = num();
    const std::string from = "FROM \"OBJ$\" o JOIN \"USER$\" u ON u.\"USER#\" = o.\"OWNER#\" "
                             "JOIN \"ARGUMENT$\" a ON a.\"OBJ#\" = o.\"OBJ#\" AND a.\"POSITION#\" = 0";
    ViewTrio t;
    t.suffix = "TYPES";
    t.cols = { { "OWNER", vc(128), "u.\"NAME\"" }, { "TYPE_NAME!", vc(128), "o.\"NAME\"" }, { "TYPE_OID", raw(16), "" },
        { "TYPECODE", vc(128), "'COLLECTION'" }, { "ATTRIBUTES", N, "0" }, { "METHODS", N, "0" },
        { "PREDEFINED", vc(3), "'NO'" }, { "INCOMPLETE", vc(3), "'NO'" }, { "FINAL", vc(3), "'YES'" },
        { "INSTANTIABLE", vc(3), "'YES'" }, { "PERSISTABLE", vc(3), "'YES'" }, { "SUPERTYPE_OWNER", vc(128), "" },
        { "SUPERTYPE_NAME", vc(128), "" }, { "LOCAL_ATTRIBUTES", N, "" }, { "LOCAL_METHODS", N, "" },
        { "TYPEID", raw(16), "" } };
    t.from = from;
    t.where = "o.\"TYPE#\" = 13";
    t.ownerIdExpr = "o.\"OWNER#\"";
    t.objectIdExpr = "o.\"OBJ#\"";
    addTrio(out, t);

    ViewTrio c = t;
    c.suffix = "COLL_TYPES";
    c.cols = { { "OWNER!", vc(128), "u.\"NAME\"" }, { "TYPE_NAME!", vc(128), "o.\"NAME\"" },
        { "COLL_TYPE!", vc(128), "a.\"PLS_TYPE\"" }, { "UPPER_BOUND", N, "a.\"DEFLENGTH\"" },
        { "ELEM_TYPE_MOD", vc(7), "" }, { "ELEM_TYPE_OWNER", vc(128), "" },
        { "ELEM_TYPE_NAME", vc(128), "a.\"TYPE_NAME\"" },
        { "LENGTH", N, "CASE WHEN a.\"TYPE#\" IN (1, 96) THEN a.\"LENGTH\" END" },
        { "PRECISION", N, "a.\"PRECISION#\"" }, { "SCALE", N, "a.\"SCALE\"" },
        { "CHARACTER_SET_NAME", vc(44), "CASE WHEN a.\"TYPE#\" IN (1, 96, 112) THEN 'CHAR_CS' END" },
        { "ELEM_STORAGE", vc(7), "" }, { "NULLS_STORED", vc(3), "'YES'" }, { "CHAR_USED", vc(1), "a.\"CHAR_USED\"" } };
    addTrio(out, c);
}

} // namespace engine::dict::detail
