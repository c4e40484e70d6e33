// The README's and the man page's key tables, the window title and the menu entries, and the
// title the scripts search for, are written by hand: each must hold what the program has.
#include "app/app.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

struct Row {
    std::vector<std::string> keys; // the words of the field that names the keys
    std::string text;              // the whole entry
};

// README rows are table lines, keys in the first cell; the man page's are .BR lines, keys on
// the line itself and what they do on the next.
static std::vector<Row> rows(const char *path, const std::string &start, bool man) {
    std::ifstream file(path);
    std::vector<Row> found;
    for (std::string line, next; std::getline(file, line);) {
        if (line.compare(0, start.size(), start) != 0 || (man && !std::getline(file, next))) {
            continue;
        }
        std::string field = man ? line : line.substr(0, line.find('|', 1));
        for (char &c : field) {
            c = std::string(" ,/`\"|").find(c) == std::string::npos ? c : ' ';
        }
        std::istringstream words(field);
        found.push_back({{std::istream_iterator<std::string>(words), {}}, line + "\n" + next});
    }
    return found;
}

static std::string contents(const char *path) {
    std::ifstream file(path);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

static bool has(const std::vector<std::string> &words, const std::string &word) {
    return std::find(words.begin(), words.end(), word) != words.end();
}

TEST(Docs, KeysWithTheirLimitsTitleAndMenuAsTheProgramHasThem) {
    const char *README = VINCA_SOURCE_DIR "/README.md", *MAN = VINCA_SOURCE_DIR "/docs/vinca.1.in",
               *USING = VINCA_SOURCE_DIR "/docs/USING.md";
    for (bool man : {false, true}) {
        std::vector<Row> table = rows(man ? MAN : README, man ? ".BR " : "| ", man);
        for (int i = 0; i < KEY_COUNT; i++) {
            const Key &k = KEYS[i];
            std::string limits = keyLimits(k, " to ");
            for (size_t at = limits.find('-'); man && at != limits.npos;
                 at = limits.find('-', at + 2)) {
                limits.insert(at, "\\");
            }
            bool found = std::any_of(table.begin(), table.end(), [&](const Row &row) {
                return has(row.keys, keyName(k)) &&
                       (k.arrowName == nullptr || has(row.keys, k.arrowName)) &&
                       row.text.find(limits) != std::string::npos;
            });
            EXPECT_TRUE(found) << (man ? MAN : README) << ": " << keyName(k) << " " << limits;
        }
        std::string text = man ? contents(MAN) : contents(README) + contents(USING);
        EXPECT_NE(text.find("\"" + std::string(WINDOW_TITLE)), text.npos) << "title";
        for (const MenuEntry &entry : MENU_ENTRIES) {
            EXPECT_NE(text.find((man ? ".B " : "\"") + std::string(entry.label)), text.npos)
                << entry.label;
        }
    }
    // The scripts find the window by its title, the one thing the window carries that names it.
    EXPECT_NE(
        contents(VINCA_SOURCE_DIR "/tools/lib.sh").find("'^" + std::string(WINDOW_TITLE) + "$'"),
        std::string::npos);
}
