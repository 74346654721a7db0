// The driver over the embedded engine: one engine::Database per directory per process, shared by every session
// logged on to it, and engine values converted to and from the access layer's QVariant values.
#pragma once

#include "db/driver.h"

#include <memory>

namespace engine {
struct Value;
}

namespace db::embedded {

// The driver for the embedded database in dir (a directory under the engine's data directory).
std::shared_ptr<driver::Driver> driverForDirectory(const QString& dir);

// Conversions between the engine's values and the access layer's, exposed for tests.
QVariant toVariant(const engine::Value& value, FieldType type);
engine::Value toEngineValue(const QVariant& value, FieldType type);

} // namespace db::embedded
