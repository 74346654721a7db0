#include "db/oci/tnsnames.h"

#include "db/oci/ociclient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace db::oci {

namespace {

constexpr int maxIncludeDepth = 8;

bool isAliasChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.') || c == QLatin1Char('-')
        || c == QLatin1Char('$') || c == QLatin1Char('#');
}

struct Reader {
    QStringList aliases;
    QSet<QString> seenAliases;
    QSet<QString> seenFiles;

    void add(const QString& alias)
    {
        const QString key = alias.toUpper();
        if (seenAliases.contains(key))
            return;
        seenAliases.insert(key);
        aliases << alias;
    }

    void readFile(const QString& path, int depth)
    {
        if (depth > maxIncludeDepth)
            return;
        const QFileInfo info(path);
        const QString key = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
        if (seenFiles.contains(key))
            return;
        seenFiles.insert(key);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return;
        parse(QString::fromUtf8(f.readAll()), info.absolutePath(), depth);
    }

    void parse(const QString& text, const QString& baseDir, int depth)
    {
        const int n = int(text.size());
        int i = 0;
        QString key;
        while (i < n) {
            const QChar c = text.at(i);
            if (c == QLatin1Char('#')) {
                while (i < n && text.at(i) != QLatin1Char('\n'))
                    ++i;
                continue;
            }
            if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
                // A description without a name before it: read over it.
                i = skipParentheses(text, i);
                key.clear();
                continue;
            }
            if (c != QLatin1Char('=')) {
                key += c;
                ++i;
                continue;
            }
            ++i; // past '='
            const QString name = key.trimmed();
            key.clear();
            // The value: a parenthesised description, or (IFILE and the like) the rest of the line.
            while (i < n && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
                ++i;
            QString value;
            bool complete = true;
            if (i < n && text.at(i) == QLatin1Char('(')) {
                const int end = skipParentheses(text, i);
                complete = end <= n;
                i = end;
            } else {
                while (i < n && text.at(i) != QLatin1Char('\n') && text.at(i) != QLatin1Char('#'))
                    value += text.at(i++);
            }
            if (name.compare(QLatin1String("IFILE"), Qt::CaseInsensitive) == 0) {
                QString file = value.trimmed();
                if (file.size() >= 2 && (file.startsWith(QLatin1Char('"')) || file.startsWith(QLatin1Char('\''))))
                    file = file.mid(1, file.size() - 2);
                if (!file.isEmpty())
                    readFile(QDir(baseDir).filePath(file), depth + 1);
                continue;
            }
            if (!complete)
                continue; // an entry cut off by the end of the file is not usable
            for (const QString& part : name.split(QLatin1Char(','))) {
                const QString alias = part.trimmed();
                if (!alias.isEmpty() && std::all_of(alias.begin(), alias.end(), isAliasChar))
                    add(alias);
            }
        }
    }

    // Index just past the parenthesis that closes the one at open; comments inside are read over.
    static int skipParentheses(const QString& text, int open)
    {
        const int n = int(text.size());
        int depth = 0;
        int i = open;
        while (i < n) {
            const QChar c = text.at(i);
            if (c == QLatin1Char('#')) {
                while (i < n && text.at(i) != QLatin1Char('\n'))
                    ++i;
                continue;
            }
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')') && --depth == 0)
                return i + 1;
            ++i;
        }
        return n + 1; // unbalanced: the end of the text, marked as incomplete
    }
};

} // namespace

QStringList parseTnsAliases(const QString& text, const QString& baseDir)
{
    Reader r;
    r.parse(text, baseDir, 0);
    return r.aliases;
}

QStringList readTnsAliases(const QString& path)
{
    Reader r;
    r.readFile(path, 0);
    return r.aliases;
}

QStringList tnsnamesCandidates()
{
    QStringList files;
    const QString tnsAdmin = qEnvironmentVariable("TNS_ADMIN");
    if (!tnsAdmin.isEmpty())
        files << QDir(tnsAdmin).filePath(QStringLiteral("tnsnames.ora"));
    const QString home = qEnvironmentVariable("ORACLE_HOME");
    if (!home.isEmpty())
        files << QDir(home).filePath(QStringLiteral("network/admin/tnsnames.ora"));
    const QString location = clientLocation();
    if (!location.isEmpty()) {
        const QFileInfo info(location);
        const QString dir = info.isFile() ? info.absolutePath() : info.absoluteFilePath();
        files << QDir(dir).filePath(QStringLiteral("network/admin/tnsnames.ora"));
    }
    const QString loaded = loadedClientDirectory();
    if (!loaded.isEmpty())
        files << QDir(loaded).filePath(QStringLiteral("network/admin/tnsnames.ora"));
    files.removeDuplicates();
    return files;
}

QStringList clientAliases()
{
    for (const QString& file : tnsnamesCandidates()) {
        if (!QFileInfo(file).isFile())
            continue;
        QStringList aliases = readTnsAliases(file);
        std::sort(aliases.begin(), aliases.end(),
            [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        return aliases;
    }
    return {};
}

} // namespace db::oci
