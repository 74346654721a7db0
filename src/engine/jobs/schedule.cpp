// Scheduler jobs' run dates and states.
#include "engine/jobs/schedule.h"

#include "engine/jobs/calendar.h"

#include <algorithm>

namespace engine::jobs {

namespace {

constexpr int kMaxRetries = 6;

bool isTerminal(const std::string& state)
{
    return state == "SUCCEEDED" || state == "FAILED" || state == "STOPPED" || state == "COMPLETED" || state == "BROKEN";
}

} // namespace

fn::DateTime dateOf(const std::string& stored)
{
    fn::DateTime d;
    fn::parseStoredDate(stored, d);
    return d;
}

bool repeats(const SchedulerJob& j)
{
    return !j.repeatInterval.empty();
}

std::string firstRunDate(const SchedulerJob& j, const fn::DateTime& now)
{
    const fn::DateTime start = j.startDate.empty() ? now : dateOf(j.startDate);
    if (repeats(j) && isCalendarSyntax(j.repeatInterval)) {
        const fn::DateTime from = fn::toSecondNumber(now) > fn::toSecondNumber(start) ? now : start;
        return fn::toStoredDate(nextCalendarDate(parseCalendar(j.repeatInterval), start, from, false));
    }
    return fn::toStoredDate(start);
}

std::optional<std::string> nextRunDate(
    const SchedulerJob& j, const fn::DateTime& now, const std::string& expressionNext)
{
    if (!repeats(j))
        return std::nullopt;
    std::string next;
    if (isCalendarSyntax(j.repeatInterval)) {
        const fn::DateTime start = j.startDate.empty() ? now : dateOf(j.startDate);
        next = fn::toStoredDate(nextCalendarDate(parseCalendar(j.repeatInterval), start, now, true));
    } else {
        next = expressionNext;
    }
    if (next.empty() || (!j.endDate.empty() && next > j.endDate))
        return std::nullopt;
    return next;
}

AfterRun applyRunEnd(SchedulerJob& j, RunEnd end, const fn::DateTime& now, const std::string& expressionNext)
{
    AfterRun after;
    const bool wasEnabled = j.enabled;
    std::optional<std::string> next;
    try {
        next = nextRunDate(j, now, expressionNext);
    } catch (const std::exception&) {
        // A schedule that gives no further date ends the job as if it were done.
        next.reset();
    }
    if (end != RunEnd::Stopped)
        ++j.runCount;
    if (end == RunEnd::Failed)
        ++j.failureCount;
    j.nextRunDate.clear();
    if (end == RunEnd::Failed && j.maxFailures && j.failureCount >= *j.maxFailures) {
        j.state = "BROKEN";
    } else if (end == RunEnd::Failed && j.restartOnFailure && j.retryCount < kMaxRetries) {
        // Retried sooner each time it failed less often: 1, 2, 4 ... minutes, never later than its next run.
        ++j.retryCount;
        int64_t retry = fn::toSecondNumber(now) + (int64_t(60) << (j.retryCount - 1));
        std::string at = fn::toStoredDate(fn::fromSecondNumber(retry));
        j.state = "RETRY SCHEDULED";
        j.nextRunDate = next && *next < at ? *next : at;
    } else if (next && !(j.maxRuns && j.runCount >= *j.maxRuns)) {
        j.state = "SCHEDULED";
        j.nextRunDate = *next;
        if (end == RunEnd::Succeeded)
            j.retryCount = 0;
    } else if (repeats(j)) {
        j.state = end == RunEnd::Stopped ? "STOPPED" : "COMPLETED";
    } else {
        j.state = end == RunEnd::Succeeded ? "SUCCEEDED" : end == RunEnd::Failed ? "FAILED" : "STOPPED";
    }
    if (isTerminal(j.state)) {
        j.enabled = false;
        // A job that is done goes when AUTO_DROP says so; a stopped or broken one stays to be looked at.
        after.drop = j.autoDrop && (j.state == "SUCCEEDED" || j.state == "FAILED" || j.state == "COMPLETED");
    } else if (!wasEnabled) {
        j.state = "DISABLED";
    }
    return after;
}

} // namespace engine::jobs
