// The script loader on arbitrary bytes: line split, preprocessing, the
// option pass, then every statement through the statement parser, as the
// player would over a whole show. "end" jumps back here instead of exiting.
#include <cstddef>
#include <cstdint>
#include <string>

#include "script/preprocess.h"
#include "script/script.h"
#include "shell/engine.h"

namespace {

struct EndReached {};

[[noreturn]] void throwOnEnd() { throw EndReached{}; }

void loadOptions(const std::string& bytes) {
    script = CScript{};
    script.defineInit();
    preprocess(splitLines(bytes), script);
    script.defines.clear();
    script.glConstants.clear();
    script.optionParse();
}

// Each parse() call takes one group of equal-time statements; an "end"
// stops its statement, and the walk goes on with the next one.
void parseAll() {
    const size_t count = script.statements.size();
    while (static_cast<size_t>(script.nextStatement) < count) {
        const int32_t before = script.nextStatement;
        try {
            script.parse();
        } catch (const EndReached&) {
            script.nextStatement++;
        }
        if (script.nextStatement <= before) __builtin_trap();  // the parser stopped moving
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setQuitHandler(throwOnEnd);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadOptions(std::string(reinterpret_cast<const char*>(data), size));
    if (script.statements.size() != script.startTimes.size()) __builtin_trap();
    parseAll();
    script = CScript{};
    return 0;
}
