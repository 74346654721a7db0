// The record navigator under the worksheet's result grid: insert, delete, edit and refresh of the current record,
// and the two query-by-example buttons the Setup menu shows. Each button acts on the data set and then says which
// one was pressed, so the window can follow with its transaction buttons.
#pragma once

#include "db/dataset.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QToolButton;

namespace develop {

class DataSetNavigator : public QWidget {
    Q_OBJECT
public:
    enum class Button { Insert, Delete, Edit, Refresh, EnterQuery, ExecuteQuery };

    explicit DataSetNavigator(QWidget* parent = nullptr);

    void setDataSet(db::DataSet* dataSet);
    db::DataSet* dataSet() const { return ds; }
    // Shows the two query-by-example buttons (156 pixels wide) or hides them (104).
    void setQueryByExample(bool on);
    bool queryByExample() const { return qbe; }
    // Enabled buttons follow the data set: nothing to do on a closed one.
    void updateButtons();
    QToolButton* button(Button b) const;
    // While it answers true (the window's statement is at work on the session) a press does nothing.
    void setBusyCheck(std::function<bool()> check) { busy = std::move(check); }

signals:
    void clicked(develop::DataSetNavigator::Button button);
    void failed(const QString& message);

private:
    void press(Button b);

    QPointer<db::DataSet> ds;
    std::function<bool()> busy;
    bool qbe = false;
    QToolButton* buttons[6] = {};
};

} // namespace develop
