// The structure compare window on the demo database: a dump of VOXA's tables saved as the reference, three changes
// of the schema, a second dump, the comparison that finds exactly those three, the difference file with the
// organisation header, and the unattended sequence of the COMPARE command.
#include "deploy/cmpstru.h"
#include "deploy/transfer_commands.h"
#include "gui_fixture.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>

#include <gtest/gtest.h>

using testsupport::waitFor;

namespace {

class CompareWindow : public transfertest::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        for (const char* sql : {
                 "CREATE TABLE VOXA.CMP_A (ID NUMBER PRIMARY KEY, NAME VARCHAR2(20))",
                 "CREATE TABLE VOXA.CMP_B (ID NUMBER PRIMARY KEY, CODE VARCHAR2(10))",
                 "CREATE TABLE VOXA.CMP_C (ID NUMBER, NOTE VARCHAR2(50), CONSTRAINT CMP_C_PK PRIMARY KEY (ID))",
             })
            run(*session, QString::fromLatin1(sql));
        main->CurrentCheckInitDir = tmp.path() + QLatin1Char('/');
    }
    void TearDown() override
    {
        if (window) {
            window->close();
            ASSERT_TRUE(waitFor([&] { return window.isNull(); }));
        }
        MainWindowTest::TearDown();
    }
    TfmCmpStru* open()
    {
        EXPECT_TRUE(main->openWindow(QStringLiteral("mmCompare2")));
        window = topLevel<TfmCmpStru>(QStringLiteral("fmCmpStru"));
        return window;
    }
    // Dumps VOXA's tables in the window and saves them under name.
    void dump(const QString& name)
    {
        window->spCreate->click();
        ASSERT_EQ(window->pcMain->currentWidget(), window->tabCreate);
        window->edName->setText(QStringLiteral("%"));
        window->btCreateScript->click();
        ASSERT_TRUE(window->spSave->isEnabled());
        transfertest::FileAnswer pick(path(name));
        window->spSave->click();
        ASSERT_TRUE(QFile::exists(path(name)));
        EXPECT_FALSE(window->pcMain->isVisible());
    }
    // The three changes the comparison is to find, and some it is not to report.
    void changeSchema()
    {
        for (const char* sql : {
                 "DROP TABLE VOXA.CMP_A",
                 "ALTER TABLE VOXA.CMP_B MODIFY (CODE VARCHAR2(20))",
                 "ALTER TABLE VOXA.CMP_C DROP COLUMN NOTE",
                 "CREATE TABLE VOXA.CMP_NEW (ID NUMBER)",
             })
            run(*session, QString::fromLatin1(sql));
    }
    QPointer<TfmCmpStru> window;
};

