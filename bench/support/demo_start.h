// The start of the window benchmarks: the offscreen platform unless another one is asked for, standard paths in
// test mode, and the demo database made in a temporary directory that the embedded driver takes as its data
// directory, with a "bin" folder beside it for a main window's executable directory.
#pragma once

#include "db/drivers.h"
#include "engine/kit/kit.h"

#include <QByteArray>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace benchsupport {

// Before the QApplication is made.
inline void useOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
}

struct DemoDirectory {
    DemoDirectory()
    {
        QDir().mkpath(binPath());
        engine::kit::demoTemplate(dir.filePath(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(dir.path());
    }
    QString path() const { return dir.path(); }
    QString binPath() const { return dir.filePath(QStringLiteral("bin")); }

    QTemporaryDir dir;
};

} // namespace benchsupport
