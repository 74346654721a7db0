#include "shell/confirm.h"
#include "shell/dmuser.h"
#include "shell/idremmoxutils.h"
#include "shell/localmessagedlg.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

using namespace shell;
using namespace shell::MsgDlgBtn;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// Runs act on the modal dialog of type T once it is shown; the modal exec() runs meanwhile.
template <typename T> void whenModalShown(std::function<void(T*)> act)
{
    QTimer::singleShot(0, [act] {
        T* dialog = nullptr;
        const bool shown = testsupport::waitFor([&dialog] {
            dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            return dialog != nullptr && dialog->isVisible();
        });
        ASSERT_TRUE(shown);
        act(dialog);
    });
}

void pressKey(QWidget* w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

QStringList buttonNamesLeftToRight(const QDialog& dialog)
{
    QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    QStringList names;
    for (QPushButton* b : buttons)
        names << b->objectName();
    return names;
}

} // namespace

TEST(LocalMessageDlg, ButtonsCaptionsDefaultAndCancel)
{
    struct Case {
        const char* name;
        MsgDlgButtons buttons;
        QString language;
        QStringList names;
        QStringList captions;
        const char* defaultButton;
        const char* cancelButton;
    };
    const Case cases[] = {
        { "yes", mbYes, QStringLiteral("ANG"), { QStringLiteral("Yes") }, { QStringLiteral("&Yes") }, "Yes", nullptr },
        { "yes no", mbYesNo, QStringLiteral("SLO"), { QStringLiteral("Yes"), QStringLiteral("No") },
            { QStringLiteral("&Da"), QStringLiteral("&Ne") }, "Yes", "No" },
        { "yes no cancel", mbYesNoCancel, QStringLiteral("SLO"),
            { QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Cancel") },
            { QStringLiteral("&Da"), QStringLiteral("&Ne"), QStringLiteral("&Prekliči") }, "Yes", "Cancel" },
        { "lower-case slo is English", mbYesNoCancel, QStringLiteral("slo"),
            { QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("Cancel") },
            { QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("&Cancel") }, "Yes", "Cancel" },
        { "every button in Slovenian", 0xFFFF, QStringLiteral("SLO"),
            { QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("OK"), QStringLiteral("Cancel"),
                QStringLiteral("Abort"), QStringLiteral("Retry"), QStringLiteral("Ignore"), QStringLiteral("All"),
                QStringLiteral("Help"), QStringLiteral("Popravi") },
            { QStringLiteral("&Da"), QStringLiteral("&Ne"), QStringLiteral("&OK"), QStringLiteral("&Prekliči"),
                QStringLiteral("Pre&kini"), QStringLiteral("Po&novi"), QStringLiteral("Prez&ri"),
                QStringLiteral("&Vse"), QStringLiteral("Po&moč"), QStringLiteral("&Popravi") },
            "OK", "Cancel" },
        { "every button in English", 0x3FF, QString(),
            { QStringLiteral("Yes"), QStringLiteral("No"), QStringLiteral("OK"), QStringLiteral("Cancel"),
                QStringLiteral("Abort"), QStringLiteral("Retry"), QStringLiteral("Ignore"), QStringLiteral("All"),
                QStringLiteral("Help"), QStringLiteral("Popravi") },
            { QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("&OK"), QStringLiteral("&Cancel"),
                QStringLiteral("&Abort"), QStringLiteral("&Repeat"), QStringLiteral("&Ignore"), QStringLiteral("A&ll"),
                QStringLiteral("&Help"), QStringLiteral("&Edit") },
            "OK", "Cancel" },
        { "repeat is default without ok and yes", mbRetry | mbIgnore, QString(),
            { QStringLiteral("Retry"), QStringLiteral("Ignore") },
            { QStringLiteral("&Repeat"), QStringLiteral("&Ignore") }, "Retry", "Ignore" },
        { "ok alone is default and cancel", mbOK, QString(), { QStringLiteral("OK") }, { QStringLiteral("&OK") }, "OK",
            "OK" },
        { "no buttons", 0, QString(), {}, {}, nullptr, nullptr },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dialog = CreateLocalMessageDialog(
            QStringLiteral("Nadaljujem?"), MsgDlgType::mtConfirmation, c.buttons, c.language);
        EXPECT_EQ(buttonNamesLeftToRight(*dialog), c.names);
        QStringList captions;
        QSet<int> widths;
        for (const QString& name : c.names) {
            auto* b = dialog->findChild<QPushButton*>(name);
            captions << b->text();
            widths << b->width();
            EXPECT_GE(b->width(), b->sizeHint().width()) << name.toStdString();
            EXPECT_LE(b->geometry().right(), dialog->width());
        }
        EXPECT_EQ(captions, c.captions);
        EXPECT_LE(widths.size(), 1); // one width for every button
        EXPECT_EQ(dialog->defaultButton() ? dialog->defaultButton()->objectName() : QString(),
            QString::fromLatin1(c.defaultButton ? c.defaultButton : ""));
        EXPECT_EQ(dialog->cancelButton() ? dialog->cancelButton()->objectName() : QString(),
            QString::fromLatin1(c.cancelButton ? c.cancelButton : ""));
        if (dialog->defaultButton()) {
            EXPECT_TRUE(dialog->defaultButton()->isDefault());
        }
    }
}

TEST(LocalMessageDlg, EachButtonReturnsItsResult)
{
    struct Case {
        MsgDlgButtons buttons;
        const char* press;
        int result;
    };
    const Case cases[] = {
        { mbYesNoCancel, "Yes", mrYes },
        { mbYesNoCancel, "No", mrNo },
        { mbYesNoCancel, "Cancel", mrCancel },
        { mbOK, "OK", mrOk },
        { mbAbort | mbRetry | mbIgnore, "Abort", mrAbort },
        { mbAbort | mbRetry | mbIgnore, "Retry", mrRetry },
        { mbAbort | mbRetry | mbIgnore, "Ignore", mrIgnore },
        { mbAll | mbNo, "All", mrAll },
        { mbPopravi | mbCancel, "Popravi", mrRetry },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.press);
        whenModalShown<LocalMessageDialog>([name = QString::fromLatin1(c.press)](LocalMessageDialog* d) {
            QPushButton* b = d->findChild<QPushButton*>(name);
            ASSERT_NE(b, nullptr);
            b->click();
        });
        EXPECT_EQ(
            LocalMessageDlg(QStringLiteral("Vprašanje"), MsgDlgType::mtInformation, c.buttons, 0, QString()), c.result);
    }
}

