// The list of native packages. Placeholder until the packages arrive.
#include "engine/plsql/native.h"

namespace engine::plsql {

const std::vector<NativePackage>& nativePackages()
{
    static const std::vector<NativePackage> none;
    return none;
}

const NativePackage* findNativePackage(std::string_view name)
{
    for (const NativePackage& p : nativePackages()) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}

void releaseNativeState(SessionState&) { }

} // namespace engine::plsql
