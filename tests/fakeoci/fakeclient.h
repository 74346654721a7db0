// The test double's scripting entry points for tests, looked up in the very library file the driver loads, so that
// a script reaches the client the driver talks to.
#pragma once

#include "../fakeoci/fakeoci.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLibrary>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

struct FakeClient {
    fakeoci_configure_t configure = nullptr;
    fakeoci_log_t log = nullptr;
    fakeoci_waiting_t waiting = nullptr;
    fakeoci_live_handles_t liveHandles = nullptr;

    static FakeClient& get()
    {
        static FakeClient f = [] {
            FakeClient c;
            QLibrary lib(QStringLiteral(DREMMOX_FAKEOCI_LIBRARY));
            EXPECT_TRUE(lib.load()) << lib.errorString().toStdString();
            c.configure = reinterpret_cast<fakeoci_configure_t>(lib.resolve("fakeoci_configure"));
            c.log = reinterpret_cast<fakeoci_log_t>(lib.resolve("fakeoci_log"));
            c.waiting = reinterpret_cast<fakeoci_waiting_t>(lib.resolve("fakeoci_waiting"));
            c.liveHandles = reinterpret_cast<fakeoci_live_handles_t>(lib.resolve("fakeoci_live_handles"));
            return c;
        }();
        return f;
    }

    QStringList lines() const
    {
        QStringList out;
        for (const QJsonValue& v : QJsonDocument::fromJson(QByteArray(log())).array())
            out << v.toString();
        return out;
    }
    QStringList linesStarting(const QString& prefix) const
    {
        return lines().filter(QRegularExpression("^" + QRegularExpression::escape(prefix)));
    }
};
