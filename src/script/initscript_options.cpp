// The option pass: "Default" options into the configuration record, "Sync" lines into sync
// lists, and the lines between "@sync" and "@end" into the timeline.
#include "script/preprocess.h"
#include "script/script.h"
#include "script/words.h"
#include "shell/init.h"

namespace {

// Reads the words of one line in turn.
class WordReader {
public:
    explicit WordReader(const std::string& text) : text_(text) {}
    bool next(std::string& word) {
        size_t begin, end;
        if (!nextWord(text_, pos_, begin, end)) return false;
        word.assign(text_, begin, end - begin);
        pos_ = end;
        return true;
    }

private:
    const std::string& text_;
    size_t pos_ = 0;
};

void setSize(CInit& options, int32_t width, int32_t height) {
    options.width = options.modeWidth = width;
    options.height = options.modeHeight = height;
}

// The rest of a "Default" line; unknown words are ignored.
void applyOptions(WordReader& reader, CInit& options) {
    std::string word;
    while (reader.next(word)) {
        if (word == "!fullscreen") options.windowed = true;
        else if (word == "!sound") options.soundOn = false;
        else if (word == "anaglyphic") options.anaglyphic = true;
        else if (word == "!gui") options.guiOn = false;
        else if (word == "640x480") setSize(options, 640, 480);
        else if (word == "800x600") setSize(options, 800, 600);
        else if (word == "1024x768") setSize(options, 1024, 768);
    }
}

// A value that is not a number reads as 0.
int32_t syncValue(const std::string& word) {
    int32_t value = 0;
    readInt(word, value);
    return value;
}

// The rest of a "Sync" line: pairs of track and length.
std::vector<SYNC> readSyncList(WordReader& reader) {
    std::vector<SYNC> marks;
    std::string track, length;
    while (reader.next(track)) {
        if (!reader.next(length)) break;  // an unpaired value is dropped
        marks.push_back({syncValue(track), syncValue(length)});
    }
    return marks;
}

}  // namespace

void CScript::optionParse(CInit& options) {
    nextStatement = 0;
    auto lineNumber = [this](size_t i) { return i < lineNumbers.size() ? lineNumbers[i] : 0; };
    size_t i = 0;
    bool timeline = false;
    // The option part: keywords may stand anywhere in a line; words before
    // them are skipped, and "Sync" and "Default" take the rest of the line.
    for (; i < lines.size() && lines[i] != "@end" && !timeline; i++) {
        WordReader reader(lines[i]);
        std::string word;
        while (!timeline && reader.next(word)) {
            if (word == "@sync") {
                timeline = true;
            } else if (word == "Sync") {
                syncLists.push_back(readSyncList(reader));
                break;
            } else if (word == "Default") {
                applyOptions(reader, options);
                break;
            }
        }
    }
    // Without "@sync" the timeline stays empty.
    for (; timeline && i < lines.size() && lines[i] != "@end"; i++) {
        // A line of blanks keeps the time of the statement before it.
        int32_t start = startTimes.empty() ? 0 : startTimes.back();
        size_t begin, end;
        if (nextWord(lines[i], 0, begin, end) && !readInt(lines[i].substr(begin, end - begin), start))
            start = 0;
        statements.push_back(lines[i]);
        startTimes.push_back(start);
        statementLines.push_back(lineNumber(i));
    }
    lines.clear();
    lineNumbers.clear();
}