TEST(LocalMessageDlg, KeysHelpAndCloseBox)
{
    // Esc presses the cancel button.
    whenModalShown<LocalMessageDialog>([](LocalMessageDialog* d) { pressKey(d, Qt::Key_Escape); });
    EXPECT_EQ(LocalMessageDlg(QStringLiteral("x"), MsgDlgType::mtConfirmation, mbYesNo, 0, QString()), mrNo);

    // Enter presses the default button.
    whenModalShown<LocalMessageDialog>([](LocalMessageDialog* d) { pressKey(d, Qt::Key_Return); });
    EXPECT_EQ(LocalMessageDlg(QStringLiteral("x"), MsgDlgType::mtConfirmation, mbYesNoCancel, 0, QString()), mrYes);

    // Without a cancel button Esc does nothing, and Help does not close the dialog.
    whenModalShown<LocalMessageDialog>([](LocalMessageDialog* d) {
        pressKey(d, Qt::Key_Escape);
        d->findChild<QPushButton*>(QStringLiteral("Help"))->click();
        QCoreApplication::processEvents();
        EXPECT_TRUE(d->isVisible());
        d->findChild<QPushButton*>(QStringLiteral("Yes"))->click();
    });
    EXPECT_EQ(LocalMessageDlg(QStringLiteral("x"), MsgDlgType::mtInformation, mbYes | mbHelp, 7, QString()), mrYes);

    // The close box gives Cancel.
    whenModalShown<LocalMessageDialog>([](LocalMessageDialog* d) { d->close(); });
    EXPECT_EQ(LocalMessageDlg(QStringLiteral("x"), MsgDlgType::mtInformation, mbYes, 0, QString()), mrCancel);
}

