// Pictures of the data-transfer windows for looking at their layout (the refresh window in English only, the
// compare window and the key-replacement generator in both languages): written only when DREMMOX_SHOTS_DIR names a
// directory (skipped otherwise).
#include "deploy/cmpstru.h"
#include "deploy/genReplProc.h"
#include "deploy/refresh.h"
#include "gui_fixture.h"
#include "shell/sqleditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>

#include <gtest/gtest.h>

using testsupport::waitFor;

namespace {

class TransferShots : public transfertest::MainWindowTest {
protected:
    void SetUp() override
    {
        dir = qEnvironmentVariable("DREMMOX_SHOTS_DIR");
        if (dir.isEmpty())
            GTEST_SKIP() << "DREMMOX_SHOTS_DIR is not set";
        QDir().mkpath(dir);
        MainWindowTest::SetUp();
    }
    void save(QWidget* w, const QString& name)
    {
        QApplication::processEvents();
        const QString file = QDir(dir).filePath(name + QStringLiteral(".png"));
        ASSERT_TRUE(w->grab().save(file)) << file.toStdString();
    }
    QString dir;
};

TEST_F(TransferShots, RefreshWindow)
{
    for (const char* sql : {
             "CREATE TABLE BILDOR.ITEMS_COPY AS SELECT * FROM VOXA.ITEMS",
             "ALTER TABLE BILDOR.ITEMS_COPY ADD CONSTRAINT ITEMS_COPY_PK PRIMARY KEY (ORDER_ID, LINE_NO)",
             "UPDATE BILDOR.ITEMS_COPY SET QUANTITY = QUANTITY + 1 WHERE MOD(ORDER_ID, 10) = 3",
             "DELETE BILDOR.ITEMS_COPY WHERE MOD(ORDER_ID, 10) = 7",
             "ALTER TABLE BILDOR.ITEMS_COPY ADD CONSTRAINT ITEMS_COPY_CK CHECK (ORDER_ID <> 1017)",
             "COMMIT",
         })
        run(*session, QString::fromLatin1(sql));
    ASSERT_TRUE(main->openWindow(QStringLiteral("mmRefreshTables")));
    auto* w = topLevel<TfmRefresh>(QStringLiteral("fmRefresh"));
    ASSERT_TRUE(w);
    save(w, QStringLiteral("refresh_0_empty_ANG"));
    w->cbUserSource->setEditText(QStringLiteral("VOXA"));
    w->cbTableSource->setEditText(QStringLiteral("ITEMS"));
    w->cbUserDest->setEditText(QStringLiteral("BILDOR"));
    w->cbTableDest->setEditText(QStringLiteral("ITEMS_COPY"));
    ASSERT_TRUE(waitFor([&] { return w->sgSelCol->isVisible() && w->lbUnique->count() == 2; }));
    w->sgSelCol->item(3, 0)->setText(QStringLiteral(" + "));
    w->cbDelete->setChecked(true);
    save(w, QStringLiteral("refresh_1_chosen_ANG"));
    w->btRefresh->click();
    ASSERT_FALSE(w->running());
    w->pcMain->setCurrentWidget(w->tabRefresh);
    save(w, QStringLiteral("refresh_2_ended_ANG"));
    w->pcMain->setCurrentWidget(w->tabErrors);
    save(w, QStringLiteral("refresh_3_errors_ANG"));
    w->pcMain->setCurrentWidget(w->tabOptions);
    save(w, QStringLiteral("refresh_4_options_ANG"));
    w->btRollback->click();
    w->btSkript->click();
    save(w, QStringLiteral("refresh_5_block_ANG"));
    w->pcMain->setCurrentWidget(w->tabHelp);
    save(w, QStringLiteral("refresh_6_help_ANG"));
    w->close();
    ASSERT_TRUE(waitFor([&] { return topLevel<TfmRefresh>(QStringLiteral("fmRefresh")) == nullptr; }));
}

TEST_F(TransferShots, CompareWindowInBothLanguages)
{
    for (const char* sql : {
             "CREATE TABLE VOXA.CMP_A (ID NUMBER PRIMARY KEY, NAME VARCHAR2(20))",
             "CREATE TABLE VOXA.CMP_B (ID NUMBER PRIMARY KEY, CODE VARCHAR2(10))",
         })
        run(*session, QString::fromLatin1(sql));
    for (const char* language : { "ANG", "SLO" }) {
        main->currLanguage = QString::fromLatin1(language);
        const QString tag = QLatin1Char('_') + main->currLanguage;
        auto window = std::make_unique<TfmCmpStru>(main.get(), main.get());
        window->show();
        save(window.get(), QStringLiteral("compare_0_empty") + tag);
        window->spCreate->click();
        window->edName->setText(QStringLiteral("%"));
        window->btCreateScript->click();
        save(window.get(), QStringLiteral("compare_1_dump") + tag);
        // The reference: the dump as it is; the current text: the same with two tables changed.
        const QString reference =
            window->meTemp->toPlainText().split(QLatin1Char('\n')).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        QString current = reference;
        current.replace(QStringLiteral("###TABLE#CMP_A#"), QStringLiteral("###TABLE#CMP_GONE#"));
        current.replace(QStringLiteral("VARCHAR2(10)"), QStringLiteral("VARCHAR2(20)"));
        window->meSource->setText(reference);
        window->meDest->setText(current);
        window->spOpen->click();
        save(window.get(), QStringLiteral("compare_2_reference") + tag);
        window->spCompare->click();
        window->btCompare->click();
        ASSERT_GE(window->stNapak(), 2);
        window->sgError->setCurrentCell(1, 0);
        save(window.get(), QStringLiteral("compare_3_differences") + tag);
    }
}

TEST_F(TransferShots, KeyReplacementInBothLanguages)
{
    for (const char* language : { "ANG", "SLO" }) {
        main->currLanguage = QString::fromLatin1(language);
        auto window = std::make_unique<TfmGenReplProc>(main.get(), main.get());
        window->workDir = tmp.path();
        window->show();
        window->edTabela->setText(QStringLiteral("CUSTOMERS"));
        emit window->edTabela->editingFinished();
        window->edLastniki->setText(QStringLiteral("VEXO_AUDIT"));
        window->btRefresh->click();
        window->edFilter->setText(QStringLiteral("%CUSTOMER%"));
        window->btDodat->click();
        save(window.get(), QStringLiteral("genrepl_") + main->currLanguage);
    }
}

} // namespace
