// Spawning vinca with a piped stdout and reading it with time-outs.
#include "support/process.h"

#include "app/app.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

static bool dropToNobody = false;         // set by startProcessAsNobody around startProcess
static const char *childLocale = nullptr; // LC_ALL for the child, set around startProcess

static long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

[[noreturn]] static void execChild(const std::string &program,
                                   const std::vector<std::string> &args) {
    if (childLocale != nullptr) {
        setenv("LC_ALL", childLocale, 1);
    }
    signal(SIGINT, SIG_DFL); // as from a terminal, even under a runner that ignores Ctrl-C
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &a : args) {
        argv.push_back(const_cast<char *>(a.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

static bool started(VincaProcess *p, pid_t pid, int outFd) {
    p->pid = pid;
    p->outFd = outFd;
    p->out.clear();
    p->status = -1;
    p->signal = 0;
    p->exited = false;
    return true;
}

bool startProcess(VincaProcess *p, const std::vector<std::string> &args,
                  const std::string &binary) {
    std::string program = binary.empty() ? std::string(VINCA_BINARY) : binary;
    int fds[2];
    if (pipe(fds) != 0) {
        return false;
    }
    pid_t pid = fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0) {
            dup2(devNull, STDERR_FILENO);
        }
        close(fds[0]);
        close(fds[1]);
        if (dropToNobody &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(126);
        }
        execChild(program, args);
    }
    close(fds[1]);
    return started(p, pid, fds[0]);
}

bool startProcessOnTerminal(VincaProcess *p, const std::vector<std::string> &args,
                            const std::string &locale) {
    // Raw, so the terminal passes the bytes as written (no CR added to each LF).
    termios raw = {};
    cfmakeraw(&raw);
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, &raw, nullptr);
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        childLocale = locale.c_str();
        int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0) {
            dup2(devNull, STDERR_FILENO);
        }
        execChild(VINCA_BINARY, args);
    }
    return started(p, pid, master);
}

bool startProcessWithLocale(VincaProcess *p, const std::vector<std::string> &args,
                            const std::string &locale) {
    childLocale = locale.c_str();
    bool ok = startProcess(p, args);
    childLocale = nullptr;
    return ok;
}

static std::string nobodyDir; // holds the copy of the binary that nobody may run

static void removeNobodyCopy() {
    std::remove((nobodyDir + "/vinca").c_str());
    rmdir(nobodyDir.c_str());
}

bool startProcessAsNobody(VincaProcess *p, const std::vector<std::string> &args) {
    if (geteuid() != 0) {
        return startProcess(p, args);
    }
    // The build tree may be out of nobody's reach; a private world-readable copy is not.
    static std::string copy;
    if (copy.empty()) {
        char dir[] = "/tmp/vinca-nobody-XXXXXX";
        if (mkdtemp(dir) == nullptr || chmod(dir, 0755) != 0) {
            return false;
        }
        std::string path = std::string(dir) + "/vinca";
        std::string command =
            "cp '" + std::string(VINCA_BINARY) + "' '" + path + "' && chmod 755 '" + path + "'";
        if (std::system(command.c_str()) != 0) {
            return false;
        }
        copy = path;
        nobodyDir = dir;
        std::atexit(removeNobodyCopy);
    }
    dropToNobody = true;
    bool started = startProcess(p, args, copy);
    dropToNobody = false;
    return started;
}

// Reads what is available within waitMs; false once the pipe is closed.
static bool readSome(VincaProcess *p, int waitMs) {
    if (p->outFd < 0) {
        return false;
    }
    pollfd pfd = {p->outFd, POLLIN, 0};
    int r = poll(&pfd, 1, waitMs);
    if (r <= 0) {
        return true;
    }
    char buf[4096];
    ssize_t n = read(p->outFd, buf, sizeof buf);
    if (n > 0) {
        p->out.append(buf, static_cast<size_t>(n));
        return true;
    }
    if (n < 0 && errno == EINTR) {
        return true;
    }
    close(p->outFd);
    p->outFd = -1;
    return false;
}

bool waitForOutput(VincaProcess *p, const std::string &text, int timeoutMs) {
    long long end = nowMs() + timeoutMs;
    while (p->out.find(text) == std::string::npos) {
        long long left = end - nowMs();
        if (left <= 0) {
            return false;
        }
        if (!readSome(p, static_cast<int>(left < 100 ? left : 100))) {
            return p->out.find(text) != std::string::npos;
        }
    }
    return true;
}

static void reap(VincaProcess *p, int options) {
    int st = 0;
    if (waitpid(p->pid, &st, options) == p->pid) {
        p->exited = true;
        p->status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        p->signal = WIFSIGNALED(st) ? WTERMSIG(st) : 0;
    }
}

bool waitForExit(VincaProcess *p, int timeoutMs) {
    long long end = nowMs() + timeoutMs;
    while (!p->exited) {
        while (readSome(p, 10) && p->outFd >= 0) {
            if (nowMs() > end) {
                break;
            }
        }
        reap(p, WNOHANG);
        if (p->exited) {
            break;
        }
        if (nowMs() > end) {
            stopProcess(p);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    while (readSome(p, 0) && p->outFd >= 0) {
    }
    return true;
}

void stopProcess(VincaProcess *p) {
    if (p->pid > 0 && !p->exited) {
        kill(p->pid, SIGKILL);
        reap(p, 0);
        p->status = -1;
    }
    if (p->outFd >= 0) {
        close(p->outFd);
        p->outFd = -1;
    }
}

VincaProcess runToEnd(const std::vector<std::string> &args, int timeoutMs) {
    VincaProcess p;
    if (startProcess(&p, args)) {
        waitForExit(&p, timeoutMs);
    }
    return p;
}

std::string shell(const std::string &command) {
    std::string result;
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) {
        result.append(buf, n);
    }
    pclose(pipe);
    return result;
}

std::string windowSearch() {
    return "search --onlyvisible --name '^" + std::string(WINDOW_TITLE) + "$'";
}

std::string findVincaWindow(int timeoutMs) {
    long long end = nowMs() + timeoutMs;
    while (nowMs() < end) {
        std::string id = shell("xdotool " + windowSearch() + " 2>/dev/null | tail -n 1");
        while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) {
            id.pop_back();
        }
        if (!id.empty()) {
            return id;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return "";
}

bool menuShown() {
    return !shell("xdotool search --onlyvisible --name '^freeglut menu$' 2>/dev/null").empty();
}

bool waitForMenu(bool shown, int timeoutMs) {
    long long end = nowMs() + timeoutMs;
    while (menuShown() != shown) {
        if (nowMs() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string writeTempFile(const std::string &text) {
    char path[] = "/tmp/vinca-test-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) {
        return "";
    }
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    close(fd);
    return path;
}
