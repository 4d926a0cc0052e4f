// Texture and model tables filled by hand, for tests that resolve names
// without loading files.
#pragma once

#include <string>

#include "assets/gfx.h"

// Pushes records onto the front of gfx.textures and gfx.objects, as loading
// would, and restores both tables when it goes out of scope.
class AssetTables {
public:
    AssetTables();
    ~AssetTables();
    AssetTables(const AssetTables&) = delete;
    AssetTables& operator=(const AssetTables&) = delete;

    void addTexture(const std::string& name, unsigned id, int width, int height);
    void addModel(const std::string& name);

private:
    tTexture* textures_;
    object_type* objects_;
};

// True when getTextureNum and getObjectNum find records pushed by hand; the
// name lookups belong to the asset loaders and may not be in the build yet.
bool assetLookupsReady();
