// Our own declarations of the part of the Oracle Call Interface the driver uses, written from Oracle's public
// documentation of OCI: opaque handle types, the function signatures (as pointer types, because the client library
// is loaded at run time) and the documented values of the constants.
#pragma once

#include <cstddef>
#include <cstdint>

namespace db::oci::api {

using sword = int;
using ub1 = std::uint8_t;
using sb1 = std::int8_t;
using ub2 = std::uint16_t;
using sb2 = std::int16_t;
using ub4 = std::uint32_t;
using sb4 = std::int32_t;
using sb8 = std::int64_t;
using OraText = unsigned char;

// Handles are opaque to the caller; only pointers to them travel.
struct OCIEnv;
struct OCIError;
struct OCISvcCtx;
struct OCIServer;
struct OCISession;
struct OCIStmt;
struct OCIBind;
struct OCIDefine;
struct OCIParam;
struct OCISnapshot;

// Return codes.
constexpr sword OCI_SUCCESS = 0;
constexpr sword OCI_SUCCESS_WITH_INFO = 1;
constexpr sword OCI_NO_DATA = 100;
constexpr sword OCI_ERROR = -1;
constexpr sword OCI_INVALID_HANDLE = -2;
constexpr sword OCI_NEED_DATA = 99;
constexpr sword OCI_STILL_EXECUTING = -3123;

// Modes.
constexpr ub4 OCI_DEFAULT = 0;
constexpr ub4 OCI_THREADED = 1;
constexpr ub4 OCI_SYSDBA = 2; // OCISessionBegin
constexpr ub4 OCI_NTV_SYNTAX = 1; // OCIStmtPrepare2 language
constexpr ub4 OCI_CRED_RDBMS = 1;
constexpr ub2 OCI_FETCH_NEXT = 2;

// Handle and descriptor types.
constexpr ub4 OCI_HTYPE_ENV = 1;
constexpr ub4 OCI_HTYPE_ERROR = 2;
constexpr ub4 OCI_HTYPE_SVCCTX = 3;
constexpr ub4 OCI_HTYPE_STMT = 4;
constexpr ub4 OCI_HTYPE_BIND = 5;
constexpr ub4 OCI_HTYPE_DEFINE = 6;
constexpr ub4 OCI_HTYPE_DESCRIBE = 7;
constexpr ub4 OCI_HTYPE_SERVER = 8;
constexpr ub4 OCI_HTYPE_SESSION = 9;
constexpr ub4 OCI_DTYPE_PARAM = 53;

// Attributes. Numbers are shared between handle kinds (OCI_ATTR_SERVER and OCI_ATTR_SCALE are both 6).
constexpr ub4 OCI_ATTR_DATA_SIZE = 1; // parameter, ub2
constexpr ub4 OCI_ATTR_DATA_TYPE = 2; // parameter, ub2
constexpr ub4 OCI_ATTR_NAME = 4; // parameter, OraText* and length
constexpr ub4 OCI_ATTR_PRECISION = 5; // parameter, sb2
constexpr ub4 OCI_ATTR_SCALE = 6; // parameter, sb1
constexpr ub4 OCI_ATTR_IS_NULL = 7; // parameter, ub1
constexpr ub4 OCI_ATTR_SERVER = 6; // service context
constexpr ub4 OCI_ATTR_SESSION = 7; // service context
constexpr ub4 OCI_ATTR_ROW_COUNT = 9; // statement, ub4
constexpr ub4 OCI_ATTR_PREFETCH_ROWS = 11; // statement, ub4
constexpr ub4 OCI_ATTR_PARAM_COUNT = 18; // statement, ub4
constexpr ub4 OCI_ATTR_USERNAME = 22; // session
constexpr ub4 OCI_ATTR_PASSWORD = 23; // session
constexpr ub4 OCI_ATTR_STMT_TYPE = 24; // statement, ub2
constexpr ub4 OCI_ATTR_PARSE_ERROR_OFFSET = 129; // error handle (statement before 12c), ub2
constexpr ub4 OCI_ATTR_ROWS_FETCHED = 197; // statement, ub4
constexpr ub4 OCI_ATTR_CHAR_SIZE = 286; // parameter, ub2
constexpr ub4 OCI_ATTR_TRANSACTION_IN_PROGRESS = 484; // session, boolean (12.1 and later)

// Statement types (OCI_ATTR_STMT_TYPE).
constexpr ub2 OCI_STMT_SELECT = 1;
constexpr ub2 OCI_STMT_UPDATE = 2;
constexpr ub2 OCI_STMT_DELETE = 3;
constexpr ub2 OCI_STMT_INSERT = 4;
constexpr ub2 OCI_STMT_CREATE = 5;
constexpr ub2 OCI_STMT_DROP = 6;
constexpr ub2 OCI_STMT_ALTER = 7;
constexpr ub2 OCI_STMT_BEGIN = 8;
constexpr ub2 OCI_STMT_DECLARE = 9;
constexpr ub2 OCI_STMT_CALL = 10;
constexpr ub2 OCI_STMT_MERGE = 16;

// Internal data types reported by a describe (OCI_ATTR_DATA_TYPE).
constexpr ub2 SQLT_CHR = 1; // VARCHAR2; also the external type of a counted character buffer
constexpr ub2 SQLT_NUM = 2; // NUMBER
constexpr ub2 SQLT_LNG = 8; // LONG; also the external type of a long character buffer
constexpr ub2 SQLT_RID = 11; // ROWID
constexpr ub2 SQLT_DAT = 12; // DATE; 7 bytes: century+100, year+100, month, day, hour+1, minute+1, second+1
constexpr ub2 SQLT_BIN = 23; // RAW
constexpr ub2 SQLT_LBI = 24; // LONG RAW; also the external type of a long binary buffer
constexpr ub2 SQLT_AFC = 96; // CHAR
constexpr ub2 SQLT_IBFLOAT = 100; // BINARY_FLOAT
constexpr ub2 SQLT_IBDOUBLE = 101; // BINARY_DOUBLE
constexpr ub2 SQLT_RDD = 104; // ROWID descriptor
constexpr ub2 SQLT_CLOB = 112;
constexpr ub2 SQLT_BLOB = 113;
constexpr ub2 SQLT_RSET = 116; // REF CURSOR
constexpr ub2 SQLT_TIMESTAMP = 187;
constexpr ub2 SQLT_TIMESTAMP_TZ = 188;
constexpr ub2 SQLT_TIMESTAMP_LTZ = 232;
constexpr ub2 SQLT_UROWID = 208; // reported for UROWID columns
// External data types used only for binds and defines.
constexpr ub2 SQLT_INT = 3; // signed integer of the given size
constexpr ub2 SQLT_VNU = 6; // length byte followed by a NUMBER in Oracle's internal format, 22 bytes in all

constexpr ub2 AL32UTF8 = 873; // character set id

// Errors the driver itself looks for.
constexpr int ORA_USER_REQUESTED_CANCEL = 1013;
constexpr int ORA_NULL_FETCHED = 1405;
constexpr int ORA_TRUNCATED = 1406;
constexpr int ORA_SUCCESS_WITH_COMPILATION_ERROR = 24344;
constexpr int ORA_FETCHED_WITH_WARNINGS = 24345;

extern "C" {
using OCIEnvNlsCreate_t = sword (*)(OCIEnv** envhpp, ub4 mode, void* ctxp, void* (*malocfp)(void*, size_t),
    void* (*ralocfp)(void*, void*, size_t), void (*mfreefp)(void*, void*), size_t xtramemsz, void** usrmempp,
    ub2 charset, ub2 ncharset);
using OCIHandleAlloc_t = sword (*)(const void* parenth, void** hndlpp, ub4 type, size_t xtramemSz, void** usrmempp);
using OCIHandleFree_t = sword (*)(void* hndlp, ub4 type);
using OCIDescriptorFree_t = sword (*)(void* descp, ub4 type);
using OCIErrorGet_t
    = sword (*)(void* hndlp, ub4 recordno, OraText* sqlstate, sb4* errcodep, OraText* bufp, ub4 bufsiz, ub4 type);
using OCIAttrGet_t
    = sword (*)(const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype, OCIError* errhp);
using OCIAttrSet_t
    = sword (*)(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype, OCIError* errhp);
using OCIServerAttach_t = sword (*)(OCIServer* srvhp, OCIError* errhp, const OraText* dblink, sb4 dblinkLen, ub4 mode);
using OCIServerDetach_t = sword (*)(OCIServer* srvhp, OCIError* errhp, ub4 mode);
using OCISessionBegin_t = sword (*)(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode);
using OCISessionEnd_t = sword (*)(OCISvcCtx* svchp, OCIError* errhp, OCISession* usrhp, ub4 mode);
using OCIStmtPrepare2_t = sword (*)(OCISvcCtx* svchp, OCIStmt** stmthp, OCIError* errhp, const OraText* stmttext,
    ub4 stmtLen, const OraText* key, ub4 keyLen, ub4 language, ub4 mode);
using OCIStmtRelease_t = sword (*)(OCIStmt* stmthp, OCIError* errhp, const OraText* key, ub4 keyLen, ub4 mode);
using OCIStmtExecute_t = sword (*)(OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4 rowoff,
    const OCISnapshot* snapIn, OCISnapshot* snapOut, ub4 mode);
using OCIStmtFetch2_t
    = sword (*)(OCIStmt* stmthp, OCIError* errhp, ub4 nrows, ub2 orientation, sb4 fetchOffset, ub4 mode);
using OCIBindByName2_t
    = sword (*)(OCIStmt* stmtp, OCIBind** bindpp, OCIError* errhp, const OraText* placeholder, sb4 placehLen,
        void* valuep, sb8 valueSz, ub2 dty, void* indp, ub4* alenp, ub2* rcodep, ub4 maxarrLen, ub4* curelep, ub4 mode);
using OCIDefineByPos2_t = sword (*)(OCIStmt* stmtp, OCIDefine** defnpp, OCIError* errhp, ub4 position, void* valuep,
    sb8 valueSz, ub2 dty, void* indp, ub4* rlenp, ub2* rcodep, ub4 mode);
using OCIParamGet_t = sword (*)(const void* hndlp, ub4 htype, OCIError* errhp, void** parmdpp, ub4 pos);
using OCITransCommit_t = sword (*)(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
using OCITransRollback_t = sword (*)(OCISvcCtx* svchp, OCIError* errhp, ub4 flags);
using OCIBreak_t = sword (*)(void* hndlp, OCIError* errhp);
using OCIReset_t = sword (*)(void* hndlp, OCIError* errhp);
using OCIServerVersion_t = sword (*)(void* hndlp, OCIError* errhp, OraText* bufp, ub4 bufsz, ub1 hndltype);
}

} // namespace db::oci::api
