// TfmDisRef: the disabled foreign keys of an owner (or of every owner), the columns of the selected one, the query
// of its orphan rows, those rows on request, and enabling the key. Each key is read and enabled under its own owner.
#pragma once

#include "admin/orphans.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TThemedDBGrid;
class TfmMain;

namespace db {
class DataSet;
}

class TfmDisRef : public QWidget {
    Q_OBJECT
public:
    explicit TfmDisRef(TfmMain& main, QWidget* parent = nullptr);

    void setLanguageTexts();
    void btRefrNapClick();
    void FindOrphanQuery();
    void btNapakeClick();
    void spCaptureClick();
    void btEnableClick();
    // The key of the current row of the list; empty when there is none.
    admin::DisabledKey currentKey() const;
    QString orphanQueryText() const { return orphan.text; }

    QLineEdit* edUser = nullptr;
    QToolButton* btRefrNap = nullptr;
    TThemedDBGrid* dbgDisabled = nullptr;
    TThemedDBGrid* dbgNapake = nullptr;
    QLabel* laUser = nullptr;
    QLabel* laTabelaCaption = nullptr;
    QLabel* laTabela = nullptr;
    QLabel* laKoloneCaption = nullptr;
    QLabel* laKolone = nullptr;
    QLabel* laStat = nullptr;
    QToolButton* spCapture = nullptr;
    QPushButton* btNapake = nullptr;
    QPushButton* btEnable = nullptr;
    QPushButton* btExit = nullptr;
    db::DataSet* quConsNap = nullptr;
    db::DataSet* quNapake = nullptr;
    QString nizWorking;
    QString nizEnabling;

private:
    void showStatus(const QString& text);

    TfmMain& main;
    admin::OrphanQuery orphan;
};
