// The version data of Windows program files, read from their bytes: the fixed version numbers, the translations
// and the string tables, in both image kinds, and damaged or foreign files that must give nothing.
#include "platform/peimage.h"
#include "platform/versionresource.h"
#include "support/tempdir.h"

#include <QFile>

#include <gtest/gtest.h>

using platform::parseVersionResource;
using platform::VersionResource;
using testsupport::VersionData;

namespace {

VersionData loaderData()
{
    VersionData d;
    d.tables = { { QStringLiteral("040904b0"),
        { { QStringLiteral("CompanyName"), QStringLiteral("Velmorant") },
            { QStringLiteral("FileVersion"), QStringLiteral("8.1.7.4") },
            { QStringLiteral("ProductVersion"), QStringLiteral("8.1.7") },
            { QStringLiteral("Comments"), QString() } } } };
    return d;
}

} // namespace

TEST(VersionResource, ReadsTheTablesOfBothImageKinds)
{
    for (const bool pe32plus : { false, true }) {
        SCOPED_TRACE(pe32plus);
        VersionData d = loaderData();
        d.pe32plus = pe32plus;
        const auto r = parseVersionResource(testsupport::peImage(testsupport::versionInfo(d), pe32plus));
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->translations, QList<quint32> { 0x04B00409 });
        EXPECT_EQ(r->firstKey(), QStringLiteral("040904b0"));
        EXPECT_EQ(r->value(QStringLiteral("040904b0"), QStringLiteral("CompanyName")), QStringLiteral("Velmorant"));
        EXPECT_EQ(r->value(QStringLiteral("040904b0"), QStringLiteral("FileVersion")), QStringLiteral("8.1.7.4"));
        EXPECT_EQ(r->value(QStringLiteral("040904b0"), QStringLiteral("Comments")), QString());
        EXPECT_EQ(r->value(QStringLiteral("040904b0"), QStringLiteral("LegalTrademarks")), QString()) << "absent";
        ASSERT_TRUE(r->fileVersionNumbers.has_value());
        EXPECT_EQ(*r->fileVersionNumbers, (QList<int> { 2, 1, 3, 4 }));
    }
}

// The key is the language times 65536 plus the code page in lower-case hexadecimal, one "0" put in front when that
// gives fewer than eight digits.
TEST(VersionResource, TranslationKeys)
{
    struct Case {
        quint32 translation;
        const char* key;
    };
    const Case cases[] = {
        { 0x04B00409, "040904b0" }, // US English, Unicode
        { 0x04E20424, "042404e2" }, // Slovenian, windows-1250
        { 0x00000000, "00" }, // language 0, code page 0: only one "0" is put in front
        { 0x04E41009, "100904e4" }, // eight digits already
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(VersionResource::translationKey(c.translation), QLatin1String(c.key));
    }
}

TEST(VersionResource, TheFirstTranslationChoosesTheTable)
{
    VersionData d = loaderData();
    d.translations = { 0x04E20424, 0x04B00409 };
    d.tables.prepend(
        { QStringLiteral("042404e2"), { { QStringLiteral("CompanyName"), QStringLiteral("Velmorant d.o.o.") } } });
    const auto r = parseVersionResource(testsupport::peImage(testsupport::versionInfo(d)));
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->firstKey(), QStringLiteral("042404e2"));
    EXPECT_EQ(r->value(r->firstKey(), QStringLiteral("CompanyName")), QStringLiteral("Velmorant d.o.o."));
    // Without a translation list the first table serves.
    d.translations.clear();
    const auto untranslated = parseVersionResource(testsupport::peImage(testsupport::versionInfo(d)));
    ASSERT_TRUE(untranslated.has_value());
    EXPECT_EQ(untranslated->firstKey(), QStringLiteral("040904b0"));
}

// Files that are no Windows program, or whose bytes are cut or damaged anywhere, give no version data; none is
// read outside the bytes (the sanitizers would say so).
TEST(VersionResource, ForeignAndDamagedFilesGiveNothing)
{
    EXPECT_FALSE(parseVersionResource(QByteArray()).has_value());
    EXPECT_FALSE(parseVersionResource(QByteArray("\x7f"
                                                 "ELF\x02\x01\x01",
                                          7)
        + QByteArray(200, '\0'))
                     .has_value());
    EXPECT_FALSE(parseVersionResource(QByteArray("MZ") + QByteArray(100, '\xff')).has_value());
    const QByteArray good = testsupport::peImage(testsupport::versionInfo(loaderData()));
    ASSERT_TRUE(parseVersionResource(good).has_value());
    for (qsizetype cut = 0; cut < good.size(); cut += 7)
        parseVersionResource(good.left(cut)); // any answer, but no read past the bytes
    for (qsizetype at = 0x3C; at < good.size(); at += 3) {
        QByteArray damaged = good;
        damaged[at] = char(damaged.at(at) ^ 0xA5);
        parseVersionResource(damaged);
    }
    // A program without a version resource.
    QByteArray noVersion = good;
    noVersion[0x200 + 16] = 3; // the only resource type is now an icon
    EXPECT_FALSE(parseVersionResource(noVersion).has_value());
}

class VersionResourceFile : public testsupport::TempDirTest { };

TEST_F(VersionResourceFile, ReadsAFileAndRefusesAMissingOne)
{
    QFile file(path(QStringLiteral("IMP80.EXE")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(testsupport::peImage(testsupport::versionInfo(loaderData())));
    file.close();
    const auto r = platform::readVersionResource(file.fileName());
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->value(r->firstKey(), QStringLiteral("ProductVersion")), QStringLiteral("8.1.7"));
    EXPECT_FALSE(platform::readVersionResource(path(QStringLiteral("missing.exe"))).has_value());
}
