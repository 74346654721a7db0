#include "shell/getpict.h"

#include "platform/codepage.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace shell {

TfmGetPict::TfmGetPict(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmGetPict"));
    setWindowTitle(QStringLiteral("Show/Load Blob"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(520, 420);

    LoadButton = new QToolButton(this);
    LoadButton->setObjectName(QStringLiteral("LoadButton"));
    LoadButton->setText(QStringLiteral("Load picture..."));
    btExit = new QPushButton(QStringLiteral("&Exit"), this);
    btExit->setObjectName(QStringLiteral("btExit"));
    btExit->setAutoDefault(false);

    DBImage = new QLabel;
    DBImage->setObjectName(QStringLiteral("DBImage"));
    DBImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imageArea = new QScrollArea(this);
    imageArea->setWidget(DBImage);
    imageArea->setWidgetResizable(true);
    DBMemo = new QPlainTextEdit(this);
    DBMemo->setObjectName(QStringLiteral("DBMemo"));
    DBMemo->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* bar = new QHBoxLayout;
    bar->addWidget(LoadButton);
    bar->addStretch();
    bar->addWidget(btExit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(imageArea, 1);
    layout->addWidget(DBMemo, 1);

    chooseFile = [this](bool picture) {
        return picture ? QFileDialog::getOpenFileName(
                   this, QString(), QString(), QStringLiteral("Bitmaps (*.bmp,*.jpg) (*.jpg *.bmp)"))
                       : QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("teksti (*.txt)"));
    };
    connect(LoadButton, &QToolButton::clicked, this, &TfmGetPict::LoadButtonClick);
    connect(btExit, &QPushButton::clicked, this, &QDialog::close);
    connect(DBMemo, &QPlainTextEdit::textChanged, this, [this] {
        if (!loadingMemo && model && index.isValid() && !pImage && popravljanje)
            model->setData(index, DBMemo->toPlainText(), Qt::EditRole);
    });
}

QString TfmGetPict::defaultRefusal()
{
    return QStringLiteral("This result cannot be changed. Select the rows with ROWID to load a file into them.");
}

void TfmGetPict::bindField(QAbstractItemModel* m, const QModelIndex& i)
{
    model = m;
    index = i;
    showField();
}

void TfmGetPict::showField()
{
    imageArea->setVisible(pImage);
    DBMemo->setVisible(!pImage);
    if (!model || !index.isValid())
        return;
    const QVariant value = model->data(index, Qt::EditRole);
    if (pImage) {
        QPixmap pixmap;
        pixmap.loadFromData(value.toByteArray());
        DBImage->setPixmap(pixmap);
    } else {
        loadingMemo = true;
        DBMemo->setPlainText(value.toString());
        loadingMemo = false;
    }
}

void TfmGetPict::showEvent(QShowEvent* event)
{
    // Text can be typed into the field only when the result can be changed.
    DBMemo->setReadOnly(!popravljanje);
    showField();
    // The control that is not used is hidden before the first paint, so the other one fills the window at once.
    layout()->activate();
    QDialog::showEvent(event);
}

void TfmGetPict::showError(const QString& message)
{
    QMessageBox box(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("getPictMessage"));
    box.exec();
}

void TfmGetPict::LoadButtonClick()
{
    if (!popravljanje) {
        showError(nizErr.isEmpty() ? defaultRefusal() : nizErr);
        return;
    }
    if (!model || !index.isValid())
        return;
    const QString fileName = chooseFile ? chooseFile(pImage) : QString();
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        showError(QStringLiteral("Cannot open %1: %2").arg(fileName, file.errorString()));
        return;
    }
    const QByteArray bytes = file.readAll();
    if (pImage) {
        if (QImage::fromData(bytes).isNull()) {
            showError(QStringLiteral("%1 is not a picture that can be shown (bitmap or JPEG).").arg(fileName));
            return;
        }
        if (!model->setData(index, bytes, Qt::EditRole)) {
            showError(QStringLiteral("The picture could not be put into the field."));
            return;
        }
    } else {
        const QString text = platform::codepage::isValidUtf8(bytes) ? QString::fromUtf8(bytes)
                                                                    : platform::codepage::windows1250ToUnicode(bytes);
        if (!model->setData(index, text, Qt::EditRole)) {
            showError(QStringLiteral("The text could not be put into the field."));
            return;
        }
    }
    showField();
}

} // namespace shell
