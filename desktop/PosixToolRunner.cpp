#include "ToolRunner.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace vellum {

namespace {

constexpr auto kTimeLimit = std::chrono::seconds(10);

// Waits for the child up to the time limit; -1 when it did not end well.
int waitWithLimit(pid_t child) {
    const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0 && errno != EINTR) {
            return -1;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace

ToolRunner processToolRunner() {
    return [](const std::string& program, const std::vector<std::string>& arguments) {
        std::vector<std::string> words{program};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // Whatever the helper says goes to standard error, which keeps the
        // caller's standard output its own.
        posix_spawn_file_actions_adddup2(&actions, 2, 1);
        pid_t child = 0;
        const int spawned =
            posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return spawned == 0 && waitWithLimit(child) == 0;
    };
}

} // namespace vellum
