#include "platform/Process.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace Platform {

std::vector<std::string> SplitCommandLine(const std::string& line) {
    std::vector<std::string> args;
    std::string current;
    bool inArg = false, quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
            current += '"';
            inArg = true;
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
            inArg = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inArg) args.push_back(std::move(current));
            current.clear();
            inArg = false;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (inArg) args.push_back(std::move(current));
    return args;
}

bool StartProcess(const std::string& commandLine, bool hidden, bool wait) {
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty()) return false;
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (hidden) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    // posix_spawnp may report a failed exec only through the child's exit status 127.
    int status = 0;
    if (wait) {
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        return !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
    }
    return true;
}

} // namespace Platform
