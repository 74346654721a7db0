// The halving search.
#include "admin/halving.h"

namespace admin {

HalvingResult findFirstBadRow(qint64 rows, const std::function<ProbeResult(qint64)>& probe)
{
    HalvingResult r;
    if (rows < 1)
        return r;
    // Rows 1..good are known to be readable; the first bad row, if any, lies in good+1 .. bad-1 (bad = N + 1 means
    // that none has been seen yet).
    qint64 good = 0;
    qint64 bad = rows + 1;
    // The classic steps: start at N/2 rounded up, then move by N/d (d doubling) towards the damage.
    qint64 p = (rows + 1) / 2;
    qint64 d = 2;
    bool classic = true;
    while (bad - good > 1) {
        if (!classic || p <= good || p >= bad)
            p = good + (bad - good) / 2;
        r.probes.append(p);
        const ProbeResult result = probe(p);
        if (result == ProbeResult::Failed) {
            r.failed = true;
            return r;
        }
        const qint64 s = result == ProbeResult::Readable ? 1 : -1;
        if (s > 0)
            good = p;
        else
            bad = p;
        if (classic) {
            d *= 2;
            qint64 step = rows / d;
            if (rows % d > d / 2)
                ++step;
            // Once the steps have shrunk to nothing the halving of the range goes on alone.
            if (step == 0 || d > rows * 4)
                classic = false;
            p += step * s;
        }
    }
    if (bad <= rows)
        r.firstBadRow = bad;
    return r;
}

} // namespace admin
