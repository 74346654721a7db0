#include "shell/localmessagedlg.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace shell {

namespace {

struct ButtonInfo {
    const char* name;
    const char* english;
    const char* slovenian;
    int modalResult;
};

const ButtonInfo buttonInfos[10] = {
    { "Yes", "&Yes", "&Da", mrYes },
    { "No", "&No", "&Ne", mrNo },
    { "OK", "&OK", "&OK", mrOk },
    { "Cancel", "&Cancel", "&Prekliči", mrCancel },
    { "Abort", "&Abort", "Pre&kini", mrAbort },
    { "Retry", "&Repeat", "Po&novi", mrRetry },
    { "Ignore", "&Ignore", "Prez&ri", mrIgnore },
    { "All", "A&ll", "&Vse", mrAll },
    { "Help", "&Help", "Po&moč", mrNone },
    { "Popravi", "&Edit", "&Popravi", mrRetry },
};

constexpr int helpBit = 8;

// Rounded a * b / c, the way the dialog's metrics were always scaled from dialog units.
int mulDiv(int a, int b, int c)
{
    return int((qint64(a) * b + c / 2) / c);
}

// The application's title when the dialogs were first used.
const QString& moduleCaption()
{
    static const QString caption = QGuiApplication::applicationDisplayName();
    return caption;
}

QStyle::StandardPixmap iconOf(MsgDlgType kind)
{
    switch (kind) {
    case MsgDlgType::mtWarning:
        return QStyle::SP_MessageBoxWarning;
    case MsgDlgType::mtError:
        return QStyle::SP_MessageBoxCritical;
    case MsgDlgType::mtInformation:
        return QStyle::SP_MessageBoxInformation;
    case MsgDlgType::mtConfirmation:
        return QStyle::SP_MessageBoxQuestion;
    case MsgDlgType::mtCustom:
        break;
    }
    return QStyle::SP_CustomBase;
}

} // namespace

QSize AverageCharSize(const QFontMetrics& metrics)
{
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return QSize(metrics.horizontalAdvance(letters) / 52, metrics.height());
}

LocalMessageDialog::LocalMessageDialog(QWidget* parent)
    : QDialog(parent)
{
}

void LocalMessageDialog::reject()
{
    done(mrCancel);
}

void LocalMessageDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (cancelBtn)
            cancelBtn->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::unique_ptr<LocalMessageDialog> CreateLocalMessageDialog(
    const QString& text, MsgDlgType kind, MsgDlgButtons buttons, const QString& language)
{
    auto dialog = std::make_unique<LocalMessageDialog>();
    dialog->setObjectName(QStringLiteral("LocalMessageDialog"));
    const QFontMetrics metrics(dialog->font());
    const QSize avg = AverageCharSize(metrics);
    const int w = avg.width();
    const int h = avg.height();
    const int horzMargin = mulDiv(8, w, 4);
    const int vertMargin = mulDiv(8, h, 8);
    const int horzSpacing = mulDiv(10, w, 4);
    const int vertSpacing = mulDiv(10, h, 8);
    int buttonWidth = mulDiv(50, w, 4);
    int buttonHeight = mulDiv(14, h, 8);
    const int buttonSpacing = mulDiv(4, w, 4);

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QRect textRect
        = metrics.boundingRect(QRect(0, 0, screenRect.width() / 2, 0), Qt::TextWordWrap | Qt::AlignLeft, text);
    const int textWidth = textRect.width();
    int textHeight = textRect.height();

    const bool withIcon = kind != MsgDlgType::mtCustom;
    int iconTextWidth = textWidth;
    int iconTextHeight = textHeight;
    if (withIcon) {
        iconTextWidth += 32 + horzSpacing;
        iconTextHeight = std::max(iconTextHeight, 32);
    }

    const bool slovenian = language == QLatin1String("SLO");
    const MsgDlgButtons set = buttons & 0x3FF;
    QList<QPushButton*> created;
    for (int bit = 0; bit < 10; ++bit) {
        if (!(set & (1 << bit)))
            continue;
        const ButtonInfo& info = buttonInfos[bit];
        auto* button = new QPushButton(QString::fromUtf8(slovenian ? info.slovenian : info.english), dialog.get());
        button->setObjectName(QString::fromLatin1(info.name));
        button->setProperty("modalResult", info.modalResult);
        // Captions of wide fonts must not be clipped: the one width of all buttons grows to the widest caption.
        buttonWidth = std::max(buttonWidth, button->sizeHint().width());
        buttonHeight = std::max(buttonHeight, button->sizeHint().height());
        created.append(button);
    }
    const int count = int(created.size());
    const int groupWidth = count == 0 ? 0 : count * buttonWidth + (count - 1) * buttonSpacing;

    auto* label = new QLabel(text, dialog.get());
    label->setObjectName(QStringLiteral("Message"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    textHeight = std::max(textHeight, label->heightForWidth(textWidth));
    if (!withIcon)
        iconTextHeight = textHeight;
    else
        iconTextHeight = std::max(textHeight, 32);

    const int clientWidth = std::max(iconTextWidth, groupWidth) + 2 * horzMargin;
    const int clientHeight = iconTextHeight + buttonHeight + vertSpacing + 2 * vertMargin;
    dialog->resize(clientWidth, clientHeight);
    dialog->move(screenRect.width() / 2 - clientWidth / 2, screenRect.height() / 2 - clientHeight / 2);
    dialog->setWindowTitle(moduleCaption());

    if (withIcon) {
        auto* image = new QLabel(dialog.get());
        image->setObjectName(QStringLiteral("Image"));
        image->setPixmap(dialog->style()->standardIcon(iconOf(kind), nullptr, dialog.get()).pixmap(32, 32));
        image->setGeometry(horzMargin, vertMargin, 32, 32);
    }
    label->setGeometry(iconTextWidth - textWidth + horzMargin, vertMargin, textWidth, textHeight);

    auto find = [&created](const char* name) -> QPushButton* {
        for (QPushButton* b : created) {
            if (b->objectName() == QLatin1String(name))
                return b;
        }
        return nullptr;
    };
    QPushButton* defaultButton = find("OK");
    if (!defaultButton)
        defaultButton = find("Yes");
    if (!defaultButton)
        defaultButton = find("Retry");
    QPushButton* cancelButton = find("Cancel");
    if (!cancelButton)
        cancelButton = find("No");
    if (!cancelButton)
        cancelButton = find("Ignore");
    if (!cancelButton)
        cancelButton = find("OK");
    dialog->defaultBtn = defaultButton;
    dialog->cancelBtn = cancelButton;

    int x = (clientWidth - groupWidth) / 2;
    LocalMessageDialog* dlg = dialog.get();
    for (QPushButton* button : created) {
        button->setGeometry(x, iconTextHeight + vertMargin + vertSpacing, buttonWidth, buttonHeight);
        x += buttonWidth + buttonSpacing;
        if (button == defaultButton) {
            button->setDefault(true);
            button->setFocus();
        }
        if (button->objectName() == QLatin1String(buttonInfos[helpBit].name)) {
            // No help file is configured: the help button answers without closing the dialog.
            continue;
        }
        const int result = button->property("modalResult").toInt();
        QObject::connect(button, &QPushButton::clicked, dlg, [dlg, result] { dlg->done(result); });
    }
    return dialog;
}

int LocalMessageDlgPos(const QString& text, MsgDlgType kind, MsgDlgButtons buttons, int helpContext, int left, int top,
    const QString& language)
{
    std::unique_ptr<LocalMessageDialog> dialog = CreateLocalMessageDialog(text, kind, buttons, language);
    QPoint pos = dialog->pos();
    dialog->setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    dialog->setPalette(palette);
    dialog->setHelpContext(helpContext);
    if (left >= 0)
        pos.setX(left);
    if (top >= 0)
        pos.setY(top);
    dialog->move(pos);
    if (dialog->defaultButton())
        dialog->defaultButton()->setFocus();
    return dialog->exec();
}

int LocalMessageDlg(
    const QString& text, MsgDlgType kind, MsgDlgButtons buttons, int helpContext, const QString& language)
{
    return LocalMessageDlgPos(text, kind, buttons, helpContext, -1, -1, language);
}

} // namespace shell
