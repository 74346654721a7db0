// TfmConnect: the logon dialog of every session of the program, the main one and a worksheet's own. Lists the
// database names the Oracle client and the embedded engine offer, logs the given session on (also as SYSDBA),
// admits users outside the schema owners only when the application marks them as administrators, and can keep
// the user, database and password for the next time.
#pragma once

#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TfmMain;

namespace db {
class Session;
}

class TfmConnect : public QDialog {
    Q_OBJECT
public:
    explicit TfmConnect(TfmMain* main, QWidget* parent = nullptr);

    // Set by the creator before the dialog is shown.
    db::Session* doaOracle = nullptr; // the session to log on
    QPointer<QWidget> connForm; // the window whose caption shows the logon
    bool FSaveLoginData = false;
    QString napakaConn; // "ACCESS DENIED " / "NEDOVOLJEN DOSTOP "

    // The database names offered; by default those of the Oracle client and the embedded databases.
    void setDatabaseNames(const QStringList& names);

    // Whether the dialog ended with a logon.
    bool logonAccepted() const { return accepted; }
    // An automatic logon that could not be made: why (no person is asked in an unattended run).
    QString automaticLogonFailure() const { return autoFailure; }

    QLabel* laUser;
    QLabel* laPassword;
    QLabel* laDatabase;
    QLineEdit* edUser;
    QLineEdit* edPassword;
    QComboBox* cbDatabases;
    QCheckBox* cbSysdba;
    QCheckBox* cbConnect;
    QPushButton* btConnect;
    QPushButton* btExit;
    QTimer* tiAuto;

    void FormActivate();
    void btConnectClick();
    void btExitClick();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    bool isMainSession() const;
    // The dialog logs on by itself (an unattended run): no person reads its messages.
    bool automaticMode() const;
    void report(const QString& text);
    void reportLoginDataNotSaved();

    TfmMain* fmMain;
    QStringList databaseNames;
    bool namesGiven = false;
    bool activated = false;
    bool accepted = false;
    QString autoFailure;
};

namespace shell {

// The database names the logon dialog offers: the Oracle client's aliases in their order, then the embedded
// databases, upper-cased.
QStringList logonDatabaseNames();

// Installs the connection sequence as the main window's logon step and its Connect and Disconnect menu commands.
void installConnectionSequence(TfmMain& main);

// The connection sequence of the main window: the logon dialog, the rights test, the audit host, the enabling of
// the database tools, the version, the date format and the application user.
void tbConnectClick(TfmMain& main);

} // namespace shell
