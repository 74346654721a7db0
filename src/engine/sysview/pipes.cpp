// The seam between DBMS_PIPE and V$DB_PIPES.
#include "engine/sysview/pipes.h"

#include "engine/engine.h"
#include "engine/storage/database_state.h"

#include <atomic>

namespace engine::sysview {

namespace {

std::atomic<PipeSource> source { nullptr };

} // namespace

void setPipeSource(PipeSource s)
{
    source = s;
}

PipeSource pipeSource()
{
    return source.load();
}

std::vector<PipeRow> listPipes(DatabaseState& db)
{
    PipeSource s = source.load();
    if (s)
        return s(db);
    // No pipe was ever made in this database (DBMS_PIPE makes its registry with the first one): none to list.
    if (!db.pipes)
        return {};
    throw oraError(3001, "unimplemented feature: V$DB_PIPES");
}

} // namespace engine::sysview
