#include "shell/about.h"

#include "platform/fileinfo.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace shell {

namespace {

struct Node {
    const char* text;
    std::initializer_list<const char*> children;
};

QTreeWidget* makeTree(const char* name, std::initializer_list<Node> nodes, QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setObjectName(QString::fromLatin1(name));
    tree->setHeaderHidden(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (const Node& node : nodes) {
        auto* item = new QTreeWidgetItem(tree, { QString::fromUtf8(node.text) });
        for (const char* child : node.children)
            new QTreeWidgetItem(item, { QString::fromUtf8(child) });
    }
    tree->expandAll();
    return tree;
}

// A database drum: the tool's own picture, drawn so no image file is needed.
QPixmap aboutPicture()
{
    QPixmap pixmap(56, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 70, 110), 2));
    p.setBrush(QColor(90, 140, 200));
    p.drawRect(6, 12, 44, 40);
    p.drawEllipse(QRectF(6, 44, 44, 16));
    p.setPen(Qt::NoPen);
    p.drawRect(7, 13, 42, 39);
    p.setPen(QPen(QColor(40, 70, 110), 2));
    p.drawLine(6, 12, 6, 52);
    p.drawLine(50, 12, 50, 52);
    p.setBrush(QColor(150, 190, 235));
    p.drawEllipse(QRectF(6, 4, 44, 16));
    return pixmap;
}

} // namespace

QStringList TfmAbout::commandWords()
{
    return { QStringLiteral("CONNECT"), QStringLiteral("OWNER"), QStringLiteral("SCRIPT"), QStringLiteral("IZVEDISQL"),
        QStringLiteral("VERSION"), QStringLiteral("LASTVERSIONCHECK"), QStringLiteral("ERRORS"),
        QStringLiteral("REFRESH"), QStringLiteral("COMPARE"), QStringLiteral("GRANT"), QStringLiteral("CHECK_TABLES"),
        QStringLiteral("SISTEM"), QStringLiteral("SHOWLOG"), QStringLiteral("IMPORT"), QStringLiteral("LARGERB"),
        QStringLiteral("RESTRICTEDLOGIN"), QStringLiteral("LANGUAGE"), QStringLiteral("SAVELOGINDATA"),
        QStringLiteral("USELOGINDATA"), QStringLiteral("CLEARLOGINDATA") };
}

TfmAbout::TfmAbout(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("About VU-DER Ovizir"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 480);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imAbout"));
    picture->setPixmap(aboutPicture());
    auto* maker = new QLabel(
        QStringLiteral("Velmorant\nDremmox %1 (%2)").arg(platform::versionText(), platform::buildDate()), this);
    maker->setObjectName(QStringLiteral("laMaker"));
    btExit = new QPushButton(QStringLiteral("&Exit"), this);
    btExit->setObjectName(QStringLiteral("btExit"));
    connect(btExit, &QPushButton::clicked, this, &QWidget::close);

    tvVersion = new QTreeWidget(this);
    tvVersion->setObjectName(QStringLiteral("tvVersion"));
    tvVersion->setHeaderHidden(true);
    auto* current = new QTreeWidgetItem(tvVersion, { platform::versionText() });
    new QTreeWidgetItem(current, { QStringLiteral("Built %1").arg(platform::buildDate()) });
    tvVersion->expandAll();

    tvHints = makeTree("tvHints",
        {
            { "Tables of the utility schema VEXO_UTIL",
                { "VEXO_HIST: the worksheets' command history", "Projects and their scripts", "Editor templates",
                    "VEXO_EXS: the stored and executed scripts", "The explain-plan table",
                    "VEXO_INSTALATIONS and its tables: the installation manager",
                    "QUANDRELSYS: the system parameters, with the parameter for the Oracle version" } },
            { "Server-side routines", { "The server function that filters script texts" } },
            { "Access rights", { "Every user of the tool needs rights on the utility schema's tables and routines" } },
            { "Installation", { "Run the installation script of the utility schema once per database" } },
            { "Files",
                { "MONITOR.INI beside the executable: the default parameters",
                    "The macro definitions: path and name in MONITOR.INI (CURR_MACRO_FILE, default DREMMOX.MCR)" } },
        },
        this);

    tvParameters = makeTree("tvParameters",
        {
            { "Command line",
                { "dremmox USER PASSWORD DATABASE: log on", "dremmox COMMAND [P1 [P2 [P3]]]: run one command",
                    "dremmox @FILE [USER PASSWORD DATABASE]: run the commands of a command file",
                    "    the file name has at most 50 characters",
                    "    user, password and database fill the empty parameters of the file's first CONNECT",
                    "dremmox @MU_FILE ...: a command file for every installation of the instance",
                    "    when the file vecInstalacij marks the instance",
                    "instance.txt beside the executable: the command file runs on each alias listed",
                    "    (at most 20)" } },
            { "Command file",
                { "One command per line: a command word and up to three parameters",
                    "Parameters are separated by blanks or enclosed in double quotes",
                    "Everything is read in upper case", "A word that is no command stops the run before it starts" } },
            { "Commands",
                { "CONNECT user password [VEXOAUDT]: log on again", "OWNER owner: the default owner",
                    "SCRIPT script [directory]: store and run a script unless it was stored before",
                    "IZVEDISQL file: run a statement file and save its results",
                    "VERSION file [user] [types]: check the versions of PL/SQL blocks (file without .VER)",
                    "LASTVERSIONCHECK name,name,...: stop unless one of these scripts was executed",
                    "ERRORS [owner]: recompile invalid objects",
                    "REFRESH file: refresh tables by a refresh parameter file",
                    "COMPARE source current [result]: compare two structure dumps",
                    "GRANT owner grantee: grant rights on the owner's objects",
                    "CHECK_TABLES [user] [filter] [CASCADE]: validate table structures",
                    "SISTEM [report]: write the instance check report", "SHOWLOG kind: show the server log",
                    "IMPORT arguments: run the loader program and wait for it",
                    "LARGERB ON|OFF [segment]: switch the large rollback segment",
                    "RESTRICTEDLOGIN ENABLE|DISABLE [STOP]: restricted session" } },
            { "Start-up words",
                { "LANGUAGE SLO|ANG: the interface language", "SAVELOGINDATA: store the login data of this logon",
                    "USELOGINDATA: log on with the stored login data",
                    "CLEARLOGINDATA: clear the stored login data" } },
        },
        this);

    pcAbout = new QTabWidget(this);
    pcAbout->setObjectName(QStringLiteral("pcAbout"));
    pcAbout->addTab(tvVersion, QStringLiteral("Version"));
    pcAbout->addTab(tvHints, QStringLiteral("Instalation Hints"));
    pcAbout->addTab(tvParameters, QStringLiteral("Start Parameters"));

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addWidget(maker, 1);
    top->addWidget(btExit, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pcAbout, 1);
}

} // namespace shell
