#include "script_check.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <utility>

#include "checks.h"
#include "script/readfile.h"
#include "shell/init.h"

// The checker prints its findings in its own order and form; the overlay
// shows them as they are printed.
static std::vector<std::string> printedFindings(const Findings& findings) {
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    if (!out) return {};
    findings.print(out);
    std::fclose(out);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < size; i++)
        if (text[i] == '\n') {
            lines.emplace_back(text + start, i - start);
            start = i + 1;
        }
    std::free(text);
    return lines;
}

static CheckedScript checkBytes(const std::string& bytes) {
    CheckedScript checked;
    checked.read = true;
    LoadedShow loaded;
    loadShowText(bytes, loaded);
    // The files of data/ are reported by the preview's own loads.
    const Findings findings = checkShow(loaded, false);
    checked.errors = findings.errors();
    checked.findings = printedFindings(findings);
    checked.timeline = buildTimeline(loaded);
    checked.physical = std::move(loaded.physical);
    checked.hasEnd = loaded.endIndex >= 0;
    if (checked.hasEnd)
        checked.endTime = loaded.endTime;
    else if (!loaded.statements.empty())
        checked.endTime = loaded.statements.back().shownAt;
    return checked;
}

ScriptVersion checkScript() {
    ScriptVersion version;
    std::string error;
    // Read once: a save between the check and the take cannot slip in bytes that were never checked.
    if (!readPlainFile(kScriptPath, version.bytes, error)) {
        version.bytes.clear();
        version.checked.readError = std::string("cannot read ") + kScriptPath + ": " + error;
        return version;
    }
    try {
        version.checked = checkBytes(version.bytes);
    } catch (const std::bad_alloc&) {
        version.checked = CheckedScript{};
        version.checked.readError = std::string("cannot check ") + kScriptPath + ": not enough memory";
    } catch (const std::exception& e) {
        version.checked = CheckedScript{};
        version.checked.readError = std::string("cannot check ") + kScriptPath + ": " + e.what();
    }
    return version;
}

ScriptCheck::~ScriptCheck() {
    if (thread_.joinable()) thread_.join();
}

bool ScriptCheck::start() {
    if (thread_.joinable()) return false;
    done_.store(false, std::memory_order_relaxed);
    try {
        thread_ = std::thread([this] {
            version_ = checkScript();
            done_.store(true, std::memory_order_release);
        });
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

ScriptVersion ScriptCheck::take() {
    if (thread_.joinable()) thread_.join();
    done_.store(false, std::memory_order_relaxed);
    return std::move(version_);
}
