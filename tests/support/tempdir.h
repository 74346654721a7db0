// A temporary directory for one test, removed with the test.
#pragma once

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace testsupport {

class TempDirTest : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString path(const QString& name) const { return tmp.filePath(name); }
};

} // namespace testsupport
