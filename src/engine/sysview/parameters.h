// The initialization parameters the instance knows, as V$PARAMETER shows them and ALTER SYSTEM SET changes them:
// their kind, default for the database's release, where they may be changed and which values they take.
#pragma once

#include "engine/engine.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {
struct SessionState;
struct DatabaseState;
} // namespace engine

namespace engine::sysview {

// V$PARAMETER.TYPE
enum class ParameterType { Boolean = 1, String = 2, Integer = 3, BigInteger = 6 };

enum class SystemModifiable { Immediate, Deferred, False };

struct ParameterDef {
    std::string name; // lower case
    ParameterType type = ParameterType::String;
    bool sessionModifiable = false;
    SystemModifiable systemModifiable = SystemModifiable::Immediate;
    int sinceMajor = 7; // present from this major release ...
    int untilMajor = 99; // ... up to, not including, this one
    int64_t minValue = 0, maxValue = 0; // integers: the range Oracle accepts (both 0: any)
    bool deprecated = false;
    bool basic = false;
    std::string description;
};

// The parameter of that name the release knows, or null.
const ParameterDef* findParameter(std::string_view name, const std::string& version);

// One row of V$PARAMETER as the session sees it.
struct ParameterRow {
    int64_t num = 0;
    const ParameterDef* def = nullptr;
    std::optional<std::string> value;
    std::optional<std::string> defaultValue;
    bool isDefault = true;
    std::string isModified = "FALSE"; // FALSE, MODIFIED (by the session), SYSTEM_MOD (by ALTER SYSTEM)
};
std::vector<ParameterRow> parameterRows(SessionState& s);

// The value ALTER SYSTEM SET stores for the values given (each as written, quotes removed), or Error: ORA-02097
// with Oracle's second line when the value does not suit the parameter.
std::string checkedValue(const ParameterDef& def, const std::vector<std::string>& values);
// ORA-02097 when an integer value lies outside the range the release accepts.
void checkRange(const ParameterDef& def, const std::string& version, const std::string& value);

// Writes one PROPS$ row at once, outside any session's transaction (ALTER SYSTEM is not undone by ROLLBACK);
// an empty value removes it.
void storeProperty(DatabaseState& db, const std::string& name, const std::string& value);

// PROPS$ name of a value kept for the next opening.
std::string startupKey(const std::string& name);

// The value of a parameter in force for the instance (set by ALTER SYSTEM, else kept for this opening, else the
// release's default); nullopt for an unknown parameter or one without a value.
std::optional<std::string> instanceParameter(DatabaseState& db, std::string_view name);

} // namespace engine::sysview
