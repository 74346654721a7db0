// TfmRepairTable: rescuing a damaged table. It examines the table (key index, row count read directly and through
// the key), finds the first unreadable row by the halving search, copies the rows before it into a new table and the
// rest through the key; as SYS it lists and marks the damaged blocks through DBMS_REPAIR. It works on a session of
// its own, logged on as the main session is: reading a damaged table inside a transaction would cost the main
// session's pending work.
#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class TfmMain;

namespace db {
class Session;
}

class TfmRepairTable : public QWidget {
    Q_OBJECT
public:
    explicit TfmRepairTable(TfmMain& main, QWidget* parent = nullptr);
    ~TfmRepairTable() override;

    void setLanguageTexts();
    void btOsveziClick();
    void btFindErrorClick();
    void btCreateNewClick();
    void btAddRecClick();
    void btFIndErrorRepairClick();
    void btFixClick();
    // The window's own session, logged on when first needed; nullptr (after a message) when that failed.
    db::Session* session();
    bool busy() const { return working; }

    QLineEdit* edUser = nullptr;
    QLineEdit* edTabela = nullptr;
    QToolButton* btOsvezi = nullptr;
    QPushButton* btKonec = nullptr;
    QLabel* laUser = nullptr;
    QLabel* laTabelaCaption = nullptr;
    QLabel* laTableCaption = nullptr;
    QLabel* laIndexCaption = nullptr;
    QLabel* laCountCaption = nullptr;
    QLabel* laTable = nullptr;
    QLabel* laIndex = nullptr;
    QLabel* laKeyColumns = nullptr;
    QLabel* laCount = nullptr;
    QLabel* laNapaka = nullptr;
    QLabel* laStatus = nullptr;
    QTabWidget* pcMethods = nullptr;
    QWidget* tabCopy = nullptr;
    QWidget* tabRepair = nullptr;
    QLabel* laNewTable = nullptr;
    QLabel* laUseIndex = nullptr;
    QLabel* laIndexFields = nullptr;
    QLabel* laRownum = nullptr;
    QLineEdit* edNewTable = nullptr;
    QLineEdit* edUseIndex = nullptr;
    QLineEdit* edIndexFields = nullptr;
    QLineEdit* edRownum = nullptr;
    QPushButton* btCreateNew = nullptr;
    QPushButton* btAddRec = nullptr;
    QPushButton* btFindError = nullptr;
    QLabel* laRepairedCaption = nullptr;
    QLabel* laRepaired = nullptr;
    QLabel* laBrokenIndexes = nullptr;
    QPushButton* btFix = nullptr;
    QPushButton* btFIndErrorRepair = nullptr;

    QString p_trenTabela;
    QString P_nizPK;
    QString p_nizPKKljuc;
    qint64 p_zapisov = 0;
    qint64 p_napaka = 0;
    bool p_tabelaOK = true;
    bool p_pkOK = true;

    QString nizNotExists, nizCount, nizDel, nizNiNi, nizCopy, nizCopyEnd, nizCrEnd, nizPoprIndex;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void status(const QString& text);
    void message(const QString& text);
    QString owner() const;
    QString table() const;

    TfmMain& main;
    std::unique_ptr<db::Session> own;
    bool working = false;
    bool stopRequested = false;
};
