// Running the real vinca binary: capture its console bytes, drive it with xdotool.
#ifndef VINCA_TEST_PROCESS_H
#define VINCA_TEST_PROCESS_H

#include "app/app.h"

#include <functional>
#include <iterator>
#include <numeric>
#include <string>
#include <sys/types.h>
#include <vector>

// One run of the binary, started once, killed (if still running) when its record goes, so that
// a failed assertion leaves nothing behind. The record alone owns the child and its pipe.
struct VincaProcess {
    pid_t pid = -1;
    int outFd = -1;  // read end of the child's stdout
    std::string out; // every byte read so far
    int status = -1; // exit status once reaped, -1 before (or if killed by a signal)
    int signal = 0;  // the signal that ended it, once reaped; 0 if it exited
    bool exited = false;
    // Set before startProcess: a file where the driver reports GL errors (see glErrors), and
    // whether, when run as root, the child drops to nobody (uid/gid 65534) and runs a
    // world-executable copy of the binary, so that file permissions apply as to anyone.
    std::string glLog;
    bool asNobody = false;

    VincaProcess() = default;
    VincaProcess(const VincaProcess &) = delete;
    VincaProcess &operator=(const VincaProcess &) = delete;
    ~VincaProcess();
};

// A text the program prints in parts, whole.
template <size_t N> std::string joined(const char *const (&parts)[N]) {
    return std::accumulate(std::begin(parts), std::end(parts), std::string());
}
const std::string BANNER = joined(BANNER_TEXT); // first, once its block file is open
const std::string USAGE = joined(USAGE_TEXT);
const std::string COLOUR_ERROR = std::string(READ_ERROR_TEXT) + COLOUR_ERROR_TEXT;

// The GL errors logged in p->glLog, one line each ("" when none) as Mesa reports them; the
// log is removed.
std::string glErrors(VincaProcess *p);

// The lines of the file at path that hold any of parts, each with its newline.
std::string linesWith(const std::string &path, const std::vector<std::string> &parts);

// True where the tests run the command VINCA_PROGRAM names (the Windows build under wine,
// tools/windows_test.sh) instead of the build's binary; it takes the same arguments.
bool programGiven();

// Starts the binary (VINCA_BINARY or VINCA_PROGRAM's command, unless given) with args, and
// LC_ALL set to locale if given; stderr goes to p->glLog if set, else is discarded.
bool startProcess(VincaProcess *p, const std::vector<std::string> &args,
                  const std::string &binary = "", const char *locale = nullptr);

// As startProcess with LC_ALL set to locale, standard output a raw pseudo-terminal.
bool startProcessOnTerminal(VincaProcess *p, const std::vector<std::string> &args,
                            const std::string &locale);

// Reads output until text appears (true) or timeoutMs passes or the process ends (false).
bool waitForOutput(VincaProcess *p, const std::string &text, int timeoutMs);

// Reads the rest of the output and reaps the process; false on time-out (then killed).
bool waitForExit(VincaProcess *p, int timeoutMs);

// Kills and reaps a process still running.
void stopProcess(VincaProcess *p);

std::string xdotool(const std::string &args); // its output; its errors discarded

// Polls done every 20 ms until it holds (true) or timeoutMs passes (false).
bool waitUntil(const std::function<bool()> &done, int timeoutMs = 10000);

// Waits until the process sleeps, having spent no CPU time in 100 ms: blocked on input or an
// event, not starved of a core.
bool waitUntilAsleep(pid_t pid);

// Chooses entry 0 "Exit", 1 block collection or 2 manual mode of the program's menu, opened
// near the window's corner. False when it did not open or did not close.
bool chooseMenu(const std::string &window, int entry);

// X window id of the program's window (waits for it), or "" if none shows up.
std::string findVincaWindow(int timeoutMs = 10000);
std::string windowSearch(); // xdotool's search for the program's mapped windows, by title

// Makes window take the keys typed over it. On X with no window manager they go where the
// pointer is; a program under wine takes them only once focused (programGiven()), which is
// done only then, as a focus once set stays when the window goes.
void readyForKeys(const std::string &window);

// Writes text to a fresh temporary file and returns its path.
std::string writeTempFile(const std::string &text);

#endif
