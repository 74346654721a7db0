#include "shell/logon.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "platform/inifile.h"
#include "shell/mainservices.h"

#include <QDir>

namespace shell {

const QStringList& exemptUsers()
{
    static const QStringList users = {
        // The application's own schemas.
        QStringLiteral("SYS"), QStringLiteral("SYSTEM"), QStringLiteral("VOXA"), QStringLiteral("BILDOR"),
        QStringLiteral("VEXO_SERVIS"), QStringLiteral("VEXO_UTIL"), QStringLiteral("VEXO_AUDIT"),
        QStringLiteral("BLOB"),
        // Owners of the other applications installed beside it.
        QStringLiteral("ARHIV"), QStringLiteral("KADRI"), QStringLiteral("PLACE"), QStringLiteral("SKLADISCE"),
        QStringLiteral("FINANCE"), QStringLiteral("NABAVA"), QStringLiteral("DOKUMENTI"),
    };
    return users;
}

bool isExemptUser(const QString& user)
{
    return exemptUsers().contains(user.trimmed(), Qt::CaseInsensitive);
}

QString aliasForDatabase(const QString& quandrelDir, const QString& name)
{
    if (quandrelDir.isEmpty())
        return name;
    const QString file = QDir(quandrelDir).filePath(QStringLiteral("TNSNAMES.INI"));
    if (!QFileInfo::exists(file))
        return name;
    platform::IniFile ini(file);
    const QString alias = ini.readString(QStringLiteral("ALIAS"), name, name);
    return alias.isEmpty() ? name : alias;
}

QString ownerAfterLogon(const QString& currOwner, const QString& typedUser)
{
    static const QStringList owners = { QStringLiteral("VOXA"), QStringLiteral("BILDOR"), QStringLiteral("VEXO_UTIL") };
    if (currOwner.isEmpty() || owners.contains(typedUser, Qt::CaseSensitive))
        return typedUser;
    return currOwner;
}

bool isAdministrator(db::Session& session, const QString& user, QString* error)
{
    try {
        db::Query qryUsers(&session);
        qryUsers.setSql(QStringLiteral(
            "select ROWID, USER__ID, USERNAME, USERPSWD, USERDEF1, USERDEF2, USERLACC, USERACCC, USERENAB, USERADMI,\n"
            "  VOXA.PCKVEXOLOG.USERISVALID(USERDEF1) UserIsValid\n"
            "from VOXA.ISEC_USERS where UPPER(USERNAME)=UPPER(:USERNAME)"));
        qryUsers.declareVariable(QStringLiteral("USERNAME"), db::BindType::String);
        qryUsers.setVariable(QStringLiteral("USERNAME"), user);
        qryUsers.execute();
        if (qryUsers.eof())
            return false;
        const QVariant admin = qryUsers.field(QStringLiteral("USERADMI"));
        if (admin.isNull())
            return false;
        // A Boolean field: a number other than 0, or a text such as "T", "Y", "1", "D" (da), is true.
        bool numeric = false;
        const double n = admin.toString().toDouble(&numeric);
        if (numeric)
            return n != 0;
        const QString t = admin.toString().trimmed().toUpper();
        return t == QLatin1String("T") || t == QLatin1String("TRUE") || t == QLatin1String("Y") || t == QLatin1String("D");
    } catch (const db::OracleError& e) {
        if (error)
            *error = e.message();
        return false;
    }
}

OracleVersion splitOracleVersion(const QString& text)
{
    OracleVersion v;
    v.all = text;
    int p = text.indexOf(QLatin1Char('.')) + 1; // 1-based position, 0 when none
    if (p == 0 || p > 3)
        p = 2;
    v.major = text.left(p - 1);
    v.minor = text.mid(p, 1);
    return v;
}

std::optional<QString> versionFromBanner(const QString& banner)
{
    const QString upper = banner.toUpper();
    const int at = upper.indexOf(QLatin1String("RELEASE "));
    if (at < 0)
        return std::nullopt;
    QString rest = upper.mid(at + 8);
    int i = 0;
    while (i < rest.size() && rest.at(i) == QLatin1Char(' '))
        ++i;
    rest = rest.mid(i);
    const int blank = rest.indexOf(QLatin1Char(' '));
    return blank < 0 ? rest : rest.left(blank);
}

OracleVersion getOracleVersion(db::Session& session)
{
    const QString configured = BeriParameter(session, QStringLiteral("OracleVersion")).value;
    if (!configured.isEmpty())
        return splitOracleVersion(configured);
    std::optional<QString> text;
    try {
        db::Query quVersionRelease(&session);
        quVersionRelease.setSql(QStringLiteral("select * from V$VERSION where upper(banner) like 'ORACLE%'"));
        quVersionRelease.execute();
        if (!quVersionRelease.eof())
            text = versionFromBanner(quVersionRelease.field(QStringLiteral("BANNER")).toString());
    } catch (const db::OracleError&) {
    }
    if (!text) {
        try {
            db::Query quVersion(&session);
            quVersion.setSql(QStringLiteral("select value from v$parameter where name='compatible'"));
            quVersion.execute();
            if (!quVersion.eof())
                text = quVersion.field(QStringLiteral("VALUE")).toString();
        } catch (const db::OracleError&) {
        }
    }
    if (!text)
        return { QStringLiteral("8.xxx"), QStringLiteral("8"), QStringLiteral("0") };
    return splitOracleVersion(*text);
}

namespace {

// The number of audit tables of an owner, here or behind "@host"; a failing count is 0.
int auditTableCount(db::Session& session, const QString& owner, const QString& host)
{
    try {
        db::Query q(&session);
        q.setSql(QStringLiteral("select count(*) vseh from all_tables") + (host.isEmpty() ? QString() : QLatin1Char('@') + host)
            + QStringLiteral(" where owner=") + sqlQuote(owner) + QStringLiteral(" and  table_name like 'AUD_%'"));
        q.execute();
        return q.eof() ? 0 : q.field(QStringLiteral("VSEH")).toInt();
    } catch (const db::OracleError&) {
        return 0;
    }
}

} // namespace

AuditHost findAuditHost(db::Session& session)
{
    AuditHost result;
    const bool wasInTransaction = session.inTransaction();
    try {
        db::Query quDynSistem1(&session);
        quDynSistem1.setSql(QStringLiteral(
            "select username,host from user_db_links where user='VOXA' and db_link='VEXOAUDT'"));
        quDynSistem1.execute();
        if (!quDynSistem1.eof()) {
            result.user = quDynSistem1.field(QStringLiteral("USERNAME")).toString();
            result.host = quDynSistem1.field(QStringLiteral("HOST")).toString();
            if (auditTableCount(session, result.user, result.host) > 5)
                result.kind = QStringLiteral("Z");
        }
    } catch (const db::OracleError&) {
    }
    if (result.kind != QLatin1String("Z"))
        result.kind = auditTableCount(session, QStringLiteral("VOXA"), {}) > 5 ? QStringLiteral("L") : QStringLiteral("N");
    if (!wasInTransaction && session.inTransaction())
        session.rollback();
    return result;
}

bool NastaviUserIPL(db::Session& session, const QString& currentDateFormat, const QString& currentUserIpl,
    const QString& connUser, bool severalInstallations, QString* dateFormatError)
{
    if (!session.connected())
        return true;
    const bool formatSet = changeDateFormat(session, session, currentDateFormat, dateFormatError);
    if (currentUserIpl.isEmpty())
        return formatSet;
    try {
        db::Query q(&session);
        q.setSql(QStringLiteral("select status from ALL_objects where object_name='PCKLOGPARAM'\n       and owner=")
            + sqlQuote(severalInstallations ? connUser : QStringLiteral("VOXA")));
        q.execute();
        bool allValid = true;
        for (; !q.eof(); q.next()) {
            if (q.field(QStringLiteral("STATUS")).toString() != QLatin1String("VALID"))
                allValid = false;
        }
        if (!allValid)
            return formatSet;
        // The block takes the user as a bind, so a name with a quote cannot break it.
        db::Query block(&session);
        block.setSql(QStringLiteral("begin\n  ") + (severalInstallations ? QString() : QStringLiteral("voxa."))
            + QStringLiteral("pckLogParam.InitParam(:userIpl);\nend;"));
        block.declareVariable(QStringLiteral("userIpl"), db::BindType::String);
        block.setVariable(QStringLiteral("userIpl"), currentUserIpl);
        block.execute();
    } catch (const db::OracleError&) {
        // The initialisation is a courtesy to the application's logging; the logon does not depend on it.
    }
    return formatSet;
}

} // namespace shell
