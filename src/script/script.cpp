// (being written) the scene statement parser.
#include "script/script.h"

void CScript::parse() {}
