// Values, errors and the engine's defaults; databases and sessions live in storage/ and session/.
#include "engine/engine.h"

#include "engine/fn/number.h"
#include "engine/sysview/version.h"

#include <QStandardPaths>

#include <cstdio>

namespace engine {

std::string Value::toString() const
{
    switch (kind) {
    case Kind::Null:
        return {};
    case Kind::Integer:
        return fn::numberText(fn::NumberValue::ofInteger(integer));
    case Kind::Real:
        return fn::numberText(fn::NumberValue::ofReal(real));
    default:
        return text;
    }
}

Error::Error(int code, std::string message, int offset)
    : code_(code)
    , message_(std::move(message))
    , offset_(offset)
{
}

Error oraError(int code, const std::string& text, int offset)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
    return Error(code, prefix + text, offset);
}

std::string defaultDataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() + "/dremmox/databases";
}

std::string serverVersionText()
{
    return sysview::versionBanner(sysview::kDefaultVersion);
}

} // namespace engine
