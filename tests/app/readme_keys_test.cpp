// The READMEs' key tables (README.md's and the Windows players' README.txt), the manual page's
// KEYS section and the program's key table must not drift apart.
#include "app/keyboard.h"
#include "tests/support/test_support.h"

#include <cctype>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

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

// The header of the key table in the Windows players' README.txt; a rule line follows it, then
// one "    k    action" line per key up to the first empty line.
const char* const windowsTableHeader = "    Key  What it does";

// Every line of that table's body, in order, whatever its form: a row that is not a key row
// shows up as itself in a failure. Empty when the header or its rule is missing.
std::vector<std::string> windowsReadmeKeyRows()
{
    std::istringstream readme(readFile(sourcePath("packaging/windows/README.txt")));
    std::vector<std::string> rows;
    std::string line;
    bool header = false;
    while (!header && std::getline(readme, line)) header = line == windowsTableHeader;
    if (!header || !std::getline(readme, line) || line.rfind("    ---  ---", 0) != 0) return rows;
    while (std::getline(readme, line) && !line.empty()) rows.push_back(line);
    return rows;
}

// The KEYS section of the manual page: each key of a ".TP" entry and the entry's text.
std::map<unsigned char, std::string> manualPageKeys()
{
    std::istringstream page(readFile(sourcePath("packaging/vantora.6")));
    std::map<unsigned char, std::string> keys;
    bool inKeys = false;
    std::string line, previous;
    std::vector<unsigned char> entryKeys;
    while (std::getline(page, line)) {
        if (line.rfind(".SH", 0) == 0) inKeys = line == ".SH KEYS";
        if (!inKeys) continue;
        if (previous == ".TP" && (line.rfind(".B ", 0) == 0 || line.rfind(".BR ", 0) == 0)) {
            // ".BR i \", \" I": the one-character words are the keys.
            entryKeys.clear();
            std::istringstream words(line.substr(line.find(' ')));
            for (std::string word; words >> word;)
                if (word.size() == 1 && std::isalpha(static_cast<unsigned char>(word[0])))
                    entryKeys.push_back(static_cast<unsigned char>(word[0]));
        } else if (!entryKeys.empty()) {
            for (unsigned char key : entryKeys) keys[key] = line;
            entryKeys.clear();
        }
        previous = line;
    }
    return keys;
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

// Compared in the program's order, as README.md lists them: a key left out, listed twice,
// misspelt or moved fails.
TEST(ReadmeKeys, WindowsReadmeTableMatchesTheBindings)
{
    std::vector<std::string> expected;
    for (int i = 0; i < keyBindingCount; ++i) {
        const KeyBinding& b = keyBindings[i];
        expected.push_back(std::string("    ") + static_cast<char>(b.key) + "    " + b.action);
    }
    EXPECT_EQ(windowsReadmeKeyRows(), expected);
}

TEST(ManualPage, ListsExactlyTheKeysOfTheKeyTable)
{
    const std::map<unsigned char, std::string> page = manualPageKeys();
    for (int i = 0; i < keyBindingCount; ++i) {
        const KeyBinding& binding = keyBindings[i];
        const auto entry = page.find(binding.key);
        ASSERT_NE(page.end(), entry) << "key " << binding.key << " is not in the manual page";
        EXPECT_EQ(0u, entry->second.find(binding.action))
            << "key " << binding.key << ": \"" << entry->second << "\" does not start with \""
            << binding.action << "\"";
    }
    EXPECT_EQ(static_cast<size_t>(keyBindingCount), page.size()) << "keys the game has not";
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
