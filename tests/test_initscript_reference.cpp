// The preprocessor expands each name's text once and keeps it, resumes its
// scan after a replacement instead of re-reading the line from its start,
// and stops names that would never settle. This compares it, on random token
// mixes, with a plain re-reading scan written straight from the rules: where
// that one ends, the lines and definitions must be the same and nothing
// reported; where it runs away, the preprocessor must report the line.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "script/preprocess.h"
#include "script/words.h"
#include "support/script_text.h"

namespace {

bool isDecimal(const std::string& w) {
    const bool allowed = std::all_of(w.begin(), w.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
    return allowed && w.find('.') != std::string::npos && w.find_first_of("0123456789") != std::string::npos;
}

std::string milliseconds(const std::string& w) {
    double seconds = 0;
    readDouble(w, seconds);
    const double ms = seconds * 1000.0;
    return std::to_string(ms >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(ms));
}

struct Reference {
    std::vector<std::string> lines;
    std::map<std::string, std::string> defines;
};

// Every replacement restarts the scan at the beginning of T. A continued
// definition takes the joined text, and a definition line is not passed on
// even when continued (the loader's choices where the rules leave one).
// Returns false when a line needs hundreds of replacements or grows long: a runaway.
bool reference(const std::string& text, Reference& r) {
    CScript names;
    names.defineInit();
    const std::vector<std::string> physical = splitLines(text);
    auto& defines = r.defines;
    size_t next = 0;
    while (next < physical.size()) {
        std::string t = physical[next++];
        if (t.empty() || t[0] == '#') continue;
        std::string p, pending, defName, defPrefix;
        size_t defOffset = 0;
        bool sync = false, continued = false, defining = false, defInPart = false;
        size_t pos = 0, begin, end;
        int count = 0;
        while (nextWord(t, pos, begin, end)) {
            const std::string w = t.substr(begin, end - begin);
            if (p == "Sync") sync = true;
            std::string with;
            bool replace = false;
            if (isDecimal(w) && (p.empty() || p == "duration" || sync)) {
                with = milliseconds(w);
                replace = true;
            } else if (w == "\\") {
                const std::string kept = t.substr(0, t.size() - 1);
                if (defining && !defName.empty()) {
                    defPrefix += kept.substr(std::min(defInPart ? defOffset : 0, kept.size()));
                    defines[defName] = defPrefix;
                }
                pending += kept;
                continued = true;
                defInPart = false;
                t = next < physical.size() ? physical[next++] : std::string();
                pos = 0;
                continue;
            } else if (w == "Define") {
                defining = true;
                p = w;
                pos = end;
                size_t nb, ne;
                if (nextWord(t, end, nb, ne)) {
                    p = t.substr(nb, ne - nb);
                    defOffset = std::min(ne + 1, t.size());
                    defines[p] = t.substr(defOffset);
                    defName = p;
                    defPrefix.clear();
                    defInPart = true;
                    pos = ne;
                }
                continue;
            } else if (names.glConstants.count(w)) {
                with = std::to_string(names.glConstants[w]);
                replace = true;
            } else if (defines.count(w)) {
                with = defines[w];
                replace = true;
            }
            if (!replace) {
                p = w;
                pos = end;
                continue;
            }
            if (++count > 300 || t.size() > 3000) return false;
            t.replace(begin, end - begin, with);
            p = w;
            pos = 0;
        }
        if (t == "@end") {
            r.lines.push_back("@end");
            return true;
        }
        if (defining) {
            if (continued && !defName.empty())
                defines[defName] = defPrefix + t.substr(std::min(defInPart ? defOffset : 0, t.size()));
        } else if (continued) {
            r.lines.push_back(pending + t);
        } else {
            r.lines.push_back(t);
        }
    }
    r.lines.push_back("@end");
    return true;
}

// Names that stand for each other, before and after their definitions,
// definitions that name "duration", "Sync", numbers or themselves, several
// on a line, continued ones, and uses of them in every scan state.
std::string randomScript(std::mt19937& random, int length) {
    const char* common[] = {"A", "B", "C", "A", "B", "GL_ONE", "Sync", "duration", "1.5", "0.25", "2.",
                            "7", "250", "x", "#", "@end", " ", "  ", "\n", "\n", "\n", "\n", "\r\n"};
    const char* defining[] = {"Define",          "Define A",    "Define B", "Define C",  "Define A",
                              "Define duration", "Define Sync", "Define 1.5", "Define 250", "Define x"};
    const char* joining[] = {"\\\n", " \\\n", "\\"};
    std::string text;
    const int count = static_cast<int>(random() % length);
    for (int i = 0; i < count; i++) {
        const unsigned pick = random() % 12;
        if (pick < 2) text += "\n" + std::string(defining[random() % std::size(defining)]);
        else if (pick == 2) text += defining[random() % std::size(defining)];
        else if (pick == 3 && random() % 3 == 0) text += joining[random() % std::size(joining)];
        else text += common[random() % std::size(common)];
        text += ' ';
    }
    return text;
}

}  // namespace

TEST(PreprocessReference, MatchesRereadingAndReportsEveryRunaway) {
    std::mt19937 random(5);
    int compared = 0, runaways = 0;
    for (int round = 0; round < 30000; round++) {
        const std::string text = randomScript(random, round % 3 == 0 ? 80 : 30);
        Reference expected;
        const bool ends = reference(text, expected);
        CScript s;
        s.defineInit();
        preprocess(splitLines(text), s);
        if (!ends) {
            ASSERT_FALSE(s.runawayLines.empty()) << "runs away, not reported: " << text;
            runaways++;
            continue;
        }
        ASSERT_TRUE(s.runawayLines.empty()) << "ends, but reported: " << text;
        ASSERT_EQ(s.lines, expected.lines) << "text: " << text;
        ASSERT_EQ(s.defines, expected.defines) << "text: " << text;
        compared++;
    }
    EXPECT_GT(compared, 18000);
    EXPECT_GT(runaways, 8000);
}
