// The data directory scan: which files of data/ the show loads, and how.
#pragma once

#include <string>
#include <vector>

#include "assets/objectloader.h"  // Required for: Load3DSReport

enum class AssetKind { Texture, Model, Music, None };

// By the last three characters of a path of at least three characters,
// byte for byte: "jpg" needs no dot, ".xm" does.
AssetKind assetKind(const std::string& path);

// The entry names of the data directory in the order the scan loads them:
// byte-wise ascending.
std::vector<std::string> dataNames();

// The kind the scan loads data/NAME as: None for a file of no asset kind and
// for anything but a plain file (a directory named x.jpg, a pipe).
AssetKind scannedKind(const std::string& name);

class DecodeAhead;

// What a load found that does not stop the show, for tools that tell the
// author: libjpeg's warning on a picture read only in part, and the model
// loader's report.
struct AssetNotes {
    std::string pictureWarning;
    Load3DSReport model;
};

// Loads the texture or model data/NAME into its table as the scan does,
// taking a picture already decoded from ahead when it holds it. False, with
// the reason in error, for a JPEG that cannot be read, decoded or made a
// texture. notes, when given, gets what the load found.
bool loadAsset(const std::string& name, AssetKind kind, std::string& error, DecodeAhead* ahead = nullptr,
               AssetNotes* notes = nullptr);

// The file the show plays as its music, as "data/NAME": the last plain file
// of the scan that assetKind() calls music. Empty when there is none. It
// may have become a pipe since: whatever opens it does so with
// openPlainFile (assets/plainfile.h), which refuses one without waiting.
std::string showMusicPath();
