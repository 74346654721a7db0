// Finding and loading the Oracle client library at run time, so the program builds and starts without a client and
// reaches a real database wherever one is installed.
#pragma once

#include "db/oci/ociapi.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace db::oci {

// The configured location of the client: a directory holding the library (or its lib/ subdirectory), or the
// library file itself. Empty when none was configured.
void setClientLocation(const QString& location);
QString clientLocation();

// The directory of the client library loaded last (Instant Client keeps its network/admin there); empty before
// any was loaded.
QString loadedClientDirectory();

// The client library's file name on this platform: libclntsh.so, oci.dll, libclntsh.dylib.
QString clientLibraryName();

// Where the library is looked for, in order: the configured location, ORACLE_HOME (its lib/, and on Windows bin/),
// then the bare name for the loader's own search path (LD_LIBRARY_PATH, PATH, the system's directories).
QStringList clientLibraryCandidates(const QString& location, const QString& oracleHome);

// The entry points of a loaded client library. Loaded libraries stay loaded for the life of the process.
struct ClientLibrary {
    QString path;
    api::OCIEnvNlsCreate_t envNlsCreate = nullptr;
    api::OCIHandleAlloc_t handleAlloc = nullptr;
    api::OCIHandleFree_t handleFree = nullptr;
    api::OCIDescriptorFree_t descriptorFree = nullptr;
    api::OCIErrorGet_t errorGet = nullptr;
    api::OCIAttrGet_t attrGet = nullptr;
    api::OCIAttrSet_t attrSet = nullptr;
    api::OCIServerAttach_t serverAttach = nullptr;
    api::OCIServerDetach_t serverDetach = nullptr;
    api::OCISessionBegin_t sessionBegin = nullptr;
    api::OCISessionEnd_t sessionEnd = nullptr;
    api::OCIStmtPrepare2_t stmtPrepare2 = nullptr;
    api::OCIStmtRelease_t stmtRelease = nullptr;
    api::OCIStmtExecute_t stmtExecute = nullptr;
    api::OCIStmtFetch2_t stmtFetch2 = nullptr;
    api::OCIBindByName2_t bindByName2 = nullptr;
    api::OCIDefineByPos2_t defineByPos2 = nullptr;
    api::OCIParamGet_t paramGet = nullptr;
    api::OCITransCommit_t transCommit = nullptr;
    api::OCITransRollback_t transRollback = nullptr;
    api::OCIBreak_t breakCall = nullptr;
    api::OCIReset_t reset = nullptr;
    api::OCIServerVersion_t serverVersion = nullptr;
};

// The client library from the first candidate that loads and has every entry point. Throws OracleError saying
// what was looked for, why each failed, and how to install or point to a client.
std::shared_ptr<const ClientLibrary> loadClientLibrary();

} // namespace db::oci
