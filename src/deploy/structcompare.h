// Structure dumps (".sfg") and their comparison: the sections of a reference dump are looked for in the current one
// and compared line by line (tables), as a whole (indexes) or by length (everything else); the differences are
// written as a difference file (".dfr"). Text in, text out: the compare window and the COMPARE command use it.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace deploy {

// One difference: the object's type and name and what differs (one or more lines joined by "\n").
struct StructDifference {
    QString tip;
    QString ime;
    QString napaka;
    bool operator==(const StructDifference&) const = default;
};

// The window's texts that go into differences.
struct StructCompareTexts {
    QString neObstaja = QStringLiteral("DOES NOT EXISTS");
    QString niEnako = QStringLiteral("NOT EQUAL");
};

struct StructCompareResult {
    QList<StructDifference> differences;
    bool tooMany = false; // the list reached its limit: the comparison stopped there
};

// The most differences a comparison lists.
inline constexpr int kMaxStructDifferences = 500;

// The lines of a text, whatever its line breaks (CR LF, LF or CR alone).
QStringList textLines(const QString& text);

// Compares the reference dump with the current one. Sections and lines are matched as whole lines: a section header
// is a line beginning with "###", and the dump ends at a line beginning with "###END##". Sections only in the current
// dump are not reported.
StructCompareResult compareStructures(const QStringList& reference, const QStringList& current,
    const StructCompareTexts& texts = {}, int maxDifferences = kMaxStructDifferences);

// The grid's text of a difference: its first line, and " ....." when more lines follow.
QString differenceSummary(const QString& napaka);

// The lines of a difference file: the header, then per difference its type, name and two blanks, and each line of
// the difference indented by six blanks.
QStringList differenceFileLines(const QStringList& header, const QList<StructDifference>& differences);

// Reads a structure dump line by line. next() returns the package's next result (nothing for SQL NULL, which ends
// the dump). The dump ends after its end mark; the package's "NULL" after the last line ends it too, while a dump
// line that reads "NULL" is kept (only a long run of them, as after the end, ends the reading).
QStringList readStructureDump(const std::function<std::optional<QString>()>& next);

} // namespace deploy
