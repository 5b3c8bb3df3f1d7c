// Runs part of a test in a child process as an ordinary user: root ignores file modes, so
// cases about files that cannot be changed must drop its rights to mean anything.
#pragma once

#include <csignal>
#include <cstdio>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Runs theBody in a child, as user and group 65534 when the test runs as root, and ends it
// after theSeconds. Empty when the child passed; otherwise how it ended (a crash, a hang, a
// failed expectation, which the child has printed).
inline std::string RunAsOrdinaryUser(const std::function<void()>& theBody, unsigned theSeconds = 120)
{
    std::fflush(nullptr);
    const pid_t theChild = fork();
    if (theChild < 0) return "cannot fork";
    if (theChild == 0) {
        alarm(theSeconds);
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        theBody();
        std::fflush(nullptr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int theStatus = 0;
    if (waitpid(theChild, &theStatus, 0) != theChild) return "lost the child";
    if (WIFSIGNALED(theStatus))
        return WTERMSIG(theStatus) == SIGALRM ? std::string("hung") : "killed by signal " + std::to_string(WTERMSIG(theStatus));
    if (WEXITSTATUS(theStatus) == 3) return "cannot become an ordinary user";
    return WEXITSTATUS(theStatus) == 0 ? "" : "failed (see above)";
}
