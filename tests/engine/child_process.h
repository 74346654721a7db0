// Runs part of a test in a forked child process, for what may crash, be killed or change the whole process (a
// damaged file, SIGKILL in the middle of a transaction, a file system that fails writes): the test itself goes on
// and reports what happened to the child.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace enginetest {

struct ChildEnd {
    bool exited = false; // ended by _exit, not by a signal
    int code = -1; // exit status, or the signal
    std::string said; // what the child wrote to its report
};

// Forks; the child runs body with a report function that sends text to the parent, then exits with body's result
// (98 when body throws, after reporting the exception). A child that crashes ends with exited false.
inline ChildEnd runInChild(const std::function<int(const std::function<void(const std::string&)>& report)>& body)
{
    int out[2];
    if (pipe(out) != 0)
        return {};
    pid_t pid = fork();
    if (pid < 0)
        return {};
    if (pid == 0) {
        close(out[0]);
        auto report = [&](const std::string& text) {
            size_t done = 0;
            while (done < text.size()) {
                ssize_t n = write(out[1], text.data() + done, text.size() - done);
                if (n <= 0)
                    _exit(99);
                done += static_cast<size_t>(n);
            }
        };
        // Nothing may leave the child but its report and status: an exception would run the rest of the test
        // binary a second time.
        int code = 98;
        try {
            code = body(report);
        } catch (const std::exception& e) {
            report(std::string("exception: ") + e.what());
        } catch (...) {
            report("exception");
        }
        close(out[1]);
        _exit(code);
    }
    close(out[1]);
    ChildEnd end;
    char buf[4096];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;)
        end.said.append(buf, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    end.exited = WIFEXITED(status);
    end.code = end.exited ? WEXITSTATUS(status) : (WIFSIGNALED(status) ? WTERMSIG(status) : -1);
    return end;
}

} // namespace enginetest
