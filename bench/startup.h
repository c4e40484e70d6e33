// Watching the real vinca binary from outside, over its own X connection.
#ifndef VINCA_BENCH_STARTUP_H
#define VINCA_BENCH_STARTUP_H

#include <string>
#include <vector>

struct StartupRun {
    bool ok = false;
    std::string error;
    double toMapMs = 0;   // spawn to the window's MapNotify
    double toFrameMs = 0; // spawn to the first frame's pixels on the X server
    long peakRssKb = 0;   // VmHWM of the process, read when the figure was taken
};

// Pixels (0xRRGGBB) of one row of an X window, as the server holds them.
std::vector<unsigned> grabWindowRow(unsigned long window, int row, int width);

// Starts binary on blockFile and times it until the row shows expectedRow.
StartupRun measureStartup(const std::string &binary, const std::string &blockFile,
                          const std::vector<unsigned> &expectedRow, int row);

#endif
