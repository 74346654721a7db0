// Logging on the way a person and an unattended run do: the main window is shown, its activation opens the logon
// dialog, the controls are worked by their names, and the main window's caption tells who is connected where to
// which server version. The unattended logon of a command line runs both inside the test and as the program itself.
#include "db/drivers.h"
#include "db/session.h"
#include "engine/kit/kit.h"
#include "shell/Main.h"
#include "shell/connect.h"
#include "support/person.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

using testsupport::Person;
using testsupport::visibleTopLevel;
using testsupport::waitFor;

namespace {

void clickLater(QAbstractButton* button)
{
    QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
}

TfmConnect* logonDialog()
{
    return visibleTopLevel<TfmConnect>();
}
QMessageBox* messageBox()
{
    return visibleTopLevel<QMessageBox>();
}

template <typename T> T* control(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// What a person types into the logon dialog.
struct Typed {
    QString user;
    QString password;
    bool sysdba = false;
};

Person::Step typeAndConnect(const Typed& t)
{
    return { [] { return logonDialog() != nullptr; },
        [t] {
            TfmConnect* d = logonDialog();
            auto* user = control<QLineEdit>(d, "edUser");
            user->clear();
            QTest::keyClicks(user, t.user);
            auto* password = control<QLineEdit>(d, "edPassword");
            password->clear();
            QTest::keyClicks(password, t.password);
            auto* databases = control<QComboBox>(d, "cbDatabases");
            databases->setCurrentIndex(databases->findText(QStringLiteral("DEMO")));
            control<QCheckBox>(d, "cbSysdba")->setChecked(t.sysdba);
            clickLater(control<QPushButton>(d, "btConnect"));
        } };
}

Person::Step readMessage(QString* text)
{
    return { [] { return messageBox() != nullptr; },
        [text] {
            QMessageBox* box = messageBox();
            *text = box->text();
            clickLater(box->button(QMessageBox::Ok));
        } };
}

Person::Step leaveDialog()
{
    return { [] { return logonDialog() != nullptr && messageBox() == nullptr; },
        [] { clickLater(control<QPushButton>(logonDialog(), "btExit")); } };
}

// The main window over a copy of the demo database named DEMO, with the real connection sequence as its logon.
class LogonGuiTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        QDir().mkpath(exeDir());
        engine::kit::demoTemplate(tmp.filePath(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
    }
    void TearDown() override
    {
        person.reset();
        main.reset();
        db::setEmbeddedDataDirectory({});
    }
    QString exeDir() const { return tmp.path() + "/bin/"; }

    void writeSettings(const QByteArray& text) const
    {
        QFile file(exeDir() + "MONITOR.INI");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    void create(const QStringList& arguments = {})
    {
        TfmMain::Environment env;
        env.arguments = arguments;
        env.executableDir = exeDir();
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\LoginData");
        main = std::make_unique<TfmMain>(env);
        shell::installConnectionSequence(*main);
        QObject::connect(main.get(), &TfmMain::closed, [this] { ++closed; });
    }

    // Shows the main window as the program does; its activation brings up the logon dialog.
    void start(std::vector<Person::Step> steps)
    {
        person = std::make_unique<Person>(std::move(steps));
        main->show();
        main->activateWindow();
    }

    // The caption once connected: the title, the user and database, the server's version.
    QString connectedCaption(const QString& title, const QString& user) const
    {
        return title + "  " + user + "@DEMO  Oracle:19.0.0.0.0";
    }
    bool captionShows(const QString& start) const { return main->windowTitle().startsWith(start); }

    std::unique_ptr<TfmMain> main;
    std::unique_ptr<Person> person;
    int closed = 0;
};

} // namespace

// Oracle admits the application's owner, the SYS user as SYSDBA and any user whose password matches; the tool then
// shows user, database and the release of V$VERSION (19.0.0.0.0 on the demo database) in the main window's title,
// in the language of the settings.
TEST_F(LogonGuiTest, ALogonThroughTheDialogShowsUserDatabaseAndVersion)
{
    struct Case {
        const char* name;
        const char* language;
        Typed typed;
        const char* title;
        const char* shownUser;
        const char* userLabel;
    } cases[] = {
        { "owner", "ANG", { "VOXA", "VOXA" }, "PL/SQL Editor", "VOXA", "User:" },
        { "owner typed in lower case", "ANG", { "voxa", "voxa" }, "PL/SQL Editor", "VOXA", "User:" },
        { "Slovenian", "SLO", { "VOXA", "VOXA" }, "PL/SQL urejevalnik", "VOXA", "Uporabnik:" },
        { "SYSDBA", "ANG", { "SYS", "CHANGE_ON_INSTALL", true }, "PL/SQL Editor", "SYS", "User:" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeSettings(QByteArray("[PL/SQL]\r\nCURR_LANGUAGE=") + c.language + "\r\n");
        create();
        QString label;
        Person::Step look { [] { return logonDialog() != nullptr; },
            [&label] { label = control<QLabel>(logonDialog(), "laUser")->text(); } };
        start({ look, typeAndConnect(c.typed) });
        ASSERT_TRUE(waitFor([&] { return captionShows(connectedCaption(c.title, c.shownUser)); }))
            << main->windowTitle().toStdString();
        EXPECT_EQ(label.toStdString(), c.userLabel);
        EXPECT_TRUE(main->osOracle->connected());
        EXPECT_EQ(main->osOracle->sysdba(), c.typed.sysdba);
        EXPECT_EQ(main->connUser.toStdString(), c.shownUser);
        EXPECT_EQ(main->connServer.toStdString(), "DEMO");
        EXPECT_EQ(main->ORACLEVersion.toStdString(), "19");
        // The database tools are open to a connected user; the dialog is gone and nothing waits for an answer.
        EXPECT_TRUE(main->menuItem(QStringLiteral("mmCompare"))->isEnabled());
        EXPECT_EQ(logonDialog(), nullptr);
        EXPECT_EQ(messageBox(), nullptr);
        EXPECT_EQ(closed, 0);
        person.reset();
        main->osOracle->logOff();
        main.reset();
    }
}

// Every caption of the dialog fits its control in both languages: nothing is cut off.
TEST_F(LogonGuiTest, TheDialogsTextsFitInBothLanguages)
{
    for (const char* language : { "ANG", "SLO" }) {
        SCOPED_TRACE(language);
        writeSettings(QByteArray("[PL/SQL]\r\nCURR_LANGUAGE=") + language + "\r\n");
        create();
        TfmConnect dialog(main.get());
        dialog.setDatabaseNames({ QStringLiteral("DEMO"), QStringLiteral("A_RATHER_LONG_ALIAS.EXAMPLE.COM") });
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        for (QWidget* w : dialog.findChildren<QWidget*>()) {
            if (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w))
                continue;
            SCOPED_TRACE(w->objectName().toStdString());
            EXPECT_GE(w->width(), w->sizeHint().width());
            EXPECT_GE(w->height(), w->sizeHint().height());
            EXPECT_TRUE(dialog.rect().contains(w->geometry()));
        }
        // The fields start in one column.
        const int left = control<QLineEdit>(&dialog, "edUser")->x();
        EXPECT_EQ(control<QLineEdit>(&dialog, "edPassword")->x(), left);
        EXPECT_EQ(control<QComboBox>(&dialog, "cbDatabases")->x(), left);
        EXPECT_EQ(control<QCheckBox>(&dialog, "cbSysdba")->x(), left);
        dialog.close();
        main.reset();
    }
}

// Oracle refuses a wrong password with ORA-01017; the tool refuses an end user whom the application's user table
// does not mark as administrator. Either way the dialog stays for another try, and leaving it ends the program
// that has no session.
TEST_F(LogonGuiTest, ARefusedLogonSaysWhyAndLeavesTheDialogOpen)
{
    struct Case {
        const char* name;
        Typed typed;
        const char* message;
    } cases[] = {
        { "wrong password", { "VOXA", "WRONG" },
            "ACCESS DENIED \r\n\r\nORA-01017: invalid username/password; logon denied" },
        { "end user", { "MNOVAK", "MNOVAK" }, "ACCESS DENIED \r\n\r\nUporabnik MNOVAK nima pravice za dostop." },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        create();
        closed = 0;
        QString text;
        bool stillOpen = false;
        Person::Step checkOpen { [] { return logonDialog() != nullptr && messageBox() == nullptr; },
            [&stillOpen] { stillOpen = true; } };
        start({ typeAndConnect(c.typed), readMessage(&text), checkOpen, leaveDialog() });
        ASSERT_TRUE(waitFor([&] { return closed == 1; }));
        if (text.contains(QStringLiteral("USERISVALID"), Qt::CaseInsensitive)) {
            // Without the application's package the check cannot be made, and that admits nobody either.
            EXPECT_TRUE(text.startsWith(QStringLiteral("ACCESS DENIED \r\n\r\nORA-"))) << text.toStdString();
        } else {
            EXPECT_EQ(text.toStdString(), c.message);
        }
        EXPECT_TRUE(stillOpen);
        EXPECT_FALSE(main->osOracle->connected());
        EXPECT_FALSE(main->menuItem(QStringLiteral("mmCompare"))->isEnabled());
        EXPECT_EQ(main->exitStatus, 0); // a person left the dialog: no failure of an unattended run
        EXPECT_EQ(messageBox(), nullptr); // in particular no word of missing rights
        EXPECT_FALSE(captionShows(QStringLiteral("PL/SQL Editor  ") + c.typed.user));
        main.reset();
    }
}

// A second try in the same dialog after a refusal connects.
TEST_F(LogonGuiTest, ASecondTryAfterAWrongPasswordConnects)
{
    create();
    QString text;
    start({ typeAndConnect({ "VOXA", "WRONG" }), readMessage(&text), typeAndConnect({ "VOXA", "VOXA" }) });
    ASSERT_TRUE(waitFor([&] { return captionShows(connectedCaption("PL/SQL Editor", "VOXA")); }));
    EXPECT_TRUE(text.contains(QStringLiteral("ORA-01017")));
    EXPECT_EQ(closed, 0);
}

// An end user of the application marked as administrator in VOXA.ISEC_USERS is admitted; the check's query calls
// VOXA.PCKVEXOLOG.USERISVALID.
TEST_F(LogonGuiTest, AnAdministratorOfTheApplicationIsAdmitted)
{
    create();
    QString text;
    start({ typeAndConnect({ "AKRALJ", "AKRALJ" }), readMessage(&text), leaveDialog() });
    ASSERT_TRUE(waitFor([&] { return captionShows(connectedCaption("PL/SQL Editor", "AKRALJ")) || closed > 0; }));
    ASSERT_EQ(closed, 0) << text.toStdString();
    EXPECT_TRUE(main->osOracle->connected());
    EXPECT_EQ(main->connUser.toStdString(), "AKRALJ");
    EXPECT_TRUE(text.isEmpty()) << text.toStdString();
}

// A command line with logon values logs on by itself, a second after the dialog shows, and nobody is asked.
TEST_F(LogonGuiTest, TheCommandLinesLogonIsMadeWithoutAPerson)
{
    create({ "CONNECT", "VOXA", "VOXA", "DEMO" });
    bool asked = false;
    start({ { [] { return messageBox() != nullptr; }, [&asked] { asked = true; } } });
    ASSERT_TRUE(waitFor([&] { return captionShows(connectedCaption("PL/SQL Editor", "VOXA")); }));
    EXPECT_FALSE(asked);
    EXPECT_EQ(logonDialog(), nullptr);
    EXPECT_EQ(main->exitStatus, 0);
    EXPECT_EQ(closed, 0);
}

namespace {

// Command lines whose logon cannot be made, and what the run says on standard error.
struct FailingLogon {
    const char* name;
    QStringList arguments;
    const char* reason;
};
const std::vector<FailingLogon>& failingLogons()
{
    static const std::vector<FailingLogon> cases {
        { "wrong password", { "CONNECT", "VOXA", "WRONG", "DEMO" }, "ORA-01017" },
        { "no password", { "CONNECT", "VOXA" }, "Prazno geslo ali baza!" },
        { "unknown database", { "CONNECT", "VOXA", "VOXA", "NODB" }, "NODB" },
    };
    return cases;
}

} // namespace

// An automatic logon that cannot be made ends the run with status 2 and its reason on standard error; no message
// waits for a person and the first database of the list is never taken in place of a missing one.
TEST_F(LogonGuiTest, ACommandLinesLogonThatFailsEndsTheRun)
{
    for (const FailingLogon& c : failingLogons()) {
        SCOPED_TRACE(c.name);
        closed = 0;
        create(c.arguments);
        bool asked = false;
        testing::internal::CaptureStderr();
        start({ { [] { return messageBox() != nullptr; }, [&asked] { asked = true; } } });
        const bool ended = waitFor([&] { return closed == 1; });
        const std::string err = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(ended);
        EXPECT_NE(err.find(c.reason), std::string::npos) << err;
        EXPECT_EQ(main->exitStatus, 2);
        EXPECT_FALSE(asked);
        EXPECT_FALSE(main->osOracle->connected());
        person.reset();
        main.reset();
    }
}

namespace {

// The program itself, started as a user's shortcut or a scheduler would start it, over a data directory of its
// own that holds the demo database as DEMO.
class ProgramTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(QStringLiteral(DREMMOX_PROGRAM)).isExecutable())
            << "build the program first (target dremmox): " << DREMMOX_PROGRAM;
        demoDir = tmp.filePath(QStringLiteral("data/dremmox/databases/DEMO"));
        QDir().mkpath(QFileInfo(demoDir).path());
        engine::kit::demoTemplate(demoDir.toStdString());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), tmp.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), tmp.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("HOME"), tmp.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());
        for (const char* oracle : { "TNS_ADMIN", "ORACLE_HOME", "DREMMOX_ORACLE_CLIENT" })
            env.remove(QLatin1String(oracle));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(tmp.path());
        program.setProgram(QStringLiteral(DREMMOX_PROGRAM));
    }
    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
    }

    // Whether a process holds the database's lock now. Asked only once the program has written its process id
    // into the lock file, so that the question can no longer keep the program from opening the database.
    bool programHoldsDatabase() const
    {
        QFile lockFile(demoDir + "/database.lock");
        if (!lockFile.open(QIODevice::ReadOnly)
            || lockFile.readAll().trimmed() != QByteArray::number(program.processId()))
            return false;
        const int fd = ::open(QFile::encodeName(lockFile.fileName()).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
        if (!held)
            ::flock(fd, LOCK_UN);
        ::close(fd);
        return held;
    }

    QString demoDir;
    QTemporaryDir runtimeDir;
    QProcess program;
};

} // namespace

