// korvane-check's script checks on arbitrary bytes: the show loaded as the
// checker loads it, then every check of the script and the timeline
// picture, against a data directory of a few names. What the checker prints
// and draws must stay printable: no control byte, no byte that is not UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>

#include "checks.h"
#include "printable.h"
#include "timeline.h"

namespace {

const DataIndex& data() {
    static const DataIndex index({{"a.jpg", AssetKind::Texture, true},
                                  {"Sky.JPG", AssetKind::Texture, true},
                                  {"box.3ds", AssetKind::Model, true},
                                  {"sea.jpeg", AssetKind::None, false},
                                  {"ship.3DS", AssetKind::None, false}});
    return index;
}

// Line by line: printable() leaves printable text as it is.
void expectPrintable(const std::string& text) {
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = text.substr(start, end - start);
        if (printable(line) != line) __builtin_trap();
    }
}

// Definitions that blow a few bytes up into megabytes of statements would
// slow the search to a crawl: past two lines cut off at the preprocessor's
// bound such shows are only loaded. The replay of the corpus in the tests
// checks them all.
const size_t kMaxExpanded = size_t(512) << 10;

size_t expandedSize(const LoadedShow& show) {
    size_t bytes = 0;
    for (const Statement& s : show.statements) bytes += s.text.size();
    for (const auto* lines : {&show.defaults, &show.syncLines})
        for (const OptionLine& line : *lines)
            for (const std::string& word : line.words) bytes += word.size() + 1;
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    LoadedShow show;
    loadShowText(std::string(reinterpret_cast<const char*>(bytes), size), show);
    if (expandedSize(show) > kMaxExpanded) return 0;
    const SourceMap source(show.physical);
    const CheckInput in{show, source, data()};
    Findings findings;
    checkScript(in, findings);
    expectPrintable(findings.text());
    expectPrintable(timelineSvg(buildTimeline(show), "fuzz"));
    return 0;
}
