// The worksheet's own session through the logon dialog on the demo database: the own logon works only on the
// own session; the main session stays connected and the main window keeps its logon values and passwords,
// whether the own logon succeeds, fails or is cancelled.
#include "db/drivers.h"
#include "db/session.h"
#include "develop/ownsession.h"
#include "engine/kit/kit.h"
#include "shell/Main.h"
#include "shell/connect.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using testsupport::waitFor;

namespace {

class OwnSessionTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        QDir().mkpath(tmp.path() + QStringLiteral("/bin"));
        engine::kit::demoTemplate(tmp.filePath(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
        TfmMain::Environment env;
        env.executableDir = tmp.path() + QStringLiteral("/bin/");
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\LoginData");
        main = std::make_unique<TfmMain>(env);
        main->osOracle->setUserName(QStringLiteral("VOXA"));
        main->osOracle->setPassword(QStringLiteral("VOXA"));
        main->osOracle->setDatabase(QStringLiteral("DEMO"));
        main->osOracle->logOn();
        main->connUser = QStringLiteral("VOXA");
        main->connPassword = QStringLiteral("VOXA");
        main->connPasswordUtil = QStringLiteral("UTILPW");
        main->connServer = QStringLiteral("DEMO");
        window = std::make_unique<QWidget>();
        window->setProperty("sCaption", QStringLiteral("WorkSheet"));
        own = develop::createOwnSession(*main, window.get());
    }
    void TearDown() override
    {
        window.reset();
        main.reset();
        db::setEmbeddedDataDirectory({});
    }

    static TfmConnect* dialog()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<TfmConnect*>(w); d && d->isVisible())
                return d;
        }
        return nullptr;
    }
    static QMessageBox* message()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* m = qobject_cast<QMessageBox*>(w); m && m->isVisible())
                return m;
        }
        return nullptr;
    }

    // Connect while `person` works the dialog once it shows.
    develop::OwnLogonResult connectWith(const std::function<void(TfmConnect&)>& person)
    {
        QTimer::singleShot(0, [person] {
            ASSERT_TRUE(waitFor([] { return dialog() != nullptr; }));
            person(*dialog());
        });
        return develop::connectOwnSession(main.get(), *own, window.get());
    }
    static void type(TfmConnect& d, const QString& user, const QString& password)
    {
        d.edUser->setText(user);
        d.edPassword->setText(password);
        d.cbDatabases->setCurrentIndex(d.cbDatabases->findText(QStringLiteral("DEMO")));
    }
    void expectMainUntouched()
    {
        EXPECT_TRUE(main->osOracle->connected());
        EXPECT_EQ(main->osOracle->userName(), QStringLiteral("VOXA"));
        EXPECT_EQ(main->connUser, QStringLiteral("VOXA"));
        EXPECT_EQ(main->connPassword, QStringLiteral("VOXA"));
        EXPECT_EQ(main->connPasswordUtil, QStringLiteral("UTILPW"));
        EXPECT_EQ(main->connServer, QStringLiteral("DEMO"));
    }

    std::unique_ptr<TfmMain> main;
    std::unique_ptr<QWidget> window;
    db::Session* own = nullptr;
};

} // namespace

TEST_F(OwnSessionTest, LogsTheOwnSessionOnAsAnotherUser)
{
    EXPECT_EQ(own->objectName(), QStringLiteral("ORA_TMP1"));
    EXPECT_FALSE(own->connected());
    QString offeredPassword = QStringLiteral("<not shown>");
    const develop::OwnLogonResult r = connectWith([&offeredPassword](TfmConnect& d) {
        offeredPassword = d.edPassword->text();
        type(d, QStringLiteral("BILDOR"), QStringLiteral("BILDOR"));
        d.btConnect->click();
    });
    EXPECT_EQ(offeredPassword, QString()) << "the main session's password is not offered";
    ASSERT_TRUE(r.connected);
    EXPECT_EQ(r.oracleVersion, QStringLiteral("19"));
    EXPECT_TRUE(own->connected());
    EXPECT_EQ(own->userName(), QStringLiteral("BILDOR"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("WorkSheet  (BILDOR@DEMO)"));
    expectMainUntouched();

    develop::disconnectOwnSession(*own, main->osOracle);
    EXPECT_FALSE(own->connected());
    develop::disconnectOwnSession(*main->osOracle, main->osOracle);
    EXPECT_TRUE(main->osOracle->connected()) << "a worksheet never logs the main session off";
}

TEST_F(OwnSessionTest, ACancelledOrFailedLogonLeavesTheMainSessionAsItWas)
{
    develop::OwnLogonResult r = connectWith([](TfmConnect& d) { d.btExit->click(); });
    EXPECT_FALSE(r.connected);
    EXPECT_FALSE(own->connected());
    expectMainUntouched();

    r = connectWith([](TfmConnect& d) {
        type(d, QStringLiteral("BILDOR"), QStringLiteral("wrong"));
        QTimer::singleShot(0, [] {
            ASSERT_TRUE(waitFor([] { return message() != nullptr; }));
            message()->accept();
        });
        d.btConnect->click();
        d.btExit->click();
    });
    EXPECT_FALSE(r.connected);
    EXPECT_FALSE(own->connected());
    expectMainUntouched();

    EXPECT_FALSE(develop::connectOwnSession(main.get(), *main->osOracle, window.get(),
        [](db::Session&) {
            return true;
        }).connected)
        << "the main session is never taken for an own logon";
    expectMainUntouched();
}

// The own session takes the main window's date format; a format the server refuses leaves the logon standing and
// comes back as the message the worksheet shows, while a good one gives none.
TEST_F(OwnSessionTest, ARefusedDateFormatIsReportedAndTheLogonStands)
{
    const auto logOnAsBildor = [](db::Session& s) {
        s.setUserName(QStringLiteral("BILDOR"));
        s.setPassword(QStringLiteral("BILDOR"));
        s.setDatabase(QStringLiteral("DEMO"));
        s.logOn();
        return true;
    };
    struct Case {
        const char* format;
        const char* error;
    };
    for (const Case c : { Case { "no such format", "Wrong DATE FORMAT" }, Case { "DD.MM.YYYY", "" } }) {
        SCOPED_TRACE(c.format);
        main->currentDateFormat = QString::fromLatin1(c.format);
        const develop::OwnLogonResult r = develop::connectOwnSession(main.get(), *own, window.get(), logOnAsBildor);
        EXPECT_TRUE(r.connected);
        EXPECT_TRUE(own->connected());
        EXPECT_EQ(r.dateFormatError, QString::fromLatin1(c.error));
        EXPECT_FALSE(own->inTransaction());
        develop::disconnectOwnSession(*own, main->osOracle);
    }
    expectMainUntouched();
}
