// What the structure, validation and repair windows share in building themselves and talking to the user: the
// interface language, messages that go to the error output in an unattended run, the themed data grid, and small
// control factories that give every control its name.
#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWidget;
class TThemedDBGrid;
class TfmMain;

namespace db {
class DataSet;
}

namespace admin {

bool slovenian(const TfmMain& main);
// A message in the window's language (LocalMessageDlg); in an unattended run it goes to the error output instead.
void showMessage(QWidget* parent, const TfmMain& main, const QString& text, bool unattended = false);
// A Yes/No question; an unattended run never asks and gets No.
bool askYesNo(QWidget* parent, const TfmMain& main, const QString& text, bool unattended = false);

// A themed data grid over the data set (shell::createDataGrid), named.
TThemedDBGrid* dataGrid(QWidget* parent, const char* name, db::DataSet* dataSet);
// Fits a grid's columns to titles and contents (shell::AdjustGridColumns), each capped at `percent` of the grid's
// width once the grid is on screen; a grid not shown yet has no width to take a share of, so nothing is capped.
void fitColumns(TThemedDBGrid* grid, int percent);
QLabel* label(QWidget* parent, const char* name, const QString& text);
QLineEdit* edit(QWidget* parent, const char* name, bool upperCase = false);
QPushButton* button(QWidget* parent, const char* name, const QString& text);
QToolButton* toolButton(QWidget* parent, const char* name, const QString& text, const QString& hint);

// The caption of a window created with "  (user@server)" after it.
QString captionWithLogon(const TfmMain& main, const QString& caption);

} // namespace admin