TEST_F(CompareWindow, DumpCompareAndSaveTheDifferences)
{
    ASSERT_TRUE(open());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Compare structure  (VOXA@DEMO)"));
    EXPECT_FALSE(window->pcMain->isVisible());
    EXPECT_EQ(window->edUser->text(), QStringLiteral("VOXA"));
    dump(QStringLiteral("ref.sfg"));
    const QString reference = QString::fromUtf8([&] {
        QFile f(path(QStringLiteral("ref.sfg")));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }());
    EXPECT_TRUE(reference.contains(QStringLiteral("###TABLE#CMP_A#\r\n")));
    EXPECT_TRUE(reference.endsWith(QStringLiteral("###END##\r\n")));
    changeSchema();
    dump(QStringLiteral("cur.sfg"));

    window->spCompare->click();
    EXPECT_EQ(window->laKind->text(), QStringLiteral("COMPARE STRUCTURE"));
    {
        transfertest::FileAnswer pick(path(QStringLiteral("ref.sfg")));
        window->btSource->click();
    }
    {
        transfertest::FileAnswer pick(path(QStringLiteral("cur.sfg")));
        window->btDest->click();
    }
    EXPECT_EQ(window->edfSource->text(), QStringLiteral("ref.sfg"));
    EXPECT_EQ(window->edFileDest->text(), QStringLiteral("cur.sfg"));
    EXPECT_EQ(main->CurrentCheckInitDir, tmp.path() + QLatin1Char('/'));
    window->btCompare->click();
    ASSERT_EQ(window->stNapak(), 3);
    ASSERT_EQ(window->sgError->rowCount(), 4);
    auto row = [&](int r) {
        return window->sgError->item(r, 0)->text() + QLatin1Char('|') + window->sgError->item(r, 1)->text()
            + QLatin1Char('|') + window->sgError->item(r, 2)->text();
    };
    EXPECT_EQ(row(1), QStringLiteral("TABLE|CMP_A|DOES NOT EXISTS"));
    EXPECT_EQ(row(2), QStringLiteral("TABLE|CMP_B|CODE VARCHAR2(10)  -->  CODE VARCHAR2(20)"));
    EXPECT_EQ(row(3), QStringLiteral("TABLE|CMP_C|NOTE  DOES NOT EXISTS"));
    window->sgError->setCurrentCell(2, 0);
    EXPECT_EQ(window->meError->toPlainText(), QStringLiteral("CODE VARCHAR2(10)  -->  CODE VARCHAR2(20)"));
    ASSERT_TRUE(window->btSaveDiff->isEnabled());
    {
        transfertest::FileAnswer pick(path(QStringLiteral("diff.dfr")));
        window->btSaveDiff->click();
    }
    QFile f(path(QStringLiteral("diff.dfr")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 14);
    EXPECT_EQ(lines.at(0), QString(48, QLatin1Char('*')));
    EXPECT_EQ(lines.at(1), value(*session, QStringLiteral("SELECT UPPER(VAL1_107) FROM VOXA.PR107PAR WHERE ATTR_007 = "
                                                          "'aiOrganization'")));
    EXPECT_EQ(lines.mid(8),
        (QStringList { "TABLE CMP_A  ", "      DOES NOT EXISTS", "TABLE CMP_B  ",
            "      CODE VARCHAR2(10)  -->  CODE VARCHAR2(20)", "TABLE CMP_C  ", "      NOTE  DOES NOT EXISTS", "" }));
    EXPECT_FALSE(window->btSaveDiff->isEnabled());
}

TEST_F(CompareWindow, EqualDumpsSayEqual)
{
    ASSERT_TRUE(open());
    dump(QStringLiteral("ref.sfg"));
    window->spCompare->click();
    for (QPushButton* b : { window->btSource, window->btDest }) {
        transfertest::FileAnswer pick(path(QStringLiteral("ref.sfg")));
        b->click();
    }
    transfertest::DialogAnswer ok(shell::mrOk);
    window->btCompare->click();
    EXPECT_EQ(ok.texts, QStringList { QStringLiteral("SHEMAS ARE EQUAL") });
    EXPECT_FALSE(window->btSaveDiff->isEnabled());
    EXPECT_EQ(window->stNapak(), 0);
}

TEST_F(CompareWindow, SlovenianTexts)
{
    main->currLanguage = QStringLiteral("SLO");
    ASSERT_TRUE(open());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Primerjanje struktur  (VOXA@DEMO)"));
    EXPECT_EQ(window->sgError->horizontalHeaderItem(2)->text(), QStringLiteral("NEPRAVILNO   -->  PRAVILNO"));
    EXPECT_EQ(window->btSaveDiff->text(), QStringLiteral("Shrani razlike"));
    EXPECT_EQ(window->menuBar()->findChild<QMenu*>(QStringLiteral("mmFile"))->title(), QStringLiteral("Datoteka"));
    EXPECT_EQ(window->nizNeObstaja, QStringLiteral("NE OBSTAJA"));
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("laOriginal"))->text(), QStringLiteral("Trenutna:"));
}

