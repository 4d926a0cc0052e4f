// Loading the script: the file, the built-in names, then the option pass.
#include <iterator>  // Required for: std::size

#include "script/preprocess.h"
#include "script/readfile.h"
#include "script/script.h"

// Filled by einit's start-up (CInit::init) before the window opens; the
// timeline and scene list are then read and changed by the compositor.
CScript script;

namespace {

struct BuiltinName {
    const char* name;
    int32_t value;
};

// Booleans, comparisons and blend factors carry their GL values; lights and
// light parameters carry the light number and the slot of the light table.
const BuiltinName kBuiltinNames[] = {
    {"GL_TRUE", 1},          {"GL_FALSE", 0},
    {"GL_NEVER", 0x200},     {"GL_LESS", 0x201},     {"GL_EQUAL", 0x202},
    {"GL_LEQUAL", 0x203},    {"GL_GREATER", 0x204},  {"GL_NOTEQUAL", 0x205},
    {"GL_GEQUAL", 0x206},    {"GL_ALWAYS", 0x207},
    {"GL_LIGHT0", 0},        {"GL_LIGHT1", 1},       {"GL_LIGHT2", 2},
    {"GL_LIGHT3", 3},        {"GL_LIGHT4", 4},       {"GL_LIGHT5", 5},
    {"GL_LIGHT6", 6},        {"GL_LIGHT7", 7},
    {"GL_AMBIENT", 0},       {"GL_DIFFUSE", 1},      {"GL_SPECULAR", 2},
    {"GL_SHININESS", 3},     {"GL_EMISSION", 4},     {"GL_POSITION", 5},
    {"GL_ONE", 1},           {"GL_ZERO", 0},
    {"GL_SRC_COLOR", 0x300}, {"GL_ONE_MINUS_SRC_COLOR", 0x301},
    {"GL_SRC_ALPHA", 0x302}, {"GL_ONE_MINUS_SRC_ALPHA", 0x303},
    {"GL_DST_ALPHA", 0x304}, {"GL_ONE_MINUS_DST_ALPHA", 0x305},
    {"GL_DST_COLOR", 0x306}, {"GL_ONE_MINUS_DST_COLOR", 0x307},
    {"GL_SRC_ALPHA_SATURATE", 0x308},
};
static_assert(std::size(kBuiltinNames) == 35, "the built-in name table has 35 rows");

}  // namespace

bool CScript::init(const char* path, std::string* error) {
    std::string bytes, why;
    if (!readPlainFile(path, bytes, why)) {
        if (error) *error = why;
        return false;
    }
    load(bytes);
    return true;
}

void CScript::load(const std::string& bytes, const std::function<void(const CScript&)>& preprocessed,
                   CInit& options) {
    defineInit();
    preprocess(splitLines(bytes), *this);
    if (preprocessed) preprocessed(*this);
    // The tables serve the load only.
    defines.clear();
    glConstants.clear();
    optionParse(options);
}

void CScript::defineInit() {
    defines.clear();
    glConstants.clear();
    for (const BuiltinName& entry : kBuiltinNames) glConstants[entry.name] = entry.value;
}
