#include "engine/fn/oraerror.h"

#include <cstdio>

namespace engine::fn {

OraError::OraError(int code, std::string_view text)
    : errorCode(code)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
    fullMessage = prefix;
    fullMessage.append(text);
}

} // namespace engine::fn
