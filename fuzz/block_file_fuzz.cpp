// Fuzzes the block-file reader: whatever the bytes, it must stay in bounds, end, and
// leave a table the rest of the program can trust.
#include "app/app.h"
#include "common/common.h"
#include "platform/platform.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// The reader ends the process on a bad colour; inside the target that exit is turned
// into a jump back here (the binary is linked with --wrap=exit).
static std::jmp_buf backToTarget;
static volatile bool insideTarget = false;

extern "C" [[noreturn]] void __real_exit(int status);
extern "C" [[noreturn]] void __wrap_exit(int status) {
    if (insideTarget) {
        std::longjmp(backToTarget, status + 1);
    }
    __real_exit(status);
}

// The reader's console and exit calls, made here as the desktop makes them (std::exit, so
// the wrap above sees the colour error); memoryStream is the platform's own. The fuzzer
// links no GL, GLUT or console code.
void consolePrint(const char *, ...) {}

void quitProgram(int status) {
    std::exit(status);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // The reader's messages are not what is under test here.
    std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::FILE *file = fmemopen(const_cast<uint8_t *>(data), size, "r");
    if (file == nullptr) {
        return 0; // another C library's fmemopen may refuse size 0
    }
    blockCount = 0;
    insideTarget = true;
    int exitStatus = setjmp(backToTarget);
    if (exitStatus == 0) {
        readBlockFile(file);
    } else if (exitStatus != 2) {
        std::abort(); // only the colour error may end the reader, and with status 1
    }
    insideTarget = false;
    std::fclose(file);

    if (blockCount < 0 || blockCount > MAX_BLOCKS) {
        std::abort();
    }
    for (int i = 0; i < blockCount; i++) {
        const Block &b = blockTable[i];
        if (b.color < 0 || b.color > 11 || b.z == 0.0f || b.present != 1) {
            std::abort();
        }
    }
    return 0;
}