// The COMPARE command: the window dumps VOXA's tables into the current file, compares them with the reference and
// writes the difference file only when there are differences; then it closes, without waiting for anyone.
TEST_F(CompareWindow, UnattendedSequence)
{
    struct Case {
        const char* name;
        bool change;
        bool missingReference;
        bool diffFile;
    };
    const std::vector<Case> cases = {
        { "no differences", false, false, false },
        { "three differences", true, false, true },
        { "a reference that cannot be read", false, true, false },
    };
    // The reference, dumped by hand once.
    ASSERT_TRUE(open());
    dump(QStringLiteral("ref.sfg"));
    window->close();
    ASSERT_TRUE(waitFor([&] { return window.isNull(); }));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.change)
            changeSchema();
        QFile::remove(path(QStringLiteral("DFDEMO!.txt")));
        QFile::remove(path(QStringLiteral("dremmox.err")));
        main->exitStatus = 0;
        auto* w = new TfmCmpStru(main.get(), main.get());
        w->setAttribute(Qt::WA_DeleteOnClose);
        window = w;
        w->pAuto = true;
        w->edfSource->setText(path(c.missingReference ? QStringLiteral("none.sfg") : QStringLiteral("ref.sfg")));
        w->edfDest->setText(path(QStringLiteral("cur.sfg")));
        w->pShraniDir = path(QStringLiteral("DFDEMO!.txt"));
        w->pErrorFile = path(QStringLiteral("dremmox.err"));
        bool failed = false;
        w->show();
        ASSERT_TRUE(waitFor([&] {
            if (window)
                failed = window->pFailed;
            return window.isNull();
        }, 20000));
        EXPECT_TRUE(QFile::exists(path(QStringLiteral("cur.sfg"))));
        EXPECT_EQ(QFile::exists(path(QStringLiteral("DFDEMO!.txt"))), c.diffFile);
        EXPECT_EQ(failed, c.missingReference);
        EXPECT_EQ(QFile::exists(path(QStringLiteral("dremmox.err"))), c.missingReference);
        EXPECT_EQ(main->exitStatus, c.missingReference ? 1 : 0);
    }
}

// The entry point the runner's COMPARE calls: it returns once the window has done its sequence and closed.
TEST_F(CompareWindow, CompareCommandReturnsTheOutcome)
{
    ASSERT_TRUE(open());
    dump(QStringLiteral("ref.sfg"));
    window->close();
    ASSERT_TRUE(waitFor([&] { return window.isNull(); }));
    const QString diff = path(QStringLiteral("DFDEMO!.txt"));
    const QString err = path(QStringLiteral("dremmox.err"));

    deploy::TransferOutcome same =
        deploy::runCompareCommand(*main, path(QStringLiteral("ref.sfg")), path(QStringLiteral("cur.sfg")), diff, err);
    EXPECT_TRUE(same.ok);
    EXPECT_EQ(same.message, QStringLiteral("no differences"));
    EXPECT_FALSE(QFile::exists(diff));

    changeSchema();
    // This time as the runner calls it: source dump, current dump, the difference file's name.
    deploy::RunnerCommand command;
    command.word = QStringLiteral("COMPARE");
    command.p1 = path(QStringLiteral("ref.sfg"));
    command.p2 = path(QStringLiteral("cur.sfg"));
    command.resultName = diff;
    deploy::TransferOutcome changed = deploy::compareRunnerCommand({ *main, command });
    EXPECT_TRUE(changed.ok);
    EXPECT_EQ(changed.message, QStringLiteral("3 differences written to ") + diff);
    EXPECT_TRUE(QFile::exists(diff));
    EXPECT_FALSE(QFile::exists(err));
    EXPECT_EQ(main->exitStatus, 0);

    // A failure is added to the error file, after what the run wrote there before.
    {
        QFile f(err);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("EXEC: an earlier command failed\n");
    }
    deploy::TransferOutcome missing =
        deploy::runCompareCommand(*main, path(QStringLiteral("none.sfg")), path(QStringLiteral("cur.sfg")), diff, err);
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.message.isEmpty());
    QFile f(err);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines.at(0), QStringLiteral("EXEC: an earlier command failed"));
    EXPECT_EQ(lines.at(1), QStringLiteral("COMPARE: ") + missing.message);
    EXPECT_EQ(main->exitStatus, 1);
    EXPECT_TRUE(main->findChildren<TfmCmpStru*>().isEmpty());
}

} // namespace
