#include "shell/confirm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace shell {

namespace {
constexpr int maxTextLength = 200;
constexpr int resultOk = 1;
constexpr int resultCancel = 2;
} // namespace

TdlgConfirm::TdlgConfirm(bool neededReason, QWidget* parent)
    : QDialog(parent)
    , FNeededReason(neededReason)
{
    setObjectName(QStringLiteral("dlgConfirm"));
    setWindowTitle(QStringLiteral("Confirmation"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    laNameSurname = new QLabel(QStringLiteral("Priimek in ime:"), this);
    laNameSurname->setObjectName(QStringLiteral("laNameSurname"));
    edNameSurname = new QLineEdit(this);
    edNameSurname->setObjectName(QStringLiteral("edNameSurname"));
    edNameSurname->setMaxLength(maxTextLength);
    laReason = new QLabel(QStringLiteral("Razlog:"), this);
    laReason->setObjectName(QStringLiteral("laReason"));
    edReason = new QLineEdit(this);
    edReason->setObjectName(QStringLiteral("edReason"));
    edReason->setMaxLength(maxTextLength);
    btOK = new QPushButton(QStringLiteral("V redu"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setEnabled(false);
    btOK->setDefault(true);
    btCancel = new QPushButton(QStringLiteral("Prekliči"), this);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(laNameSurname, 0, 0);
    grid->addWidget(edNameSurname, 0, 1);
    grid->addWidget(laReason, 1, 0);
    grid->addWidget(edReason, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setColumnMinimumWidth(1, 260);
    laNameSurname->setBuddy(edNameSurname);
    laReason->setBuddy(edReason);

    connect(edNameSurname, &QLineEdit::textChanged, this, &TdlgConfirm::updateOk);
    connect(edReason, &QLineEdit::textChanged, this, &TdlgConfirm::updateOk);
    connect(btOK, &QPushButton::clicked, this, [this] { done(resultOk); });
    connect(btCancel, &QPushButton::clicked, this, [this] { done(resultCancel); });
}

void TdlgConfirm::reject()
{
    done(resultCancel);
}

void TdlgConfirm::updateOk()
{
    // Texts are taken as typed: a blank counts as text.
    const bool enabled = FNeededReason ? !edNameSurname->text().isEmpty() && !edReason->text().isEmpty()
                                       : !edNameSurname->text().isEmpty();
    btOK->setEnabled(enabled);
}

TConfirmOutput TdlgConfirm::GetConfirmation(bool neededReason)
{
    TdlgConfirm dialog(neededReason);
    const int result = dialog.exec();
    TConfirmOutput out;
    out.SurnameName = dialog.edNameSurname->text();
    out.Reason = dialog.edReason->text();
    out.Confirm = result == resultOk;
    return out;
}

} // namespace shell
