// The catalog tables as SYS's tables and the data dictionary views. Placeholder until the views arrive.
#include "engine/dict/fixed.h"

namespace engine::dict {

FixedFamily dictionaryFamily()
{
    return {};
}

} // namespace engine::dict
