// Spawning vinca with a piped stdout and reading it with time-outs.
#include "support/process.h"

#include "app/app.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

static bool dropToNobody = false; // set by startProcessAsNobody around startProcess

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

[[noreturn]] static void execChild(const std::string &program, const std::vector<std::string> &args,
                                   const char *locale) {
    if (locale != nullptr) {
        setenv("LC_ALL", locale, 1);
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

bool startProcess(VincaProcess *p, const std::vector<std::string> &args, const std::string &binary,
                  const char *locale) {
    std::string program = binary.empty() ? programUnderTest() : binary;
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
        if (!p->glLog.empty()) {
            setenv("MESA_DEBUG", "1", 1); // Mesa then reports each GL error on stderr
        }
        int err = open(p->glLog.empty() ? "/dev/null" : p->glLog.c_str(), O_WRONLY | O_APPEND);
        if (err >= 0) {
            dup2(err, STDERR_FILENO);
        }
        close(fds[0]);
        close(fds[1]);
        if (dropToNobody &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(126);
        }
        execChild(program, args, locale);
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
        int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0) {
            dup2(devNull, STDERR_FILENO);
        }
        execChild(programUnderTest(), args, locale.c_str());
    }
    return started(p, pid, master);
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

static std::string shell(const std::string &command) {
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

std::string xdotool(const std::string &args) {
    return shell("xdotool " + args + " 2>/dev/null");
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
            while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) {
                id.pop_back();
            }
            return !id.empty();
        },
        timeoutMs);
    return id;
}

// Polls the X server until a GLUT pop-up menu is shown (shown true) or gone (false).
static bool waitForMenu(bool shown, int timeoutMs = 10000) {
    return waitUntil(
        [&] { return xdotool("search --onlyvisible --name '^freeglut menu$'").empty() != shown; },
        timeoutMs);
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

bool waitUntilAsleep(pid_t pid, int timeoutMs) {
    std::string last = stateAndTicks(pid);
    return waitUntil(
        [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(80));
            std::string now = stateAndTicks(pid);
            bool still = now == last && now[0] == 'S';
            last = now;
            return still;
        },
        timeoutMs);
}

std::string glErrors(VincaProcess *p) {
    std::ifstream in(p->glLog);
    std::string line, errors;
    while (std::getline(in, line)) {
        if (line.find("Mesa: User error") != std::string::npos) {
            errors += line + "\n";
        }
    }
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
