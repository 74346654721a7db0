// What the logon needs apart from its dialog: the users the administrator check leaves out, the alias a chosen
// database name stands for, the owner after a logon, the server's version, where the application's audit data
// live, and the application user's initialisation after a logon.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace db {
class Session;
}

namespace shell {

// The schema owners the administrator check leaves out: the application's eight and seven of the other
// applications that share its databases. Compared ignoring case.
const QStringList& exemptUsers();
bool isExemptUser(const QString& user);

// The alias to connect with for a database name: the key of that name in section [ALIAS] of TNSNAMES.INI in the
// application directory (quandrelDir, with or without its trailing separator), else the name itself.
QString aliasForDatabase(const QString& quandrelDir, const QString& name);

// The owner after a logon as `typedUser`: the typed user when the owner was empty or when the typed user is one of
// the owners VOXA, BILDOR, VEXO_UTIL written as they are (a whole name; "voxa" or "XA" is none of them).
QString ownerAfterLogon(const QString& currOwner, const QString& typedUser);

// The administrator check of a user that is not exempt: whether VOXA.ISEC_USERS marks the user as an
// administrator. No row or a null mark is no. A failing query is no as well, and says why in *error.
bool isAdministrator(db::Session& session, const QString& user, QString* error);

struct OracleVersion {
    QString all; // the version text, e.g. "19.0.0.0.0"
    QString major; // "19"
    QString minor; // "0"
};

// Major and minor version from a version text: the major version is the text before the first ".", taken as its
// first two characters when there is no "." or it lies beyond the third character; the minor is the character
// after it.
OracleVersion splitOracleVersion(const QString& text);
// The version text in a V$VERSION banner: what follows "RELEASE " up to the next blank; none without it.
std::optional<QString> versionFromBanner(const QString& banner);
// The server's version: the system parameter "OracleVersion" when set, else the banner of V$VERSION, else the
// compatible parameter, else "8.xxx" (8, 0).
OracleVersion getOracleVersion(db::Session& session);

// Where the application's audit data live: "Z" behind the audit link VEXOAUDT (user and host of the link), "L" in
// VOXA of this database, "N" nowhere. Rolls back a transaction that only its queries opened.
struct AuditHost {
    QString kind = QStringLiteral("N");
    QString user;
    QString host;
};
AuditHost findAuditHost(db::Session& session);

// After a logon: the session's date format, and the application user's initialisation when the user is set and
// the logging package is valid. severalInstallations: the package is the logged-on user's own, else VOXA's.
// Returns false, with the message to show in *dateFormatError ("Wrong DATE FORMAT"), when the server refused the
// date format; the initialisation is made all the same.
bool NastaviUserIPL(db::Session& session, const QString& currentDateFormat, const QString& currentUserIpl,
    const QString& connUser, bool severalInstallations, QString* dateFormatError = nullptr);

} // namespace shell
