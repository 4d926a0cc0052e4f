#include "support/web_page.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "support/capture_run.h"

static const std::string kDriver = std::string(KORVANE_SOURCE_DIR) + "/tests/web/drive.mjs";

std::string webPlayerMissing() {
    const std::string engine = std::string(KORVANE_WEB_BUILD) + "/korvane.wasm";
    if (access(engine.c_str(), R_OK) != 0) return "the web player is not built (" + engine + ")";
    if (access("/usr/bin/chromium", X_OK) != 0) return "Chromium is not installed";
    const std::string puppeteer = std::string(KORVANE_SOURCE_DIR) + "/tests/web/node_modules/puppeteer-core";
    if (access(puppeteer.c_str(), R_OK) != 0) return "puppeteer-core is not installed in tests/web";
    return "";
}

bool webPlayerRequired() {
    const char* r = std::getenv("KORVANE_REQUIRE_WEB");
    return r && std::strcmp(r, "1") == 0;
}

int writeWebFolder(const std::string& dir, const std::string& out, std::string* errors) {
    const ToolRun run = runTool(KORVANE_WEB, {dir, out});
    if (errors) *errors = run.errors;
    return run.status;
}

PageReport drivePage(const std::vector<std::string>& args) {
    std::vector<std::string> words = {kDriver};
    words.insert(words.end(), args.begin(), args.end());
    const ToolRun run = runTool("node", words);
    PageReport report;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const size_t space = line.find(' ');
        if (space != std::string::npos) report[line.substr(0, space)] = line.substr(space + 1);
    }
    report["status"] = std::to_string(run.status);
    if (run.status != 0) report["errors"] = run.errors;
    return report;
}
