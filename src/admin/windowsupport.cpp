// Shared window helpers of the administration windows.
#include "admin/windowsupport.h"

#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/localmessagedlg.h"
#include "shell/themedgrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QValidator>

#include <cstdio>

namespace admin {

namespace {

// Keeps what is typed in upper case, as the owner and table boxes of the design do.
class UpperCaseValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

} // namespace

bool slovenian(const TfmMain& main)
{
    return main.currLanguage == QLatin1String("SLO");
}

void showMessage(QWidget* parent, const TfmMain& main, const QString& text, bool unattended)
{
    if (unattended || main.pAutoG) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return;
    }
    Q_UNUSED(parent);
    shell::LocalMessageDlg(text, shell::MsgDlgType::mtInformation, shell::MsgDlgBtn::mbOK, 0, main.currLanguage);
}

bool askYesNo(QWidget* parent, const TfmMain& main, const QString& text, bool unattended)
{
    Q_UNUSED(parent);
    if (unattended || main.pAutoG) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return false;
    }
    return shell::LocalMessageDlg(
               text, shell::MsgDlgType::mtConfirmation, shell::MsgDlgBtn::mbYesNo, 0, main.currLanguage)
        == shell::mrYes;
}

TThemedDBGrid* dataGrid(QWidget* parent, const char* name, db::DataSet* dataSet)
{
    auto* grid = qobject_cast<TThemedDBGrid*>(shell::createDataGrid(QStringLiteral("TDBGrid"), parent));
    if (!grid)
        grid = new TThemedDBGrid(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setDataSet(dataSet);
    grid->setDrawNullCells(true);
    return grid;
}

void fitColumns(TThemedDBGrid* grid, int percent)
{
    shell::AdjustGridColumns(grid, 1, grid->isVisible() && grid->width() > 100 ? percent : 0);
}

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QLineEdit* edit(QWidget* parent, const char* name, bool upperCase)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (upperCase)
        e->setValidator(new UpperCaseValidator(e));
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QToolButton* toolButton(QWidget* parent, const char* name, const QString& text, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    b->setMinimumSize(24, 24);
    return b;
}

QString captionWithLogon(const TfmMain& main, const QString& caption)
{
    return caption + QStringLiteral("  (") + main.connUser + QLatin1Char('@') + main.connServer + QLatin1Char(')');
}

} // namespace admin
