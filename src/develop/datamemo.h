// A text pane bound to one column of a data set, the way the worksheet's memo under its result grid works: it
// shows that column of the current record as the record moves, and when the result can be changed (cached updates,
// a ROWID to key them) the text typed into it goes into the field, the record going into edit state as a grid edit
// does. Otherwise, and for columns that hold no text, it is read-only.
#pragma once

#include <QObject>
#include <QPointer>

class QPlainTextEdit;

namespace db {
class DataSet;
}

namespace develop {

class DataAwareMemo : public QObject {
    Q_OBJECT
public:
    DataAwareMemo(QPlainTextEdit* memo, db::DataSet* dataSet, QObject* parent = nullptr);

    // Binds the pane to the data set's column; -1 unbinds it (the pane is emptied and read-only).
    void bind(int column);
    int column() const { return boundColumn; }
    // Whether text typed into the pane goes into the field of the current record.
    bool writable() const;
    // Shows the bound field of the current record and sets the pane read-only or not.
    void refresh();

signals:
    // The field could not take the text (the pane then shows the field as it is).
    void failed(const QString& message);

private:
    void typed();
    bool textColumn() const;

    QPointer<QPlainTextEdit> memo;
    QPointer<db::DataSet> ds;
    int boundColumn = -1;
    bool showing = false; // the pane is being filled from the field
    bool writing = false; // the field is being filled from the pane
    bool crlf = false; // the field's lines end with CR LF, and keep doing so when edited
};

} // namespace develop
