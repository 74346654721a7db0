#include "platform/fileinfo.h"
#include "platform/peimage.h"
#include "shell/about.h"
#include "shell/fileversioninfo.h"
#include "shell/getpict.h"
#include "shell/runprocess.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <gtest/gtest.h>

using namespace shell;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

TEST(RunProcessAndWait, ReturnsTheExitCode)
{
    for (int code : { 0, 3, 255 }) {
        SCOPED_TRACE(code);
        EXPECT_EQ(RunProcessAndWait(QStringLiteral("/bin/sh -c \"exit %1\"").arg(code)), code);
    }
}

TEST(RunProcessAndWait, ProgramThatCannotStartIsAnError)
{
    const QString command = QStringLiteral("/nonexistent/IMP80 user/pass file=x.dmp");
    try {
        RunProcessAndWait(command);
        FAIL() << "no error";
    } catch (const RunProcessError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Ne morem štartati procesa. \r\n\r\n") + command);
    }
    EXPECT_THROW(RunProcessAndWait(QString()), RunProcessError);
}

TEST(RunProcessAndWait, AbnormalEndIsAnError)
{
    EXPECT_THROW(RunProcessAndWait(QStringLiteral("/bin/sh -c \"kill -9 $$\"")), RunProcessError);
}

TEST(TIFileInfo, VersionParts)
{
    struct Case {
        QString fileVersion, productVersion, version, release, build;
    };
    const QString none = TIFileInfo::noFileInfo;
    const Case cases[] = {
        { QStringLiteral("2.1.3.4"), QStringLiteral("2.1"), QStringLiteral("2.01"), QStringLiteral("3"),
            QStringLiteral("4") },
        { QStringLiteral("7.12"), QStringLiteral("7"), QStringLiteral("7.12"), QString(), QString() },
        { QStringLiteral("3"), QStringLiteral("3"), QString(), QString(), QString() },
        { QStringLiteral("5.0 3 9"), QStringLiteral("5"), QStringLiteral("5.00"), QStringLiteral("3"),
            QStringLiteral("9") },
        { none, none, none, none, none },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileVersion.toStdString());
        const TIFileInfo::VersionParts p = TIFileInfo::versionParts(c.fileVersion, c.productVersion);
        EXPECT_EQ(p.version, c.version);
        EXPECT_EQ(p.release, c.release);
        EXPECT_EQ(p.build, c.build);
    }
}

TEST(TIFileInfo, OwnExecutableAndOtherFiles)
{
    const TIFileInfo self(platform::executablePath());
    EXPECT_EQ(self.FsFileVersion, platform::versionText());
    EXPECT_FALSE(self.aiVersion().isEmpty());
    EXPECT_TRUE(self.aiFileDate().isValid());
    EXPECT_FALSE(self.aiFileDateString().isEmpty());

    const TIFileInfo other(QStringLiteral("/bin/sh"));
    EXPECT_EQ(other.FsFileVersion, TIFileInfo::noFileInfo);
    EXPECT_EQ(other.FsCompanyName, TIFileInfo::noFileInfo);
    EXPECT_EQ(other.aiVersion(), TIFileInfo::noFileInfo);
    EXPECT_EQ(other.FsFileName, QStringLiteral("/bin/sh"));
}

class TIFileInfoOfAFile : public testsupport::TempDirTest { };

