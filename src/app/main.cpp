// The program block: creates the application and its one main window, and runs the message loop.
#include "platform/fileinfo.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmorant"));
    QApplication::setApplicationName(QStringLiteral("Dremmox"));
    QApplication::setApplicationVersion(platform::versionText());

    QMainWindow window;
    window.setObjectName(QStringLiteral("fmMain"));
    window.setWindowTitle(QStringLiteral("Dremmox %1").arg(platform::versionText()));
    auto* label = new QLabel(QStringLiteral("Dremmox %1 (built %2)").arg(platform::versionText(), platform::buildDate()),
                             &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.resize(800, 500);
    window.show();
    return QApplication::exec();
}
