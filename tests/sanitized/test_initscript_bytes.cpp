// Script loading on hostile bytes, under AddressSanitizer: random files and
// random mixes of the script's own tokens must load without a fault, and
// the line list must keep its shape.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "script/preprocess.h"
#include "support/script_text.h"

static void expectWellFormed(const std::string& text) {
    const PreprocessedScript out = preprocessText(text);
    ASSERT_FALSE(out.lines.empty());
    EXPECT_EQ(out.lines.back(), "@end");
    ASSERT_EQ(out.lines.size(), out.lineNumbers.size());
    EXPECT_TRUE(std::is_sorted(out.lineNumbers.begin(), out.lineNumbers.end()));
    const int physical = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 2;
    for (int number : out.lineNumbers) EXPECT_TRUE(number >= 1 && number <= physical) << number;
    for (const RunawayLine& r : out.runawayLines) EXPECT_TRUE(r.line >= 1 && r.line <= physical) << r.line;

    // The option pass, as the load runs it (the file step is tested apart).
    CScript s;
    s.defineInit();
    preprocess(splitLines(text), s);
    s.defines.clear();
    s.glConstants.clear();
    s.optionParse();
    EXPECT_TRUE(s.lines.empty());
    EXPECT_EQ(s.statements.size(), s.startTimes.size());
    EXPECT_EQ(s.statements.size(), s.statementLines.size());
}

TEST(ScriptBytes, RandomBytes) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; round++) {
        std::string text(random() % 4096, '\0');
        for (char& c : text) c = static_cast<char>(random());
        expectWellFormed(text);
        CScript s;
        EXPECT_TRUE(loadScriptText(s, text));
        EXPECT_EQ(s.statements.size(), s.startTimes.size());
    }
}

TEST(ScriptBytes, RandomTokenMixes) {
    const char* tokens[] = {"Define", "A", "B", "GL_ONE", "\\", "Sync", "Default", "@sync", "@end",
                            "duration", "1.5", ".", "2.", "7", "-1", "#", " ", "  ", "\t", "\r",
                            "\n", "\n", "\r\n", "!sound", "800x600", "x"};
    std::mt19937 random(11);
    for (int round = 0; round < 2000; round++) {
        std::string text;
        const int count = static_cast<int>(random() % 40);
        for (int i = 0; i < count; i++) {
            text += tokens[random() % std::size(tokens)];
            if (random() % 2) text += ' ';
        }
        expectWellFormed(text);
        if (HasFatalFailure()) {
            ADD_FAILURE() << "text: " << text;
            return;
        }
    }
}
