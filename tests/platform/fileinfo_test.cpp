#include "platform/fileinfo.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(FileInfo, VersionAndBuildDateComeFromTheBuild)
{
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+\\.\\d+$")).match(platform::versionText()).hasMatch());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$")).match(platform::buildDate()).hasMatch());
}

TEST(FileInfo, ExecutableDirEndsWithSeparatorAndHoldsTheExecutable)
{
    const QString dir = platform::executableDir();
    ASSERT_TRUE(dir.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(platform::executablePath().startsWith(dir));
    EXPECT_TRUE(platform::executableFileDate().isValid());
}
