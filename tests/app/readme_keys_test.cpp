// The README's key table and the program's key table must not drift apart.
#include "app/keyboard.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>

namespace {

// The rows of the key table in the README's "## Keys" section: "| `k` | action |".
std::set<std::string> readmeKeyRows()
{
    std::istringstream readme(readFile(sourcePath("README.md")));
    std::set<std::string> rows;
    std::string line;
    bool inKeys = false;
    while (std::getline(readme, line)) {
        if (line.rfind("## ", 0) == 0) inKeys = line == "## Keys";
        if (inKeys && line.rfind("| `", 0) == 0) rows.insert(line);
    }
    return rows;
}

} // namespace

TEST(ReadmeKeys, TableMatchesTheBindings)
{
    const std::set<std::string> rows = readmeKeyRows();
    std::set<std::string> expected;
    for (int i = 0; i < keyBindingCount; ++i) {
        const KeyBinding& b = keyBindings[i];
        expected.insert(std::string("| `") + static_cast<char>(b.key) + "` | " + b.action + " |");
    }
    EXPECT_EQ(rows, expected);
}

TEST(ReadmeKeys, CaseMattersAndCapitalRRestartsNothing)
{
    std::set<unsigned char> keys;
    for (int i = 0; i < keyBindingCount; ++i) {
        EXPECT_TRUE(keys.insert(keyBindings[i].key).second)
            << "bound twice: " << keyBindings[i].key;
    }
    EXPECT_EQ(keys.count('r'), 1u);
    EXPECT_EQ(keys.count('R'), 0u);
    EXPECT_EQ(keys.count('q') + keys.count('Q'), 2u);
}
