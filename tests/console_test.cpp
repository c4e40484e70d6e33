// What a person or a script reads from the real binary: the encoding of its console texts on
// terminals and pipes, and the answers to --help and --version.
#include "support/process.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

// The relocation notice: the first narrated line with accents, printed with no input at all.
const std::string ON_THE_AXIS = "c\t-9\t0\t0\t0\t3\n";

static std::string asUtf8(const std::string &text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

TEST(Console, AccentsAreUtf8OnlyOnAUtf8Terminal) {
    std::string path = writeTempFile(ON_THE_AXIS);
    const std::string singleBytes = BANNER + RELOCATED_TEXT;
    // A file name is the user's own bytes, already UTF-8 there: written as given.
    const std::string missing = path + "_nope_\xc3\xb1.txt";
    struct {
        const char *name;
        bool terminal;
        const char *locale;
        std::string file, out;
    } cases[] = {
        {"UTF-8 terminal", true, "C.UTF-8", path, asUtf8(singleBytes)},
        {"pipe under a UTF-8 locale", false, "C.UTF-8", path, singleBytes},
        {"terminal in the C locale", true, "C", path, singleBytes},
        {"UTF-8 file name on a UTF-8 terminal", true, "C.UTF-8", missing,
         OPEN_ERROR_TEXT + missing + "\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        VincaProcess p;
        ASSERT_TRUE(c.terminal ? startProcessOnTerminal(&p, {c.file}, c.locale)
                               : startProcess(&p, {c.file}, "", c.locale));
        waitForOutput(&p, c.out, 10000);
        EXPECT_EQ(p.out, c.out);
    }
    unlink(path.c_str());
}

TEST(Console, HelpAndVersionAnswerWithoutAWindow) {
    // A block file named like an option is still reachable by its path.
    char dir[] = "/tmp/vinca-option-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string optionFile = std::string(dir) + "/--help";
    ASSERT_EQ(std::rename(writeTempFile(ON_THE_AXIS).c_str(), optionFile.c_str()), 0);
    struct {
        std::vector<std::string> args;
        int status;
        std::string begins;
    } cases[] = {
        {{"--version"}, 0, "vinca " VINCA_VERSION "\n"},
        {{"--help"}, 0, "Usage: vinca BLOCKFILE\n"},
        {{"-h"}, 0, "Usage: vinca BLOCKFILE\n"},
        {{"--help", "x"}, 1, USAGE},
        {{optionFile}, -1, BANNER + RELOCATED_TEXT},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args[0]);
        VincaProcess p;
        ASSERT_TRUE(startProcess(&p, c.args));
        if (c.status >= 0) {
            EXPECT_TRUE(waitForExit(&p, 10000));
            EXPECT_EQ(p.status, c.status);
        } else {
            waitForOutput(&p, c.begins, 10000);
        }
        EXPECT_EQ(p.out.substr(0, c.begins.size()), c.begins);
        if (c.args.size() == 1 && c.args[0] == "--help") {
            for (const char *part : {"./--help", "Keys:", "Exit status:"}) {
                EXPECT_NE(p.out.find(part), std::string::npos) << part;
            }
        }
        if (c.args[0] == "--version") {
            EXPECT_EQ(p.out, c.begins);
        }
    }
    unlink(optionFile.c_str());
    rmdir(dir);
}

// Under wine (programGiven()) a terminal is a Windows console, drawn by a console host that
// adds escapes and carriage returns of its own: what it shows must be the letters written,
// not the OEM code page's symbols for their bytes (n with tilde as a plus-minus sign).
TEST(Console, WindowsConsoleShowsTheLetters) {
    if (!programGiven()) {
        GTEST_SKIP() << "a Windows console is met only under wine";
    }
    std::string path = writeTempFile(ON_THE_AXIS);
    VincaProcess p;
    ASSERT_TRUE(startProcessOnTerminal(&p, {path}, "C.UTF-8"));
    waitForOutput(&p, "internos", 20000);
    // Its escapes (CSI, up to the final byte) and carriage returns set aside.
    std::string shown;
    for (std::size_t i = 0; i < p.out.size(); i++) {
        if (p.out.compare(i, 2, "\x1b[") == 0) {
            auto isFinal = [](char c) { return c >= '@' && c <= '~'; };
            i = std::find_if(p.out.begin() + i + 2, p.out.end(), isFinal) - p.out.begin();
        } else if (p.out[i] != '\r') {
            shown += p.out[i];
        }
    }
    EXPECT_EQ(shown, asUtf8(BANNER + RELOCATED_TEXT));
    unlink(path.c_str());
}
