// The confirmation dialog: asks for the name of the person who acts and, when required, a reason, before a
// server or a job is started or stopped; the caller logs what it returns.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace shell {

struct TConfirmOutput {
    QString SurnameName;
    QString Reason;
    bool Confirm = false; // closed with the OK button
};

class TdlgConfirm : public QDialog {
    Q_OBJECT
public:
    explicit TdlgConfirm(bool neededReason, QWidget* parent = nullptr);

    // Shows the dialog modally and returns what was typed, whatever button closed it.
    static TConfirmOutput GetConfirmation(bool neededReason);

    bool FNeededReason = false;

    QLabel* laNameSurname = nullptr;
    QLineEdit* edNameSurname = nullptr;
    QLabel* laReason = nullptr;
    QLineEdit* edReason = nullptr;
    QPushButton* btOK = nullptr;
    QPushButton* btCancel = nullptr;

    void reject() override;

private:
    void updateOk();
};

} // namespace shell