TEST(LocalMessageDlg, LayoutOfTextAndIcon)
{
    const int halfScreen = QGuiApplication::primaryScreen()->geometry().width() / 2;
    QString longText;
    for (int i = 0; i < 60; ++i)
        longText += QStringLiteral("beseda%1 ").arg(i);

    auto wrapped = CreateLocalMessageDialog(longText, MsgDlgType::mtWarning, mbOK, QString());
    auto* message = wrapped->findChild<QLabel*>(QStringLiteral("Message"));
    auto* image = wrapped->findChild<QLabel*>(QStringLiteral("Image"));
    ASSERT_NE(message, nullptr);
    ASSERT_NE(image, nullptr);
    EXPECT_LE(message->width(), halfScreen);
    EXPECT_GT(message->height(), 2 * message->fontMetrics().height());
    EXPECT_GE(message->height(), message->heightForWidth(message->width())); // nothing clipped
    EXPECT_GT(message->x(), image->geometry().right());
    auto* ok = wrapped->findChild<QPushButton*>(QStringLiteral("OK"));
    EXPECT_GT(ok->y(), message->geometry().bottom());
    EXPECT_LE(ok->geometry().bottom(), wrapped->height());

    auto custom = CreateLocalMessageDialog(QStringLiteral("Brez ikone"), MsgDlgType::mtCustom, mbOK, QString());
    EXPECT_EQ(custom->findChild<QLabel*>(QStringLiteral("Image")), nullptr);
    const QSize avg = AverageCharSize(custom->fontMetrics());
    EXPECT_EQ(custom->findChild<QLabel*>(QStringLiteral("Message"))->x(), (8 * avg.width() + 2) / 4);
}

TEST(LocalMessageDlg, PositionGivenOrCentred)
{
    whenModalShown<LocalMessageDialog>([](LocalMessageDialog* d) {
        EXPECT_EQ(d->pos(), QPoint(40, 30));
        EXPECT_EQ(d->helpContext(), 12);
        EXPECT_TRUE(d->windowFlags() & Qt::WindowStaysOnTopHint);
        d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
    });
    EXPECT_EQ(LocalMessageDlgPos(QStringLiteral("x"), MsgDlgType::mtWarning, mbOK, 12, 40, 30, QString()), mrOk);

    auto centred = CreateLocalMessageDialog(QStringLiteral("x"), MsgDlgType::mtWarning, mbOK, QString());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(centred->x(), screen.width() / 2 - centred->width() / 2);
    EXPECT_EQ(centred->y(), screen.height() / 2 - centred->height() / 2);
}

