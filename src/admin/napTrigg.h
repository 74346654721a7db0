// TfmDisTrigg: the disabled (or enabled) triggers of an owner with their bodies; enables or disables the selected
// trigger or all of them. Each trigger is altered under its own owner; Esc closes the window.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QLabel;
class TThemedDBGrid;
class TfmMain;

namespace db {
class DataSet;
}
namespace develop {
class DataAwareMemo;
}

class TfmDisTrigg : public QWidget {
    Q_OBJECT
public:
    explicit TfmDisTrigg(TfmMain& main, QWidget* parent = nullptr);

    void setLanguageTexts();
    void btRefreshClick();
    // W is "ENABLE" or "DISABLE": the selected trigger, or every listed one when "All" is checked.
    void alterTriggers(const QString& w);
    // The statement for one trigger: "alter trigger owner.name W", both names quoted.
    static QString alterStatement(const QString& owner, const QString& trigger, const QString& w);

    QLineEdit* edOwner = nullptr;
    QRadioButton* rbDisabled = nullptr;
    QRadioButton* rbEnabled = nullptr;
    QPushButton* btRefresh = nullptr;
    QPushButton* btEnable = nullptr;
    QPushButton* btDisable = nullptr;
    QCheckBox* cbShowMemo = nullptr;
    QCheckBox* cbAll = nullptr;
    QPushButton* btEnd = nullptr;
    QLabel* laOwner = nullptr;
    TThemedDBGrid* dbgTrigg = nullptr;
    QPlainTextEdit* meBody = nullptr;
    db::DataSet* quTrigg = nullptr;

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TfmMain& main;
    develop::DataAwareMemo* bodyMemo = nullptr;
};