// A loader built for Windows carries its version data; the fields come from its first translation's table, and an
// absent value is an empty text.
TEST_F(TIFileInfoOfAFile, AWindowsProgramShowsItsOwnVersion)
{
    testsupport::VersionData data;
    data.tables = { { QStringLiteral("040904b0"),
        { { QStringLiteral("CompanyName"), QStringLiteral("Oracle Corporation") },
            { QStringLiteral("FileVersion"), QStringLiteral("2.1.3.4") },
            { QStringLiteral("ProductVersion"), QStringLiteral("8.1.7") },
            { QStringLiteral("OriginalFilename"), QStringLiteral("IMP80.EXE") } } } };
    QFile file(path(QStringLiteral("IMP80.EXE")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(testsupport::peImage(testsupport::versionInfo(data)));
    file.close();
    const TIFileInfo info(file.fileName());
    EXPECT_EQ(info.FsCompanyName, QStringLiteral("Oracle Corporation"));
    EXPECT_EQ(info.FsFileVersion, QStringLiteral("2.1.3.4"));
    EXPECT_EQ(info.FsOriginalFilename, QStringLiteral("IMP80.EXE"));
    EXPECT_EQ(info.FsLegalTrademarks, QString());
    EXPECT_EQ(info.aiVersion(), QStringLiteral("2.01"));
    EXPECT_EQ(info.aiRelease(), QStringLiteral("3"));
    EXPECT_EQ(info.aiBuild(), QStringLiteral("4"));
    EXPECT_TRUE(info.aiFileDate().isValid());
}

namespace {

QByteArray pngOf(QColor colour, int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class GetPict : public testsupport::TempDirTest {
protected:
    QStandardItemModel model { 1, 2 };

    QPointer<TfmGetPict> open(bool picture, bool editable, const QString& chosen)
    {
        QPointer<TfmGetPict> w = new TfmGetPict;
        w->pImage = picture;
        w->popravljanje = editable;
        w->LoadButton->setText(picture ? QStringLiteral("Load Image") : QStringLiteral("Load text"));
        w->bindField(&model, model.index(0, picture ? 0 : 1));
        w->chooseFile = [chosen](bool) { return chosen; };
        w->show();
        return w;
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path(name);
    }
};

} // namespace

TEST_F(GetPict, LoadsAPictureIntoTheField)
{
    model.setData(model.index(0, 0), pngOf(Qt::red, 10));
    const QString file = writeFile(QStringLiteral("slika.png"), pngOf(Qt::blue, 24));
    QPointer<TfmGetPict> w = open(true, true, file);
    EXPECT_EQ(w->findChild<QLabel*>(QStringLiteral("DBImage"))->pixmap().width(), 10);
    EXPECT_FALSE(w->DBMemo->isVisible());
    w->findChild<QToolButton*>(QStringLiteral("LoadButton"))->click();
    EXPECT_EQ(model.data(model.index(0, 0)).toByteArray(), pngOf(Qt::blue, 24));
    EXPECT_EQ(w->DBImage->pixmap().width(), 24);
    w->btExit->click();
    EXPECT_TRUE(testsupport::waitFor([&w] { return w.isNull(); })); // frees itself when closed
}

TEST_F(GetPict, LoadsATextAndTypingReachesTheField)
{
    model.setData(model.index(0, 1), QStringLiteral("staro"));
    const QString file = writeFile(QStringLiteral("opis.txt"), QByteArray("vrstica 1\nčrta 2\n"));
    QPointer<TfmGetPict> w = open(false, true, file);
    EXPECT_EQ(w->DBMemo->toPlainText(), QStringLiteral("staro"));
    EXPECT_FALSE(w->DBMemo->isReadOnly());
    w->LoadButton->click();
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("vrstica 1\nčrta 2\n"));
    EXPECT_EQ(w->DBMemo->toPlainText(), QStringLiteral("vrstica 1\nčrta 2\n"));
    w->DBMemo->setPlainText(QStringLiteral("novo"));
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("novo"));
    delete w;
}

TEST_F(GetPict, CancelledChoiceAndNotAPictureChangeNothing)
{
    model.setData(model.index(0, 0), pngOf(Qt::red, 10));
    QPointer<TfmGetPict> cancelled = open(true, true, QString());
    cancelled->LoadButton->click();
    EXPECT_EQ(model.data(model.index(0, 0)).toByteArray(), pngOf(Qt::red, 10));
    delete cancelled;

    const QString bad = writeFile(QStringLiteral("x.jpg"), QByteArray("not a picture"));
    QPointer<TfmGetPict> w = open(true, true, bad);
    QString shown;
    QTimer::singleShot(0, [&shown] {
        QMessageBox* box = nullptr;
        testsupport::waitFor([&box] { return (box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); });
        ASSERT_NE(box, nullptr);
        shown = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    w->LoadButton->click();
    EXPECT_TRUE(shown.contains(QStringLiteral("x.jpg")));
    EXPECT_EQ(model.data(model.index(0, 0)).toByteArray(), pngOf(Qt::red, 10));
    delete w;
}

TEST_F(GetPict, RefusedWhenTheResultCannotChange)
{
    model.setData(model.index(0, 1), QStringLiteral("staro"));
    const QString file = writeFile(QStringLiteral("opis.txt"), QByteArray("novo"));
    bool asked = false;
    QPointer<TfmGetPict> w = open(false, false, file);
    w->chooseFile = [&asked](bool) {
        asked = true;
        return QString();
    };
    EXPECT_TRUE(w->DBMemo->isReadOnly());
    QString shown;
    QTimer::singleShot(0, [&shown] {
        QMessageBox* box = nullptr;
        testsupport::waitFor([&box] { return (box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())); });
        ASSERT_NE(box, nullptr);
        shown = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    w->LoadButton->click();
    EXPECT_EQ(shown, TfmGetPict::defaultRefusal());
    EXPECT_FALSE(asked);
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), QStringLiteral("staro"));
    delete w;
}

// The about window in both languages: its pages, its caption and button, and a line for every command word of
// unattended runs; Exit frees it.
TEST(TfmAbout, PagesExplainTheCommandLanguageAndExitFreesTheWindow)
{
    struct Case {
        const char* language;
        QString caption;
        QStringList pages;
        QString exit;
    };
    const Case cases[] = {
        { "ANG", QStringLiteral("About VU-DER Ovizir"),
            { QStringLiteral("Version"), QStringLiteral("Instalation Hints"), QStringLiteral("Start Parameters") },
            QStringLiteral("&Exit") },
        { "SLO", QStringLiteral("O programu VU-DER Ovizir"),
            { QStringLiteral("Verzija"), QStringLiteral("Navodila za namestitev"),
                QStringLiteral("Zagonski parametri") },
            QStringLiteral("&Izhod") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        QPointer<TfmAbout> about = new TfmAbout(QString::fromLatin1(c.language));
        about->show();
        EXPECT_EQ(about->windowTitle(), c.caption);
        auto* pages = about->findChild<QTabWidget*>(QStringLiteral("pcAbout"));
        ASSERT_NE(pages, nullptr);
        QStringList titles;
        for (int i = 0; i < pages->count(); ++i)
            titles << pages->tabText(i);
        EXPECT_EQ(titles, c.pages);

        QStringList lines;
        auto* parameters = about->findChild<QTreeWidget*>(QStringLiteral("tvParameters"));
        for (QTreeWidgetItemIterator it(parameters); *it; ++it)
            lines << (*it)->text(0);
        for (const QString& word : TfmAbout::commandWords()) {
            SCOPED_TRACE(word.toStdString());
            EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&word](const QString& line) {
                return line.startsWith(word + QLatin1Char(' ')) || line.startsWith(word + QLatin1Char(':'));
            }));
        }
        auto* exit = about->findChild<QPushButton*>(QStringLiteral("btExit"));
        EXPECT_EQ(exit->text(), c.exit);
        exit->click();
        EXPECT_TRUE(testsupport::waitFor([&about] { return about.isNull(); }));
    }
}
