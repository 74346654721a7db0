// The question before a window ends the main session's transaction: which other windows hold work there, the
// user's answer, and the refusal of an unattended run.
#include "db/session.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"
#include "shell/pendingwork.h"
#include "support/person.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

class PendingWorkTest : public testsupport::TempDirTest {
protected:
    std::unique_ptr<TfmMain> create()
    {
        TfmMain::Environment env;
        env.executableDir = tmp.path() + "/";
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\LoginData");
        return std::make_unique<TfmMain>(env);
    }

    // A window that says it has work pending on whichever session it is asked about while `pending` is set.
    struct Holder {
        QWidget window;
        bool pending = false;
        explicit Holder(const QString& name)
        {
            window.setWindowTitle(name);
            shell::registerPendingWork(&window, [this](const db::Session&) {
                return pending ? window.windowTitle() + QStringLiteral(": changes not yet committed") : QString();
            });
        }
    };
};

} // namespace

TEST_F(PendingWorkTest, ListsOtherWindowsOnly)
{
    db::Session session;
    Holder a("WorkSheet_1");
    Holder b("WorkSheet_2");
    EXPECT_TRUE(shell::pendingWorkOfOthers(session, &a.window).isEmpty()) << "nobody holds work yet";
    a.pending = true;
    b.pending = true;
    EXPECT_EQ(shell::pendingWorkOfOthers(session, &a.window),
        QStringList { "WorkSheet_2: changes not yet committed" })
        << "the asking window's own work is its own business";
    {
        Holder gone("WorkSheet_3");
        gone.pending = true;
        EXPECT_EQ(shell::pendingWorkOfOthers(session, nullptr).size(), 3);
    }
    EXPECT_EQ(shell::pendingWorkOfOthers(session, nullptr).size(), 2) << "a destroyed window is forgotten";
}

TEST_F(PendingWorkTest, UnattendedRunRefusesInsteadOfAsking)
{
    auto main = create();
    Holder other("WorkSheet_1");
    QWidget asking;
    EXPECT_TRUE(main->confirmMainSessionEnd(&asking, "Commit")) << "nothing pending: no question";
    other.pending = true;
    main->declRunParam = true;
    EXPECT_FALSE(main->confirmMainSessionEnd(&asking, "Commit")) << "an unattended run must not wait for a person";
}

TEST_F(PendingWorkTest, TheUserDecides)
{
    auto main = create();
    Holder other("WorkSheet_1");
    other.pending = true;
    QWidget asking;
    for (const bool yes : { true, false }) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        bool namesTheWindow = false;
        testsupport::Person person({ { [] { return testsupport::visibleTopLevel<shell::LocalMessageDialog>() != nullptr; },
            [&] {
                auto* box = testsupport::visibleTopLevel<shell::LocalMessageDialog>();
                for (QLabel* label : box->findChildren<QLabel*>())
                    namesTheWindow |= label->text().contains("WorkSheet_1: changes not yet committed");
                for (QPushButton* button : box->findChildren<QPushButton*>()) {
                    if (button->text().remove('&') == (yes ? "Yes" : "No"))
                        QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
                }
            } } });
        EXPECT_EQ(main->confirmMainSessionEnd(&asking, "Commit"), yes);
        EXPECT_TRUE(person.done());
        EXPECT_TRUE(namesTheWindow) << "the question says whose work it would end";
    }
}
