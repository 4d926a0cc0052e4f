// (being written) script file reading, built-in names and the option pass.
#include <cstdio>

#include "script/script.h"

CScript script;

bool CScript::init(const char* path) {
    std::FILE* f = std::fopen(path, "r");
    if (!f) return false;
    std::fclose(f);
    defineInit();
    optionParse();
    return true;
}

void CScript::defineInit() {}
void CScript::optionParse() { nextStatement = 0; }
