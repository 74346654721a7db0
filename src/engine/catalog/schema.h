// The catalog's tables, in the shape of Oracle's base tables (OBJ$, USER$, COL$, CON$, CDEF$, CCOL$, IND$, ICOL$,
// SEQ$, VIEW$, SYN$, COM$, privileges, links, sources, errors, dependencies), and the undo journal, created in a
// new database file together with the users every Oracle database has.
#pragma once

#include <sqlite3.h>

namespace engine::catalog {

// Oracle's OBJ$.TYPE# codes.
enum ObjectType : int {
    kTypeIndex = 1,
    kTypeTable = 2,
    kTypeView = 4,
    kTypeSynonym = 5,
    kTypeSequence = 6,
    kTypeProcedure = 7,
    kTypeFunction = 8,
    kTypePackage = 9,
    kTypePackageBody = 11,
    kTypeTrigger = 12,
    kTypeType = 13,
};

// OBJ$.STATUS as Oracle keeps it.
enum ObjectStatus : int { kStatusValid = 1, kStatusInvalid = 5 };

// Bits of OBJ$.FLAGS: a procedure, function or package of AUTHID CURRENT_USER (ALL_PROCEDURES.AUTHID).
enum ObjectFlag : int { kFlagInvokerRights = 8 };

// Oracle's CDEF$.TYPE# codes; the dictionary's CONSTRAINT_TYPE letter is constraintLetter().
enum ConstraintType : int { kConCheck = 1, kConPrimary = 2, kConUnique = 3, kConForeign = 4, kConNotNull = 7 };
char constraintLetter(int typeNo);

// COL$.TYPE# codes (Oracle's internal datatype numbers).
enum ColumnTypeCode : int {
    kColVarchar2 = 1,
    kColNumber = 2,
    kColLong = 8,
    kColDate = 12,
    kColRaw = 23,
    kColRowid = 69,
    kColChar = 96,
    kColClob = 112,
    kColBlob = 113,
    kColTimestamp = 180,
    kColTimestampTz = 181,
    kColIntervalYM = 182,
    kColIntervalDS = 183,
    kColTimestampLtz = 231,
};

// Well-known users, numbered as in Oracle.
inline constexpr int kSysUser = 0;
inline constexpr int kPublicUser = 1;
inline constexpr int kSystemUser = 5;

// The schema version this engine writes into PROPS$; a file of another version is refused (ORA-01122), so a file
// made before a catalog table or column was added never runs with part of its catalog missing. 2: ARGUMENT$, and
// TRIGGER$'s referencing names and definition.
inline constexpr int kCatalogVersion = 2;

// Creates every catalog table and the users SYS (password "CHANGE_ON_INSTALL", SYSDBA), SYSTEM ("MANAGER") and
// the role PUBLIC. Runs inside the caller's transaction.
void createCatalog(sqlite3* db);

// Tells a database file of this engine from any other SQLite file: 0 when PROPS$ says nothing.
int catalogVersion(sqlite3* db);

} // namespace engine::catalog
