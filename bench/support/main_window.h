// The main window of a benchmark: made on the demo directory and logged on as VOXA to DEMO, as the connection
// sequence leaves it (user, server and the server's version noted).
#pragma once

#include "db/session.h"
#include "shell/Main.h"
#include "support/demo_start.h"

#include <memory>

namespace benchsupport {

inline std::unique_ptr<TfmMain> loggedOnMainWindow(const DemoDirectory& demo)
{
    TfmMain::Environment env;
    env.executableDir = demo.binPath() + QLatin1Char('/');
    env.workingDir = demo.path();
    env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxBench\\LoginData");
    auto main = std::make_unique<TfmMain>(env);
    db::Session& s = *main->osOracle;
    s.setUserName(QStringLiteral("VOXA"));
    s.setPassword(QStringLiteral("VOXA"));
    s.setDatabase(QStringLiteral("DEMO"));
    s.logOn();
    main->connUser = QStringLiteral("VOXA");
    main->connServer = QStringLiteral("DEMO");
    main->ORACLEVersion = s.serverMajorVersion();
    return main;
}

} // namespace benchsupport
