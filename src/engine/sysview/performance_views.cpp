// The dynamic performance views (V$...). Placeholder until the live-session views arrive.
#include "engine/dict/fixed.h"

namespace engine::dict {

FixedFamily performanceFamily()
{
    return {};
}

} // namespace engine::dict
