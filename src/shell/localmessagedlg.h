// The system's own message dialog: a text with an icon and a row of buttons whose captions follow the interface
// language ("SLO" Slovenian, anything else English). Tool windows ask their Yes/No/Cancel questions through it.
#pragma once

#include <QDialog>
#include <QSize>
#include <QString>

#include <memory>

class QFontMetrics;
class QPushButton;

namespace shell {

// Dialog kinds.
enum class MsgDlgType : quint8 { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };

// Button sets: bit n stands for button n; buttons are laid out in the order of the bits. Bits above 9 are ignored.
using MsgDlgButtons = quint16;
namespace MsgDlgBtn {
inline constexpr MsgDlgButtons mbYes = 1 << 0;
inline constexpr MsgDlgButtons mbNo = 1 << 1;
inline constexpr MsgDlgButtons mbOK = 1 << 2;
inline constexpr MsgDlgButtons mbCancel = 1 << 3;
inline constexpr MsgDlgButtons mbAbort = 1 << 4;
inline constexpr MsgDlgButtons mbRetry = 1 << 5;
inline constexpr MsgDlgButtons mbIgnore = 1 << 6;
inline constexpr MsgDlgButtons mbAll = 1 << 7;
inline constexpr MsgDlgButtons mbHelp = 1 << 8;
inline constexpr MsgDlgButtons mbPopravi = 1 << 9;
inline constexpr MsgDlgButtons mbYesNo = mbYes | mbNo;
inline constexpr MsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
} // namespace MsgDlgBtn

// What the dialog returns for each button (the close box returns mrCancel).
enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 12,
};

// The extent of the 52 letters A-Z and a-z: width is their total width divided by 52, height the text height.
QSize AverageCharSize(const QFontMetrics& metrics);

// The message dialog window: Enter presses the default button, Esc the cancel button (nothing when the set has
// none), the close box returns mrCancel.
class LocalMessageDialog : public QDialog {
    Q_OBJECT
public:
    explicit LocalMessageDialog(QWidget* parent = nullptr);

    QPushButton* defaultButton() const { return defaultBtn; }
    QPushButton* cancelButton() const { return cancelBtn; }
    int helpContext() const { return helpCtx; }
    void setHelpContext(int context) { helpCtx = context; }

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend std::unique_ptr<LocalMessageDialog> CreateLocalMessageDialog(
        const QString&, MsgDlgType, MsgDlgButtons, const QString&);
    QPushButton* defaultBtn = nullptr;
    QPushButton* cancelBtn = nullptr;
    int helpCtx = 0;
};

// Builds the dialog without showing it; the caller owns it.
std::unique_ptr<LocalMessageDialog> CreateLocalMessageDialog(
    const QString& text, MsgDlgType kind, MsgDlgButtons buttons, const QString& language);

// Shows the dialog modally and returns the modal result of the pressed button. left and top place the dialog
// when 0 or more; otherwise it stays centred on the screen.
int LocalMessageDlgPos(const QString& text, MsgDlgType kind, MsgDlgButtons buttons, int helpContext, int left, int top,
    const QString& language);
int LocalMessageDlg(
    const QString& text, MsgDlgType kind, MsgDlgButtons buttons, int helpContext, const QString& language);

} // namespace shell
