// The audit window on the demo database: the listing of the audit tables with their triggers, the trigger counts and
// the switch of VOXA's audit triggers, and the auditing parameter.
#include "admin/audit.h"
#include "jobwindows_fixture.h"
#include "shell/windowregistry.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

// Texts in failure messages as text.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using jobwindows::DialogAutomat;

class AuditWindow : public jobwindows::JobWindowTest {
protected:
    void SetUp() override
    {
        start("19", QStringLiteral("SLO"));
        (*shell::windowOpener(QStringLiteral("mmAudit")))(*main);
        audit = qobject_cast<TfmAudit*>(main->FfmAuditOra19.data());
        ASSERT_TRUE(audit);
        audit->FormActivate();
    }
    QPointer<TfmAudit> audit;
};

TEST_F(AuditWindow, ListsEachAuditTableWithTheTriggerThatFeedsIt)
{
    EXPECT_EQ(audit->windowTitle(), QStringLiteral("AUDIT VOXA@DEMO"));
    EXPECT_EQ(audit->laBroken->text(), QStringLiteral("Ukinjen :"));
    const QStringList lines = audit->meAudit->toPlainText().split(QLatin1Char('\n'));
    EXPECT_EQ(lines.size(), 7);
    EXPECT_TRUE(
        lines.contains(QStringLiteral("VEXO_AUDIT.AUD_CUSTOMERS\t\tCUSTOMERS\t\ttrigger:AUDIT_CUSTOMERS (ENABLED)")));
    EXPECT_TRUE(lines.contains(QStringLiteral("VEXO_AUDIT.AUD_ITEMS\t\tITEMS\t\ttrigger:AUDIT_ITEMS (DISABLED)")));
    // A table of more than ten characters, and an audit table not named after its table, still find their trigger.
    EXPECT_TRUE(lines.contains(
        QStringLiteral("VEXO_AUDIT.AUD_ISEC_USERS\t\tISEC_USERS\t\ttrigger:AUDIT_ISEC_USERS (ENABLED)")));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("VEXO_AUDIT.AUD_PR107PAR_HISTORY\t\tPR107PAR\t\ttrigger:AUDIT_PR107PAR (ENABLED)")));
    EXPECT_EQ(audit->laEnabledTriggers->text(), QStringLiteral("6"));
    EXPECT_EQ(audit->laDisabledTriggers->text(), QStringLiteral("1"));
}

// Only VOXA's audit triggers are counted and switched, each by its owner-qualified name; a trigger whose name only
// looks like one (AUDITX, the "_" is no wildcard) or that another schema owns is left alone.
TEST_F(AuditWindow, SwitchesOnlyTheApplicationOwnersAuditTriggers)
{
    run(QStringLiteral("create or replace trigger bildor.audit_accounts before insert on bildor.accounts begin null; "
                       "end;"));
    run(QStringLiteral("create or replace trigger voxa.auditx_orders before insert on voxa.orders begin null; end;"));
    audit->CountAuditTriggers();
    EXPECT_EQ(audit->laEnabledTriggers->text(), QStringLiteral("6"));

    DialogAutomat dialogs;
    audit->btDisableTrigg->click();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    EXPECT_EQ(audit->laEnabledTriggers->text(), QString());
    EXPECT_EQ(audit->laDisabledTriggers->text(), QStringLiteral("7"));
    EXPECT_EQ(value(QStringLiteral("select status from all_triggers where owner = 'BILDOR' and trigger_name = "
                                   "'AUDIT_ACCOUNTS'")),
        QStringLiteral("ENABLED"));
    EXPECT_EQ(value(QStringLiteral("select status from all_triggers where trigger_name = 'AUDITX_ORDERS'")),
        QStringLiteral("ENABLED"));
    audit->btEnableTrigg->click();
    EXPECT_EQ(audit->laEnabledTriggers->text(), QStringLiteral("7"));
    EXPECT_EQ(audit->laDisabledTriggers->text(), QString());
}

TEST_F(AuditWindow, AuditingParameterIsSavedOrSaidMissing)
{
    DialogAutomat dialogs;
    EXPECT_EQ(audit->cbAudit->currentText(), QStringLiteral("TRUE"));
    audit->cbAudit->setCurrentText(QStringLiteral("FALSE"));
    audit->btChangeAudit->click();
    EXPECT_EQ(value(QStringLiteral("select val1_107 from voxa.pr107par where attr_007 = 'Auditing' and stat_107 = "
                                   "'1'")),
        QStringLiteral("FALSE"));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    run(QStringLiteral("update voxa.pr107par set stat_107 = '0' where attr_007 = 'Auditing'"));
    other->commit();
    audit->FormActivate();
    EXPECT_EQ(audit->cbAudit->currentText(), QString());
    audit->cbAudit->setCurrentText(QStringLiteral("TRUE"));
    audit->btChangeAudit->click();
    EXPECT_EQ(dialogs.messages.value(0), QStringLiteral("Parametra Auditing ni v VOXA.PR107PAR: nič ni shranjeno."));
    EXPECT_EQ(audit->cbAudit->currentText(), QStringLiteral("TRUE"));
}

} // namespace
