#include "shell/buttontexts.h"

#include <QCoreApplication>
#include <QHash>
#include <QTranslator>

#include <memory>

namespace shell {

namespace {

// Answers the toolkit's own texts of its standard buttons; everything else is left to other translators.
class StandardButtonTranslator : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (qstrcmp(context, "QPlatformTheme") != 0 && qstrcmp(context, "QMessageBox") != 0
            && qstrcmp(context, "QDialogButtonBox") != 0)
            return {};
        return slovenianButtonText(QString::fromUtf8(sourceText));
    }
};

std::unique_ptr<StandardButtonTranslator>& installed()
{
    static std::unique_ptr<StandardButtonTranslator> translator;
    return translator;
}

} // namespace

QString slovenianButtonText(const QString& english)
{
    // The words of the system's message dialog where it has the button, the usual ones for the rest.
    static const QHash<QString, QString> texts = {
        { QStringLiteral("OK"), QStringLiteral("&OK") },
        { QStringLiteral("&OK"), QStringLiteral("&OK") },
        { QStringLiteral("&Yes"), QStringLiteral("&Da") },
        { QStringLiteral("&No"), QStringLiteral("&Ne") },
        { QStringLiteral("Cancel"), QStringLiteral("&Prekliči") },
        { QStringLiteral("&Cancel"), QStringLiteral("&Prekliči") },
        { QStringLiteral("Abort"), QStringLiteral("Pre&kini") },
        { QStringLiteral("Retry"), QStringLiteral("Po&novi") },
        { QStringLiteral("Ignore"), QStringLiteral("Prez&ri") },
        { QStringLiteral("Help"), QStringLiteral("Po&moč") },
        { QStringLiteral("Yes to &All"), QStringLiteral("Da za &vse") },
        { QStringLiteral("N&o to All"), QStringLiteral("Ne za v&se") },
        { QStringLiteral("Save"), QStringLiteral("&Shrani") },
        { QStringLiteral("Save All"), QStringLiteral("Shrani &vse") },
        { QStringLiteral("Open"), QStringLiteral("O&dpri") },
        { QStringLiteral("Close"), QStringLiteral("&Zapri") },
        { QStringLiteral("Discard"), QStringLiteral("&Zavrzi") },
        { QStringLiteral("Don't Save"), QStringLiteral("&Ne shrani") },
        { QStringLiteral("Apply"), QStringLiteral("&Uporabi") },
        { QStringLiteral("Reset"), QStringLiteral("Po&nastavi") },
        { QStringLiteral("Restore Defaults"), QStringLiteral("Privzete &vrednosti") },
        { QStringLiteral("Show Details..."), QStringLiteral("Prikaži podrobnosti ...") },
        { QStringLiteral("Hide Details..."), QStringLiteral("Skrij podrobnosti ...") },
    };
    return texts.value(english);
}

void setStandardButtonLanguage(const QString& currLanguage)
{
    std::unique_ptr<StandardButtonTranslator>& translator = installed();
    const bool slovenian = currLanguage == QLatin1String("SLO");
    if (slovenian == (translator != nullptr))
        return;
    if (slovenian) {
        translator = std::make_unique<StandardButtonTranslator>();
        QCoreApplication::installTranslator(translator.get());
    } else {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
}

} // namespace shell
