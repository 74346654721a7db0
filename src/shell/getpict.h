// The window that shows one picture or text column of the worksheet's current record and loads a picture or a
// text file into it. It is bound to one cell of the creator's result model; writing back to the database is the
// creator's business (it posts or cancels its cached updates).
#pragma once

#include <QDialog>
#include <QPersistentModelIndex>

#include <functional>

class QAbstractItemModel;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace shell {

class TfmGetPict : public QDialog {
    Q_OBJECT
public:
    explicit TfmGetPict(QWidget* parent = nullptr);

    // Set by the creator before the window is shown.
    bool pImage = false; // a picture column; otherwise a text column
    bool popravljanje = false; // the creator's result can be changed; loading is refused otherwise
    QString nizErr; // the refusal; a default explains it when the creator sets none

    QToolButton* LoadButton = nullptr;
    QLabel* DBImage = nullptr;
    QPlainTextEdit* DBMemo = nullptr;
    QPushButton* btExit = nullptr;

    // Binds the image or the memo (by pImage) to the cell; shows the one, hides the other.
    void bindField(QAbstractItemModel* model, const QModelIndex& index);

    // Asks the user for the file to load (picture: bitmaps and JPEG; text: .txt); empty when cancelled.
    std::function<QString(bool picture)> chooseFile;

    void LoadButtonClick();

    static QString defaultRefusal();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showField();
    void showError(const QString& message);

    QScrollArea* imageArea = nullptr;
    QAbstractItemModel* model = nullptr;
    QPersistentModelIndex index;
    bool loadingMemo = false;
};

} // namespace shell
