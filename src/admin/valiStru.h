// TfmValiStru: structure validation. Lists an owner's tables by a filter, runs ANALYZE ... VALIDATE STRUCTURE on
// the selected table or on all of them (stoppable; closing the window stops the run first), and shows what this run
// found: the rows INVALID_ROWS got, and the tables that are damaged or could not be validated. The command runner's
// CHECK_TABLES sets the unattended fields and starts the window from its start timer.
#pragma once

#include <QDateTime>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QToolButton;
class QWidget;
class TThemedDBGrid;
class TfmMain;
class TfmRepairTable;

namespace db {
class DataSet;
}

class TfmValiStru : public QWidget {
    Q_OBJECT
public:
    explicit TfmValiStru(TfmMain& main, QWidget* parent = nullptr);

    // What one run found, table by table.
    struct RunReport {
        QStringList damaged; // ORA-01498: the table's storage is damaged
        QStringList mismatched; // ORA-01499: an index does not agree with its rows
        QStringList notValidated; // the statement could not run (the error after the name)
        int validated = 0;
        bool stopped = false;
        bool ok() const { return damaged.isEmpty() && mismatched.isEmpty() && notValidated.isEmpty() && !stopped; }
    };

    void setLanguageTexts();
    void btRefreshClick();
    // Validates one table and notes the outcome in `report`.
    void ValidateTable(const QString& table);
    void btAnalClick();
    void btAnalAllClick();
    void btCancelClick();
    void ShowInvalidRows();
    void tiStartTimer();
    TfmRepairTable* btRepairClick();
    // The command runner's CHECK_TABLES: owner, filter and "CASCADE" as the command's three parameters (empty or
    // NULL keep the window's value); the unattended mode is set and the start timer started.
    void startUnattended(const QString& owner, const QString& filter, const QString& cascade);
    bool running() const { return runActive; }
    const RunReport& lastReport() const { return report; }

    // Unattended-mode fields, as the command runner sets them.
    bool pAuto = false;
    bool pKonec = false;
    QString nizKonec;
    QTimer* tiStart = nullptr;

    QLineEdit* edUser = nullptr;
    QLineEdit* edTabFilter = nullptr;
    QToolButton* btRefresh = nullptr;
    QPushButton* btRepair = nullptr;
    QPushButton* btExit = nullptr;
    TThemedDBGrid* dbgTables = nullptr;
    QWidget* paSide = nullptr;
    QLabel* laAnalCaption = nullptr;
    QLabel* laAnalTable = nullptr;
    QLabel* laUser = nullptr;
    QLabel* laFilter = nullptr;
    QCheckBox* cbCascade = nullptr;
    QPushButton* btAnal = nullptr;
    QPushButton* btAnalAll = nullptr;
    QPushButton* btCancel = nullptr;
    QPlainTextEdit* meReport = nullptr;
    db::DataSet* quTables = nullptr;
    db::DataSet* quNapake = nullptr;

signals:
    // A run (also an unattended one) has ended: whether every table validated without a finding.
    void checkFinished(bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool prepareRun();
    void finishRun();
    QString reportText() const;

    TfmMain& main;
    RunReport report;
    QDateTime runStart;
    bool runActive = false;
    bool closeAfterRun = false;
    QString nizOwnerEmpty;
};
