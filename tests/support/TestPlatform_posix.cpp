#include "TestPlatform.h"

#include "TestSupport.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zentu::test {

std::filesystem::path ProgramInBinDir(std::string_view name) {
    return BinDir() / std::string(name);
}

std::filesystem::path SleeperProgram() {
    return ZENTU_TEST_SLEEPER;
}

void SetReadOnly(const std::filesystem::path& file, bool readOnly) {
    std::filesystem::permissions(
        file, readOnly ? std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                             std::filesystem::perms::others_read
                       : std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                             std::filesystem::perms::group_read | std::filesystem::perms::others_read);
}

bool MakeSymbolicLink(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::filesystem::create_symlink(target, link);
    return true;
}

void SetHidden(const std::filesystem::path& /*file*/) {}

bool IsHidden(const std::filesystem::path& /*file*/) {
    return false;
}

bool MakeNamedPipe(const std::filesystem::path& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

std::filesystem::path NonRegularFileIn(const std::filesystem::path& folder) {
    const std::filesystem::path pipe = folder / "pipe";
    if (!MakeNamedPipe(pipe)) {
        throw std::runtime_error("cannot make a named pipe in " + folder.string());
    }
    return pipe;
}

ChildProgram::~ChildProgram() {
    if (m_running) {
        ::kill(static_cast<pid_t>(m_id), SIGKILL);
        int status = 0;
        ::waitpid(static_cast<pid_t>(m_id), &status, 0);
    }
}

bool ChildProgram::start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& output, const std::filesystem::path& errors) {
    std::vector<std::string> texts = {program.string()};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    const std::string out = output.empty() ? "/dev/null" : output.string();
    const std::string err = errors.empty() ? "/dev/null" : errors.string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, texts[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return false;
    }
    m_id = static_cast<unsigned long>(pid);
    m_running = true;
    return true;
}

unsigned long ChildProgram::id() const {
    return m_id;
}

void ChildProgram::collect(int status) {
    m_running = false;
    m_exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m_endedByRequest = WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM;
}

bool ChildProgram::hasEnded() {
    int status = 0;
    if (m_running && ::waitpid(static_cast<pid_t>(m_id), &status, WNOHANG) == static_cast<pid_t>(m_id)) {
        collect(status);
    }
    return !m_running;
}

int ChildProgram::wait(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!hasEnded()) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(static_cast<pid_t>(m_id), SIGKILL);
            int status = 0;
            ::waitpid(static_cast<pid_t>(m_id), &status, 0);
            collect(status);
            return -2;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return m_exitStatus;
}

bool ChildProgram::askToEnd() {
    return m_running && ::kill(static_cast<pid_t>(m_id), SIGTERM) == 0;
}

int RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& output, const std::filesystem::path& errors,
               std::chrono::milliseconds limit) {
    ChildProgram child;
    return child.start(program, arguments, output, errors) ? child.wait(limit) : -1;
}

} // namespace zentu::test
