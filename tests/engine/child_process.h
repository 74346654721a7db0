// Runs a piece of a test in a child process, so that a fault that crashes the engine fails one case instead of
// ending the whole test program: the child's text comes back through a pipe with how the child ended.
#pragma once

#include <csignal>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace enginetest {

struct ChildOutcome {
    bool exitedNormally = false; // ended with exit status 0
    int signal = 0; // the signal that ended it, 0 when none did
    std::string output; // what the body returned
};

// Runs `body` in a forked child. The child shares nothing with the caller's open databases: it opens what it needs.
inline ChildOutcome runInChild(const std::function<std::string()>& body)
{
    ChildOutcome outcome;
    int fds[2];
    if (::pipe(fds) != 0)
        return outcome;
    const pid_t pid = ::fork();
    if (pid < 0)
        return outcome;
    if (pid == 0) {
        ::close(fds[0]);
        std::string text;
        try {
            text = body();
        } catch (const std::exception& e) {
            text = std::string("exception: ") + e.what();
        }
        for (size_t done = 0; done < text.size();) {
            const ssize_t n = ::write(fds[1], text.data() + done, text.size() - done);
            if (n <= 0)
                break;
            done += static_cast<size_t>(n);
        }
        ::close(fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        outcome.output.append(buffer, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    outcome.exitedNormally = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return outcome;
}

} // namespace enginetest
