// The lock and audit windows on a fresh demo database: the main window logged on as VOXA, the server's release
// chosen per test (the classic windows below release 19, the scheduler-job variants from 19 on), and a helper that
// answers the windows' modal dialogs (the name-and-reason confirmation and the message dialog) as a user would.
#pragma once

#include "admin/register_jobs.h"
#include "db/drivers.h"
#include "db/query.h"
#include "db/session.h"
#include "engine/engine.h"
#include "engine/kit/kit.h"
#include "shell/Main.h"
#include "shell/confirm.h"
#include "shell/localmessagedlg.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <memory>

namespace jobwindows {

using testsupport::waitFor;

// Answers every modal dialog that opens: a confirmation with the next queued name and reason (or cancels it when
// the queue says so), a message dialog with its default button (or the next queued result). Keeps the messages.
class DialogAutomat : public QObject {
public:
    struct Confirmation {
        QString name, reason;
        bool ok = true;
    };
    DialogAutomat()
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, this, [this] { answer(); });
        timer.start();
    }
    void confirm(const QString& name, const QString& reason = {}, bool ok = true)
    {
        confirmations.push_back({ name, reason, ok });
    }
    void reply(int result) { replies.push_back(result); }
    QStringList messages;
    int confirmationsShown = 0;

private:
    void answer()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible())
            return;
        if (auto* c = qobject_cast<shell::TdlgConfirm*>(w)) {
            ++confirmationsShown;
            Confirmation next = confirmations.empty() ? Confirmation { {}, {}, false } : confirmations.front();
            if (!confirmations.empty())
                confirmations.pop_front();
            c->edNameSurname->setText(next.name);
            c->edReason->setText(next.reason);
            if (next.ok && c->btOK->isEnabled())
                c->btOK->click();
            else
                c->btCancel->click();
            return;
        }
        if (auto* d = qobject_cast<QDialog*>(w)) {
            QString text;
            for (QLabel* l : d->findChildren<QLabel*>())
                if (!l->text().isEmpty())
                    text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + l->text();
            messages << text;
            int result = shell::mrOk;
            if (!replies.empty()) {
                result = replies.front();
                replies.pop_front();
            } else if (auto* m = qobject_cast<shell::LocalMessageDialog*>(d); m && m->defaultButton()) {
                m->defaultButton()->click();
                return;
            }
            d->done(result);
        }
    }
    std::deque<Confirmation> confirmations;
    std::deque<int> replies;
    QTimer timer;
};

class JobWindowTest : public testsupport::TempDirTest {
protected:
    // The server's release: "12.1" gives the classic windows, "19" the scheduler-job variants.
    void start(const std::string& release, const QString& language = QStringLiteral("ANG"))
    {
        const std::string demo = path(QStringLiteral("DEMO")).toStdString();
        engine::kit::demoTemplate(demo);
        engine::Database::open(demo)->setServerVersion(release);
        db::setEmbeddedDataDirectory(tmp.path());
        QDir().mkpath(path(QStringLiteral("bin")));
        TfmMain::Environment env;
        env.executableDir = path(QStringLiteral("bin")) + QLatin1Char('/');
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\JobWindows");
        main = std::make_unique<TfmMain>(env);
        main->currLanguage = language;
        logOn(*main->osOracle);
        main->connUser = QStringLiteral("VOXA");
        main->connServer = QStringLiteral("DEMO");
        main->ORACLEVersion = main->osOracle->serverMajorVersion();
        main->changeDateFormat(*main->osOracle, main->currentDateFormat);
        admin::registerJobWindows();
        other = std::make_unique<db::Session>();
        logOn(*other);
    }
    void TearDown() override
    {
        // Servers still running end with the database; the windows go with the main window.
        other.reset();
        main.reset();
        db::setEmbeddedDataDirectory({});
    }

    static void logOn(db::Session& s, const char* user = "VOXA")
    {
        s.setUserName(QString::fromLatin1(user));
        s.setPassword(QString::fromLatin1(user));
        s.setDatabase(QStringLiteral("DEMO"));
        s.logOn();
    }

    // The first value of a query on another session (committed work), "<none>" without a row.
    QString value(const QString& sql)
    {
        db::Query q(other.get());
        q.setSql(sql);
        q.execute();
        return q.eof() ? QStringLiteral("<none>") : q.field(0).toString();
    }
    void run(const QString& sql)
    {
        db::Query q(other.get());
        q.setSql(sql);
        q.execute();
    }

    std::unique_ptr<TfmMain> main;
    std::unique_ptr<db::Session> other;
};

} // namespace jobwindows
