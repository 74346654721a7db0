#include "shell/about.h"

#include "platform/fileinfo.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <span>

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

namespace {

// The installation hints and the start parameters, in the two languages of the interface.
QTreeWidget* hintTree(bool slo, QWidget* parent)
{
    if (slo) {
        return makeTree("tvHints",
            {
                { "Tabele uporabniške sheme VEXO_UTIL",
                    { "VEXO_HIST: zgodovina ukazov poizvedb", "Projekti in njihove skripte", "Predloge urejevalnika",
                        "VEXO_EXS: shranjene in izvedene skripte", "Tabela za razlago poteka poizvedb",
                        "VEXO_INSTALATIONS in njene tabele: upravljanje instalacij",
                        "QUANDRELSYS: sistemski parametri, med njimi parameter za verzijo Oracla" } },
                { "Strežniške rutine", { "Strežniška funkcija, ki filtrira besedila skript" } },
                { "Pravice",
                    { "Vsak uporabnik programa potrebuje pravice nad tabelami in rutinami uporabniške sheme" } },
                { "Namestitev", { "Namestitveno skripto uporabniške sheme poženite enkrat na bazo" } },
                { "Datoteke",
                    { "MONITOR.INI ob programu: privzeti parametri",
                        "Definicije makrojev: pot in ime v MONITOR.INI (CURR_MACRO_FILE, privzeto DREMMOX.MCR)" } },
            },
            parent);
    }
    return makeTree("tvHints",
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
        parent);
}

QTreeWidget* parameterTree(bool slo, QWidget* parent)
{
    if (slo) {
        return makeTree("tvParameters",
            {
                { "Ukazna vrstica",
                    { "dremmox UPORABNIK GESLO BAZA: prijava", "dremmox UKAZ [P1 [P2 [P3]]]: izvede en ukaz",
                        "dremmox @DATOTEKA [UPORABNIK GESLO BAZA]: izvede ukaze ukazne datoteke",
                        "    ime datoteke ima največ 50 znakov",
                        "    uporabnik, geslo in baza dopolnijo prazne parametre prvega CONNECT v datoteki",
                        "dremmox @MU_DATOTEKA ...: ukazna datoteka za vsako instalacijo instance",
                        "    ko datoteka vecInstalacij označi instanco",
                        "instance.txt ob programu: ukazna datoteka se izvede na vsakem navedenem aliasu",
                        "    (največ 20)" } },
                { "Ukazna datoteka",
                    { "En ukaz v vrstici: ukazna beseda in največ trije parametri",
                        "Parametri so ločeni s presledki ali v dvojnih narekovajih", "Vse se bere z velikimi črkami",
                        "Vrstica, katere beseda ni ukaz, se ne upošteva" } },
                { "Ukazi",
                    { "CONNECT uporabnik geslo [VEXOAUDT]: ponovna prijava", "OWNER lastnik: privzeti lastnik",
                        "SCRIPT skripta [imenik]: shrani in izvede skripto, če ni bila shranjena že prej",
                        "IZVEDISQL datoteka: izvede datoteko stavkov in shrani rezultate",
                        "VERSION datoteka [uporabnik] [tipi]: preveri verzije PL/SQL blokov (datoteka brez .VER)",
                        "LASTVERSIONCHECK ime,ime,...: ustavi, razen če je bila izvedena ena od teh skript",
                        "ERRORS [lastnik]: ponovno prevede neveljavne objekte",
                        "REFRESH datoteka: osveži tabele po datoteki parametrov osveževanja",
                        "COMPARE izvor trenutni [rezultat]: primerja dva izpisa struktur",
                        "GRANT lastnik prejemnik: dodeli pravice nad objekti lastnika",
                        "CHECK_TABLES [uporabnik] [filter] [CASCADE]: preveri strukture tabel",
                        "SISTEM [poročilo]: zapiše poročilo o instanci", "SHOWLOG vrsta: prikaže strežniški dnevnik",
                        "IMPORT argumenti: požene program za nalaganje in počaka nanj",
                        "LARGERB ON|OFF [segment]: vklopi ali izklopi veliki rollback segment",
                        "RESTRICTEDLOGIN ENABLE|DISABLE [STOP]: omejitev prijav" } },
                { "Začetne besede",
                    { "LANGUAGE SLO|ANG: jezik vmesnika", "SAVELOGINDATA: shrani podatke te prijave",
                        "USELOGINDATA: prijava s shranjenimi podatki", "CLEARLOGINDATA: pobriše shranjene podatke" } },
            },
            parent);
    }
    return makeTree("tvParameters",
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
        parent);
}

} // namespace

