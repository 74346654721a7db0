// Collections at run time: reading and writing elements, the methods (COUNT, LIMIT, FIRST, LAST, NEXT, PRIOR,
// EXISTS, EXTEND, TRIM, DELETE) and constructors, with Oracle's errors for a NULL collection (ORA-06531), a subscript
// outside the type's bounds (ORA-06532) or beyond the count (ORA-06533), and an element that does not exist
// (ORA-01403). A nested table or VARRAY is atomically NULL while its value has no composite.
#pragma once

#include "engine/plsql/nodes.h"

#include <string>
#include <vector>

namespace engine::plsql {

// The key a subscript stands for: numbers rounded to integers, text for INDEX BY VARCHAR2. ORA-06502 for NULL.
TableKey tableKey(const Val& k, const PlType& tableType, Ctx& c);

// The element the subscript names, for reading: ORA-06531, ORA-06532, ORA-06533 or ORA-01403 when there is none.
const Val& readElement(const Val& coll, const PlType& t, const Val& key, Ctx& c);
// The element for writing: an associative array gains it; a nested table or VARRAY must have its place.
Val* writeElement(Val& coll, const PlType& t, const Val& key, Ctx& c);

// COUNT, LIMIT, FIRST, LAST, NEXT(k), PRIOR(k), EXISTS(k).
Val collectionFunction(const Val& coll, const PlType& t, const std::string& method, const Val* arg, Ctx& c);
// EXTEND[(n[, i])], TRIM[(n)], DELETE[(k[, k2])]: `args` holds the arguments given.
void collectionProcedure(Val& coll, const PlType& t, const std::string& method, const std::vector<Val>& args, Ctx& c);

// A new nested table or VARRAY of the elements (a constructor call), each converted to the element type.
Val constructCollection(const PlType& t, const std::vector<Val>& elements, Ctx& c);
// An empty collection of the type (BULK COLLECT's target before the rows arrive): initialised, whatever it was.
Val emptyCollection(const PlType& t);
// Adds an element after the last one (BULK COLLECT): ORA-06532 past a VARRAY's limit.
void appendElement(Val& coll, const PlType& t, Val element, Ctx& c);

// Whether two values of a nested table type hold the same elements, in any order: -1 when that is unknown (a NULL
// collection or a NULL element).
int collectionsEqual(const Val& a, const Val& b, const PlType& t, Ctx& c);

} // namespace engine::plsql
