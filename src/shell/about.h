// The about window: the program's version, installation hints and the command-line syntax with the command
// language of unattended runs. Opened from the main menu, not modal; frees itself when closed.
#pragma once

#include <QStringList>
#include <QWidget>

class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace shell {

class TfmAbout : public QWidget {
    Q_OBJECT
public:
    // The texts follow the interface language: "SLO" Slovenian, anything else English.
    explicit TfmAbout(const QString& currLanguage = QString(), QWidget* parent = nullptr);

    QTabWidget* pcAbout = nullptr;
    QTreeWidget* tvVersion = nullptr;
    QTreeWidget* tvHints = nullptr;
    QTreeWidget* tvParameters = nullptr;
    QPushButton* btExit = nullptr;

    // The command words of unattended runs that the start-parameter page explains.
    static QStringList commandWords();
};

} // namespace shell
