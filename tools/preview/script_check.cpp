#include "script_check.h"

#include <cstdio>
#include <cstdlib>

#include "checks.h"
#include "script/script.h"
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

CheckedScript checkScript() {
    CheckedScript checked;
    // The checker's load starts from an empty script, as in its own process:
    // the loader adds to what the engine's script holds.
    script = CScript();
    LoadedShow loaded;
    if (!loadShow(loaded, checked.readError)) {
        checked.readError = std::string("cannot read ") + kScriptPath + ": " + checked.readError;
        return checked;
    }
    checked.read = true;
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
