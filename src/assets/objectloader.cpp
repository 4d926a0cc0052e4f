// (being written) 3DS models.
#include "assets/objectloader.h"

int Load3DS(const std::string&, Load3DSReport*) { return 0; }
int getObjectNum(const std::string&) { return -1; }
object_type* getObject(int) { return nullptr; }
