// Program start by fork and exec, with exec failures reported back through a close-on-exec pipe.
#include "platform/NHostProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

static constexpr int kExecFailed = 127;   // exit code of a child whose exec failed
static constexpr int kNoExitCode = -1;
static constexpr unsigned kFirstInheritedDescriptor = 3;
static constexpr size_t kReadChunk = 4096;

// Everything exec needs, built before fork: the child may not allocate.
namespace {
class ArgumentVector {
public:
    explicit ArgumentVector(const std::vector<std::string>& argv)
    {
        for (const std::string& argument : argv)
            fPointers.push_back(const_cast<char*>(argument.c_str()));
        fPointers.push_back(nullptr);
    }
    char* const* Data() { return fPointers.data(); }

private:
    std::vector<char*> fPointers;
};
}   // namespace

static bool IsExecutableFile(const std::string& path)
{
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), X_OK) == 0;
}

static void CloseBoth(int pipe[2])
{
    close(pipe[0]);
    close(pipe[1]);
}

// In a child: the start failed, so the reason goes to the parent and the child ends.
[[noreturn]] static void ReportAndExit(int errorPipe)
{
    int error = errno;
    ssize_t ignored = write(errorPipe, &error, sizeof error);
    (void)ignored;
    _exit(kExecFailed);
}

// In a child before exec: nothing of the caller's state but the standard streams survives.
static void PrepareChild()
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    signal(SIGCHLD, SIG_DFL);
    close_range(kFirstInheritedDescriptor, ~0U, CLOSE_RANGE_CLOEXEC);
}

// The errno a child sent, or 0 when the pipe closed without one (the exec succeeded).
static int ReadChildError(int errorPipe)
{
    int error = 0;
    ssize_t count;
    do {
        count = read(errorPipe, &error, sizeof error);
    } while (count < 0 && errno == EINTR);
    return count == static_cast<ssize_t>(sizeof error) ? error : 0;
}

static int WaitFor(pid_t child)
{
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return kNoExitCode;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : kNoExitCode;
}

std::string NHostProcess::FindProgram(std::string_view name)
{
    if (name.empty())
        return std::string();
    if (name.find('/') != std::string_view::npos)
        return IsExecutableFile(std::string(name)) ? std::string(name) : std::string();
    const char* path = getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/bin:/bin";
    while (true) {
        size_t end = folders.find(':');
        std::string folder(folders.substr(0, end));
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + std::string(name);
        if (IsExecutableFile(candidate))
            return candidate;
        if (end == std::string_view::npos)
            return std::string();
        folders.remove_prefix(end + 1);
    }
}

int NHostProcess::StartDetached(const std::vector<std::string>& argv, const std::string& workingFolder)
{
    if (argv.empty())
        return EINVAL;
    ArgumentVector arguments(argv);
    int errorPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0)
        return errno;
    pid_t child = fork();
    if (child < 0) {
        int error = errno;
        CloseBoth(errorPipe);
        return error;
    }
    if (child == 0) {
        // The intermediate child starts the program and ends at once; the program is then
        // adopted by init, which reaps it.
        close(errorPipe[0]);
        setsid();
        pid_t program = fork();
        if (program < 0)
            ReportAndExit(errorPipe[1]);
        if (program == 0) {
            PrepareChild();
            if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0)
                ReportAndExit(errorPipe[1]);
            execv(argv[0].c_str(), arguments.Data());
            ReportAndExit(errorPipe[1]);
        }
        _exit(0);
    }
    close(errorPipe[1]);
    WaitFor(child);
    int error = ReadChildError(errorPipe[0]);
    close(errorPipe[0]);
    return error;
}

bool NHostProcess::Run(const std::vector<std::string>& argv, std::string& output, int& exitCode)
{
    output.clear();
    exitCode = kNoExitCode;
    if (argv.empty())
        return false;
    ArgumentVector arguments(argv);
    int outputPipe[2];
    int errorPipe[2];
    if (pipe2(outputPipe, O_CLOEXEC) != 0)
        return false;
    if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        CloseBoth(outputPipe);
        return false;
    }
    pid_t child = fork();
    if (child < 0) {
        CloseBoth(outputPipe);
        CloseBoth(errorPipe);
        return false;
    }
    if (child == 0) {
        int input = open("/dev/null", O_RDONLY);
        if (input < 0 || dup2(input, STDIN_FILENO) < 0 || dup2(outputPipe[1], STDOUT_FILENO) < 0)
            ReportAndExit(errorPipe[1]);
        PrepareChild();
        execv(argv[0].c_str(), arguments.Data());
        ReportAndExit(errorPipe[1]);
    }
    close(outputPipe[1]);
    close(errorPipe[1]);
    int error = ReadChildError(errorPipe[0]);
    close(errorPipe[0]);
    char buffer[kReadChunk];
    while (error == 0) {
        ssize_t count = read(outputPipe[0], buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        output.append(buffer, static_cast<size_t>(count));
    }
    close(outputPipe[0]);
    int code = WaitFor(child);
    if (error != 0)
        return false;
    exitCode = code;
    return true;
}