TEST(TdlgConfirm, OkNeedsNameAndWhenAskedReason)
{
    struct Case {
        const char* name;
        bool needReason;
        QString surname, reason;
        bool okEnabled;
    };
    const Case cases[] = {
        { "nothing typed", false, QString(), QString(), false },
        { "name without reason", false, QStringLiteral("Novak Janez"), QString(), true },
        { "reason needed", true, QStringLiteral("Novak Janez"), QString(), false },
        { "name and reason", true, QStringLiteral("Novak Janez"), QStringLiteral("vzdrževanje"), true },
        { "reason alone", true, QString(), QStringLiteral("vzdrževanje"), false },
        { "a blank counts", true, QStringLiteral(" "), QStringLiteral(" "), true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TdlgConfirm dialog(c.needReason);
        EXPECT_FALSE(dialog.btOK->isEnabled());
        dialog.edNameSurname->setText(c.surname);
        dialog.edReason->setText(c.reason);
        EXPECT_EQ(dialog.btOK->isEnabled(), c.okEnabled);
    }
    TdlgConfirm dialog(false);
    EXPECT_EQ(dialog.edNameSurname->maxLength(), 200);
    EXPECT_EQ(dialog.edReason->maxLength(), 200);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Confirmation"));
}

TEST(TdlgConfirm, GetConfirmationReturnsWhatWasTyped)
{
    whenModalShown<TdlgConfirm>([](TdlgConfirm* d) {
        d->findChild<QLineEdit*>(QStringLiteral("edNameSurname"))->setText(QStringLiteral("Novak Janez"));
        d->findChild<QLineEdit*>(QStringLiteral("edReason"))->setText(QStringLiteral("nočni zagon"));
        d->findChild<QPushButton*>(QStringLiteral("btOK"))->click();
    });
    TConfirmOutput out = TdlgConfirm::GetConfirmation(true);
    EXPECT_TRUE(out.Confirm);
    EXPECT_EQ(out.SurnameName, QStringLiteral("Novak Janez"));
    EXPECT_EQ(out.Reason, QStringLiteral("nočni zagon"));

    whenModalShown<TdlgConfirm>([](TdlgConfirm* d) {
        d->findChild<QLineEdit*>(QStringLiteral("edNameSurname"))->setText(QStringLiteral("Kos"));
        d->findChild<QPushButton*>(QStringLiteral("btCancel"))->click();
    });
    out = TdlgConfirm::GetConfirmation(false);
    EXPECT_FALSE(out.Confirm);
    EXPECT_EQ(out.SurnameName, QStringLiteral("Kos"));
    EXPECT_EQ(out.Reason, QString());

    whenModalShown<TdlgConfirm>([](TdlgConfirm* d) {
        d->edNameSurname->setText(QStringLiteral("Kos"));
        pressKey(d, Qt::Key_Escape);
    });
    EXPECT_FALSE(TdlgConfirm::GetConfirmation(false).Confirm);
}

TEST(String2SQlString, ListsBecomeQuotedLiterals)
{
    struct Case {
        const char* name;
        QString list;
        QString expected;
    };
    const Case cases[] = {
        { "comma list", QStringLiteral("A,B"), QStringLiteral("'A','B'") },
        { "blanks around delimiter", QStringLiteral("  A , B "), QStringLiteral("'A','B'") },
        { "blank separates too", QStringLiteral("USER1 USER2"), QStringLiteral("'USER1','USER2'") },
        { "empty list", QString(), QString() },
        { "only blanks", QStringLiteral("   "), QString() },
        { "delimiter at end", QStringLiteral("A,"), QStringLiteral("'A',''") },
        { "empty item between", QStringLiteral("A,,B"), QStringLiteral("'A','','B'") },
        { "quoted item with blank", QStringLiteral("\"SEM 1\",B"), QStringLiteral("'SEM 1','B'") },
        { "quoted item with delimiter and quote", QStringLiteral("\"A,\"\"B\"\"\""), QStringLiteral("'A,\"B\"'") },
        { "single quote cannot leave the literal", QStringLiteral("X') or 1=1 --"),
            QStringLiteral("'X'')','or','1=1','--'") },
        { "quote inside name", QStringLiteral("O'NEIL,KOS"), QStringLiteral("'O''NEIL','KOS'") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TDremmoxHelper::String2SQlString(c.list, QLatin1Char(',')), c.expected);
    }
}

TEST(CanSaveParam, GivesTheSessionAnApplicationUserWhenListed)
{
    struct Case {
        const char* name;
        bool hasUser;
        bool tableExists;
        std::optional<QString> userDef1;
        bool expected;
        QStringList steps;
    };
    const Case cases[] = {
        { "already has a user", true, true, QStringLiteral("1"), true, { QStringLiteral("user") } },
        { "no user table", false, false, std::nullopt, false, { QStringLiteral("user"), QStringLiteral("table") } },
        { "logon user not listed", false, true, std::nullopt, false,
            { QStringLiteral("user"), QStringLiteral("table"), QStringLiteral("find ADMIN") } },
        { "listed user becomes the application user", false, true, QStringLiteral("42"), true,
            { QStringLiteral("user"), QStringLiteral("table"), QStringLiteral("find ADMIN"),
                QStringLiteral("init 42") } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList steps;
        TdmUsers::Statements s;
        s.sessionHasUser = [&] {
            steps << QStringLiteral("user");
            return c.hasUser;
        };
        s.userTableExists = [&] {
            steps << QStringLiteral("table");
            return c.tableExists;
        };
        s.userDef1Of = [&](const QString& user) {
            steps << QStringLiteral("find ") + user;
            return c.userDef1;
        };
        s.initParam = [&](const QString& def) { steps << QStringLiteral("init ") + def; };
        EXPECT_EQ(TdmUsers::CanSaveParam(s, QStringLiteral("ADMIN")), c.expected);
        EXPECT_EQ(steps, c.steps);
    }
}
