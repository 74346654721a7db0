// The search for the first row of a damaged table that cannot be read: a probe reads the first p rows; the search
// halves the range between the last count that could be read and the first that could not, starting with the
// probes the repair window always made (N/2 rounded up, then steps of N/4, N/8 ... towards the damage), and ends
// when the two meet. It always ends, after at most about 2 log2 N probes, and it answers "none" for a table whose
// every row can be read.
#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace admin {

enum class ProbeResult {
    Readable, // the first p rows could be read
    Unreadable, // reading them met the damage
    Failed // something else went wrong (the error is the search's answer)
};

struct HalvingResult {
    std::optional<qint64> firstBadRow; // none: every row could be read
    QList<qint64> probes; // in the order they were made
    bool failed = false; // a probe failed for another reason, or the search was stopped
};

// rows: the table's row count N (at least 1 to search anything).
HalvingResult findFirstBadRow(qint64 rows, const std::function<ProbeResult(qint64 p)>& probe);

} // namespace admin
