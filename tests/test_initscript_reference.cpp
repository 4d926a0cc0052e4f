// The preprocessor resumes its scan after a replacement instead of
// re-reading the line from its start. This compares it, on random token
// mixes, with a plain re-reading scan written straight from the rules.
#include <gtest/gtest.h>

#include <algorithm>
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

// Every replacement restarts the scan at the beginning of T. Returns false
// when a line needs hundreds of replacements or grows long: a runaway.
bool reference(const std::string& text, std::vector<std::string>& out) {
    CScript names;
    names.defineInit();
    const std::vector<std::string> physical = splitLines(text);
    std::map<std::string, std::string> defines;
    size_t next = 0;
    while (next < physical.size()) {
        std::string t = physical[next++];
        if (t.empty() || t[0] == '#') continue;
        std::string p, pending;
        bool sync = false, continued = false, defining = false;
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
                pending += t.substr(0, t.size() - 1);
                continued = true;
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
                    defines[p] = t.substr(std::min(ne + 1, t.size()));
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
            if (++count > 200 || t.size() > 2000) return false;
            t.replace(begin, end - begin, with);
            p = w;
            pos = 0;
        }
        if (t == "@end") {
            out.push_back("@end");
            return true;
        }
        if (continued) out.push_back(pending + t);
        else if (!defining) out.push_back(t);
    }
    out.push_back("@end");
    return true;
}

std::string randomScript(std::mt19937& random, bool withDefine) {
    const char* common[] = {"A", "B", "GL_ONE", "Sync", "duration", "1.5", "0.25", "2.", "7",
                            "x", "#", "@end", " ", "  ", "\n", "\n", "\n", "\r\n"};
    const char* defining[] = {"Define", "Define A", "Define B", "Define duration", "Define Sync"};
    const char* joining[] = {"\\\n", " \\\n", "\\"};
    std::string text;
    const int count = static_cast<int>(random() % 30);
    for (int i = 0; i < count; i++) {
        const unsigned pick = random() % 10;
        if (pick == 0 && withDefine) text += defining[random() % std::size(defining)];
        else if (pick == 0) text += joining[random() % std::size(joining)];
        else text += common[random() % std::size(common)];
        text += ' ';
    }
    return text;
}

}  // namespace

TEST(PreprocessReference, ResumingMatchesRereading) {
    std::mt19937 random(5);
    int compared = 0;
    for (int round = 0; round < 10000; round++) {
        const std::string text = randomScript(random, round % 2 == 0);
        std::vector<std::string> expected;
        if (!reference(text, expected)) continue;
        const PreprocessedScript out = preprocessText(text);
        if (!out.runawayLines.empty()) continue;
        ASSERT_EQ(out.lines, expected) << "text: " << text;
        compared++;
    }
    EXPECT_GT(compared, 7500);
}