TfmAbout::TfmAbout(const QString& currLanguage, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    const bool slo = currLanguage == QLatin1String("SLO");
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(slo ? QStringLiteral("O programu VU-DER Ovizir") : QStringLiteral("About VU-DER Ovizir"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(680, 500);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imAbout"));
    picture->setPixmap(aboutPicture());
    auto* maker = new QLabel(QStringLiteral("<span style=\"font-size:15pt; font-weight:600\">Dremmox %1</span><br>"
                                            "Velmorant &middot; %2")
                                 .arg(platform::versionText(), platform::buildDate()),
        this);
    maker->setObjectName(QStringLiteral("laMaker"));
    maker->setTextFormat(Qt::RichText);
    btExit = new QPushButton(slo ? QStringLiteral("&Izhod") : QStringLiteral("&Exit"), this);
    btExit->setObjectName(QStringLiteral("btExit"));
    connect(btExit, &QPushButton::clicked, this, &QWidget::close);

    tvVersion = new QTreeWidget(this);
    tvVersion->setObjectName(QStringLiteral("tvVersion"));
    tvVersion->setHeaderHidden(true);
    auto* current = new QTreeWidgetItem(tvVersion,
        { platform::versionText() + QStringLiteral("  (")
            + (slo ? QStringLiteral("izdelano %1") : QStringLiteral("built %1")).arg(platform::buildDate())
            + QLatin1Char(')') });
    // What this release brings, the newest release on top as the releases come.
    const char* const english[] = { "Logon to Oracle databases through the Oracle client, and to embedded databases",
        "The embedded Oracle-compatible engine with the Quandrel demo database",
        "Saved login data, remembered passwords and the settings file MONITOR.INI",
        "SQL worksheets: statements in the background, Break, editable live queries",
        "Worksheets: explain plan, session statistics, command history, a session of their own",
        "Questions before uncommitted work of any window is ended", "English and Slovenian texts" };
    const char* const slovenian[] = { "Prijava na baze Oracle prek odjemalca Oracle in na vgrajene baze",
        "Vgrajeni strežnik, združljiv z Oraclom, z demonstracijsko bazo Quandrel",
        "Shranjeni podatki za prijavo, zapomnjena gesla in nastavitvena datoteka MONITOR.INI",
        "SQL poizvedbe: stavki v ozadju, prekinitev, urejanje \"live\" poizvedb",
        "Poizvedbe: potek poizvedbe, statistike seje, zgodovina ukazov, lastna seja",
        "Vprašanje, preden se konča nepotrjeno delo katerega koli okna", "Angleška in slovenska besedila" };
    for (const char* change : slo ? std::span(slovenian) : std::span(english))
        new QTreeWidgetItem(current, { QString::fromUtf8(change) });
    tvVersion->expandAll();

    tvHints = hintTree(slo, this);
    tvParameters = parameterTree(slo, this);

    pcAbout = new QTabWidget(this);
    pcAbout->setObjectName(QStringLiteral("pcAbout"));
    pcAbout->addTab(tvVersion, slo ? QStringLiteral("Verzija") : QStringLiteral("Version"));
    pcAbout->addTab(tvHints, slo ? QStringLiteral("Navodila za namestitev") : QStringLiteral("Instalation Hints"));
    pcAbout->addTab(tvParameters, slo ? QStringLiteral("Zagonski parametri") : QStringLiteral("Start Parameters"));

    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addWidget(maker, 1);
    top->addWidget(btExit, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pcAbout, 1);
}

} // namespace shell
