#include "TestPlatform.h"

#include "platform/ProgramPaths.h"

#include "TestSupport.h"

#include <windows.h>

namespace zentu::test {

namespace {

/// One argument as the C runtime of the started program splits the command line again.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    for (auto it = argument.begin();; ++it) {
        std::size_t backslashes = 0;
        while (it != argument.end() && *it == L'\\') {
            ++it;
            ++backslashes;
        }
        if (it == argument.end()) {
            quoted.append(backslashes * 2, L'\\');
            break;
        }
        quoted.append(*it == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted += *it;
    }
    return quoted + L"\"";
}

HANDLE OpenOutput(const std::filesystem::path& file) {
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(file.empty() ? L"NUL" : file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE Handle(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

} // namespace

std::filesystem::path ProgramInBinDir(std::string_view name) {
    return BinDir() / (std::string(name) + ExecutableSuffix());
}

std::filesystem::path SleeperProgram() {
    return ZENTU_TEST_SLEEPER;
}

void SetReadOnly(const std::filesystem::path& file, bool readOnly) {
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    ::SetFileAttributesW(file.c_str(), readOnly ? attributes | FILE_ATTRIBUTE_READONLY
                                                : attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

bool MakeSymbolicLink(const std::filesystem::path& /*target*/, const std::filesystem::path& /*link*/) {
    return false;
}

void SetHidden(const std::filesystem::path& file) {
    ::SetFileAttributesW(file.c_str(), ::GetFileAttributesW(file.c_str()) | FILE_ATTRIBUTE_HIDDEN);
}

bool IsHidden(const std::filesystem::path& file) {
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

bool MakeNamedPipe(const std::filesystem::path& /*path*/) {
    return false; // Windows' named pipes live in their own name space (\\.\pipe\), never in a folder
}

std::filesystem::path NonRegularFileIn(const std::filesystem::path& folder) {
    return folder / "NUL";
}

ChildProgram::~ChildProgram() {
    if (m_handle != 0) {
        if (m_running) {
            ::TerminateProcess(Handle(m_handle), 1);
            ::WaitForSingleObject(Handle(m_handle), INFINITE);
        }
        ::CloseHandle(Handle(m_handle));
    }
}

bool ChildProgram::start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& output, const std::filesystem::path& errors) {
    std::wstring commandLine = Quoted(program.native());
    for (const std::string& argument : arguments) {
        commandLine += L" " + Quoted(PathFromUtf8(argument).native());
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    startup.hStdInput = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    startup.hStdOutput = OpenOutput(output);
    startup.hStdError = OpenOutput(errors);
    PROCESS_INFORMATION process{};
    // A process group of its own, so that Ctrl+Break can be sent to it alone.
    const BOOL started = ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                          CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
    if (!started) {
        return false;
    }
    ::CloseHandle(process.hThread);
    m_handle = reinterpret_cast<std::intptr_t>(process.hProcess);
    m_id = process.dwProcessId;
    m_running = true;
    return true;
}

unsigned long ChildProgram::id() const {
    return m_id;
}

void ChildProgram::collect(int /*status*/) {
    DWORD code = 0;
    ::GetExitCodeProcess(Handle(m_handle), &code);
    m_running = false;
    // Codes from 0xC0000000 on are the system's: the program crashed or was ended.
    m_exitStatus = code < 0xC0000000UL ? static_cast<int>(code) : -1;
    m_endedByRequest = code == 0xC000013AUL; // STATUS_CONTROL_C_EXIT
}

bool ChildProgram::hasEnded() {
    if (m_running && ::WaitForSingleObject(Handle(m_handle), 0) == WAIT_OBJECT_0) {
        collect(0);
    }
    return !m_running;
}

int ChildProgram::wait(std::chrono::milliseconds limit) {
    if (m_running && ::WaitForSingleObject(Handle(m_handle), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        ::TerminateProcess(Handle(m_handle), 1);
        ::WaitForSingleObject(Handle(m_handle), INFINITE);
        collect(0);
        return -2;
    }
    if (m_running) {
        collect(0);
    }
    return m_exitStatus;
}

bool ChildProgram::askToEnd() {
    return m_running && ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, m_id) != 0;
}

int RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& output, const std::filesystem::path& errors,
               std::chrono::milliseconds limit) {
    ChildProgram child;
    return child.start(program, arguments, output, errors) ? child.wait(limit) : -1;
}

} // namespace zentu::test