TEST_F(ProgramTest, AnUnattendedLogonThatCannotBeMadeEndsWithStatus2AndSaysWhy)
{
    for (const FailingLogon& c : failingLogons()) {
        SCOPED_TRACE(c.name);
        program.setArguments(c.arguments);
        program.start();
        ASSERT_TRUE(program.waitForStarted());
        // Ending by itself is the proof that no dialog waits for a person.
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 2);
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(err.contains(QLatin1String(c.reason))) << err.toStdString();
    }
}

TEST_F(ProgramTest, AnUnattendedLogonConnectsAndKeepsRunning)
{
    program.setArguments({ "CONNECT", "VOXA", "VOXA", "DEMO" });
    program.start();
    ASSERT_TRUE(program.waitForStarted());
    // Connected: the program's session keeps the database open, and the program goes on without a word.
    ASSERT_TRUE(waitFor([this] { return programHoldsDatabase() || program.state() == QProcess::NotRunning; }, 60000));
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_EQ(program.state(), QProcess::Running) << err.toStdString();
    // Qt's notices about the display may be there; a word of the logon may not.
    for (const char* word : { "ORA-", "ACCESS DENIED", "Prazno", "CHECK  SELECT" })
        EXPECT_FALSE(err.contains(QLatin1String(word))) << err.toStdString();
}
