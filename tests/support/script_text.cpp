#include "support/script_text.h"

#include "script/preprocess.h"
#include "shell/init.h"
#include "support/showdir.h"

PreprocessedScript preprocessText(const std::string& text) {
    CScript s;
    s.defineInit();
    preprocess(splitLines(text), s);
    return {s.lines, s.lineNumbers, s.runawayLines};
}

bool loadScriptText(CScript& s, const std::string& text) {
    einit.defaults();
    ShowDir show;
    show.writeScript(text);
    return s.init((show.data() + "/script.txt").c_str());
}
