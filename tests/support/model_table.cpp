#include "model_table.h"

#include "assets/gfx.h"
#include "assets/objectloader.h"

void clearModelTable() {
    while (object_type* o = gfx.objects) {
        gfx.objects = o->next;
        delete o;
    }
}
