#include "db/displaytext.h"

#include "engine/engine.h"
#include "engine/fn/dateformat.h"

#include <QDateTime>

#include <exception>
#include <mutex>
#include <unordered_map>

namespace db {

namespace {

// A parsed model per format text; grids ask for thousands of cells in the same format.
const engine::fn::DateFormat* cachedFormat(const QString& model)
{
    static std::mutex mutex;
    static std::unordered_map<std::string, std::unique_ptr<engine::fn::DateFormat>> cache;
    const std::string key = model.toStdString();
    std::lock_guard lock(mutex);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second.get();
    std::unique_ptr<engine::fn::DateFormat> parsed;
    try {
        parsed = std::make_unique<engine::fn::DateFormat>(engine::fn::DateFormat::parse(key));
    } catch (const std::exception&) {
        parsed.reset();
    }
    return cache.emplace(key, std::move(parsed)).first->second.get();
}

QString dateText(const QDateTime& dt, const QString& model)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    engine::fn::DateTime v { d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second() };
    if (const engine::fn::DateFormat* f = cachedFormat(model)) {
        try {
            return QString::fromStdString(f->format(v));
        } catch (const std::exception&) {
        }
    }
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

QString displayText(const QVariant& value, FieldType type, const QString& dateFormat)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::fromStdString(engine::Value::fromReal(value.toDouble()).toString());
    case QMetaType::QDateTime:
        return dateText(value.toDateTime(), dateFormat);
    case QMetaType::QDate:
        return dateText(QDateTime(value.toDate(), QTime(0, 0), Qt::UTC), dateFormat);
    case QMetaType::QByteArray:
        if (type == FieldType::Raw || type == FieldType::Blob)
            return QString::fromLatin1(value.toByteArray().toHex().toUpper());
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

} // namespace db
