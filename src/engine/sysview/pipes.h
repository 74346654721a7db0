// What V$DB_PIPES lists: the database pipes of DBMS_PIPE, which keeps them. The package hands its listing to this
// seam once; until it does, V$DB_PIPES is refused openly once pipes exist rather than shown empty.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace engine {
struct DatabaseState;
}

namespace engine::sysview {

struct PipeRow {
    std::optional<int64_t> ownerId; // the creating user of a private pipe; none for a public one
    std::string name;
    bool isPrivate = false;
    int64_t size = 0; // bytes the pipe takes
};

using PipeSource = std::vector<PipeRow> (*)(DatabaseState&);

void setPipeSource(PipeSource source);
PipeSource pipeSource();
// The pipes of the database; none before the first pipe is made; ORA-03001 when pipes exist and no source is set.
std::vector<PipeRow> listPipes(DatabaseState& db);

} // namespace engine::sysview
