// Spawning vinca with a piped stdout and reading it with time-outs.
#include "support/process.h"

#include "app/app.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// VINCA_PROGRAM's command where one is given (process.h), else the build's binary.
static std::string programUnderTest() {
    return programGiven() ? std::getenv("VINCA_PROGRAM") : VINCA_BINARY;
}

bool programGiven() {
    const char *command = std::getenv("VINCA_PROGRAM");
    return command != nullptr && *command != '\0';
}

static long long nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A world-executable copy of the binary, made once: the build tree may be out of nobody's
// reach. "" when it cannot be made.
static std::string nobodyCopy() {
    static std::string dir;
    char made[] = "/tmp/vinca-nobody-XXXXXX";
    std::error_code failed;
    if (dir.empty() && mkdtemp(made) != nullptr && chmod(made, 0755) == 0 &&
        std::filesystem::copy_file(VINCA_BINARY, std::string(made) + "/vinca", failed) &&
        chmod((std::string(made) + "/vinca").c_str(), 0755) == 0) {
        dir = made;
        std::atexit([] { std::filesystem::remove_all(dir); });
    }
    return dir.empty() ? "" : dir + "/vinca";
}

// In the child: stderr to p->glLog or nowhere, nobody's ids if asked, then the program.
[[noreturn]] static void execChild(const VincaProcess *p, const std::string &program,
                                   const std::vector<std::string> &args, const char *locale) {
    if (!p->glLog.empty()) {
        setenv("MESA_DEBUG", "1", 1); // Mesa then reports each GL error on stderr
    }
    int err = open(p->glLog.empty() ? "/dev/null" : p->glLog.c_str(), O_WRONLY | O_APPEND);
    if (err >= 0) {
        dup2(err, STDERR_FILENO);
    }
    if (p->asNobody && geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
        _exit(126);
    }
    if (locale != nullptr) {
        setenv("LC_ALL", locale, 1);
    }
    signal(SIGINT, SIG_DFL); // as from a terminal, even under a runner that ignores Ctrl-C
    std::vector<char *> argv = {const_cast<char *>(program.c_str())};
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
    return true;
}

bool startProcess(VincaProcess *p, const std::vector<std::string> &args, const std::string &binary,
                  const char *locale) {
    std::string program = p->asNobody && geteuid() == 0 ? nobodyCopy()
                          : binary.empty()              ? programUnderTest()
                                                        : binary;
    int fds[2];
    if (program.empty() || pipe(fds) != 0) {
        return false;
    }
    pid_t pid = fork();
    if (pid < 0) {
        return false;
    }
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execChild(p, program, args, locale);
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
        execChild(p, programUnderTest(), args, locale.c_str());
    }
    return started(p, pid, master);
}

// Reads what is available within waitMs; false once the pipe is closed.
static bool readSome(VincaProcess *p, int waitMs) {
    if (p->outFd < 0) {
        return false;
    }
    pollfd pfd = {p->outFd, POLLIN, 0};
    if (poll(&pfd, 1, waitMs) <= 0) {
        return true;
    }
    char buf[4096];
    ssize_t n = read(p->outFd, buf, sizeof buf);
    if (n > 0 || (n < 0 && errno == EINTR)) {
        p->out.append(buf, n > 0 ? static_cast<size_t>(n) : 0);
        return true;
    }
    close(p->outFd);
    p->outFd = -1;
    return false;
}

bool waitForOutput(VincaProcess *p, const std::string &text, int timeoutMs) {
    auto found = [&] { return p->out.find(text) != std::string::npos; };
    long long end = nowMs() + timeoutMs;
    for (long long left; !found() && (left = end - nowMs()) > 0;) {
        if (!readSome(p, static_cast<int>(std::min(left, 100LL)))) {
            break; // the pipe is closed
        }
    }
    return found();
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
    for (long long end = nowMs() + timeoutMs; !p->exited; reap(p, WNOHANG)) {
        if (nowMs() > end) {
            stopProcess(p);
            return false;
        }
        if (!readSome(p, 10)) { // the pipe is closed: only the exit is left to wait for
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
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

VincaProcess::~VincaProcess() {
    stopProcess(this);
}

std::string xdotool(const std::string &args) {
    std::string out;
    if (FILE *pipe = popen(("xdotool " + args + " 2>/dev/null").c_str(), "r")) {
        char buf[512];
        for (size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) {
            out.append(buf, n);
        }
        pclose(pipe);
    }
    return out;
}

std::string windowSearch() {
    return "search --onlyvisible --name '^" + std::string(WINDOW_TITLE) + "$'";
}

void readyForKeys(const std::string &window) {
    if (programGiven()) {
        xdotool("windowfocus --sync " + window);
    }
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs) {
    for (long long end = nowMs() + timeoutMs; !done();) {
        if (nowMs() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string findVincaWindow(int timeoutMs) {
    std::string id;
    waitUntil(
        [&] {
            id = xdotool(windowSearch() + " | tail -n 1");
            id.erase(id.find_last_not_of("\n ") + 1);
            return !id.empty();
        },
        timeoutMs);
    return id;
}

// Polls the X server until a GLUT pop-up menu is shown (shown true) or gone (false).
static bool waitForMenu(bool shown) {
    return waitUntil(
        [&] { return xdotool("search --onlyvisible --name '^freeglut menu$'").empty() != shown; });
}

bool chooseMenu(const std::string &window, int entry) {
    // freeglut opens the menu with its corner at the pointer, on the right button's press;
    // a click on an entry then chooses it. Entries are 26 pixels high.
    const int x = 100, y = 100, entryHeight = 26;
    xdotool("mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) +
            " click 3");
    bool opened = waitForMenu(true);
    xdotool("mousemove --window " + window + " " + std::to_string(x + 40) + " " +
            std::to_string(y + entryHeight / 2 + entryHeight * entry) + " click 1");
    return opened && waitForMenu(false);
}

// State letter of the process's main thread, then the CPU ticks of all its threads.
static std::string stateAndTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat, field[13];
    std::getline(in, stat);
    std::istringstream fields(stat.substr(stat.rfind(')') + 1)); // after the name
    for (std::string &f : field) {
        fields >> f;
    }
    return field[0] + " " + field[11] + " " + field[12]; // state, utime, stime
}

bool waitUntilAsleep(pid_t pid) {
    std::string last = stateAndTicks(pid);
    return waitUntil([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
        std::string now = stateAndTicks(pid);
        bool still = now == last && now[0] == 'S';
        last = now;
        return still;
    });
}

std::string linesWith(const std::string &path, const std::vector<std::string> &parts) {
    std::ifstream in(path);
    std::string found;
    for (std::string line; std::getline(in, line);) {
        auto inLine = [&](const std::string &part) { return line.find(part) != line.npos; };
        found += std::any_of(parts.begin(), parts.end(), inLine) ? line + "\n" : "";
    }
    return found;
}

std::string glErrors(VincaProcess *p) {
    std::string errors = linesWith(p->glLog, {"Mesa: User error"});
    std::remove(p->glLog.c_str());
    return errors;
}

std::string writeTempFile(const std::string &text) {
    char path[] = "/tmp/vinca-test-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) {
        return "";
    }
    close(fd);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}
