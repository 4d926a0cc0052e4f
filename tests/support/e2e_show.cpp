#include "support/e2e_show.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

std::string demoDataDir() { return std::string(KORVANE_SOURCE_DIR) + "/examples/demo/data"; }

void copyDemoData(const ShowDir& show, bool withScript) {
    for (const auto& entry : fs::directory_iterator(demoDataDir())) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && (withScript || name != "script.txt")) show.copy(entry.path().string(), name);
    }
}

static bool isFence(const std::string& line) { return line.compare(0, 3, "```") == 0; }

std::vector<GuideExample> guideExamples() {
    std::istringstream guide(readFile(std::string(KORVANE_SOURCE_DIR) + "/docs/script-language.md"));
    std::vector<GuideExample> examples;
    GuideExample block;
    bool inside = false, complete = false;
    int number = 0;
    for (std::string line; std::getline(guide, line);) {
        number++;
        if (isFence(line)) {
            if (inside && complete) examples.push_back(block);
            inside = !inside;
            block = GuideExample{number + 1, ""};
            complete = false;
        } else if (inside) {
            block.script += line + "\n";
            complete = complete || line == "@sync";
        }
    }
    return examples;
}

int endTime(const std::string& script) {
    std::istringstream lines(script);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string time, keyword;
        if (!(words >> time >> keyword) || keyword != "end") continue;
        const double value = std::atof(time.c_str());
        return time.find('.') != std::string::npos ? int(std::lround(value * 1000)) : int(value);
    }
    return -1;
}
