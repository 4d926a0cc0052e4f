// The data directory scan: which files of data/ the show loads, and how.
#pragma once

#include <string>
#include <vector>

enum class AssetKind { Texture, Model, Music, None };

// By the last three characters of a path of at least three characters,
// byte for byte: "jpg" needs no dot, ".xm" does.
AssetKind assetKind(const std::string& path);

// The entry names of the data directory in the order the scan loads them:
// byte-wise ascending.
std::vector<std::string> dataNames();

// The file the show plays as its music, as "data/NAME": the last plain file
// of the scan that assetKind() calls music. Empty when there is none.
std::string showMusicPath();
