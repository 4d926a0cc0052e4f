#include "support/scene_tables.h"

#include "assets/gfx.h"
#include "assets/imageloader.h"
#include "assets/objectloader.h"

AssetTables::AssetTables() : textures_(gfx.textures), objects_(gfx.objects) {}

AssetTables::~AssetTables() {
    while (gfx.textures != textures_) {
        tTexture* next = gfx.textures->next;
        delete gfx.textures;
        gfx.textures = next;
    }
    while (gfx.objects != objects_) {
        object_type* next = gfx.objects->next;
        delete gfx.objects;
        gfx.objects = next;
    }
}

void AssetTables::addTexture(const std::string& name, unsigned id, int width, int height) {
    gfx.textures = new tTexture{name, int16_t(width), int16_t(height), id, gfx.textures};
}

void AssetTables::addModel(const std::string& name) {
    auto* model = new object_type{};
    model->name = name;
    model->next = gfx.objects;
    gfx.objects = model;
}

bool assetLookupsReady() {
    AssetTables tables;
    tables.addTexture("probe.jpg", 1, 1, 1);
    tables.addModel("probe.3ds");
    return getTextureNum("probe.jpg") == 0 && getObjectNum("probe.3ds") == 0;
}
