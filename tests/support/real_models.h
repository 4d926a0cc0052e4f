// 3DS files made by other programs, and what assimp's reader finds in them.
#pragma once

#include <string>
#include <vector>

// Debian's assimp-testmodels and a game's models (gl-117-data), most of them of several meshes.
extern const char* const kAssimpModelDir;
extern const char* const kGameModelDir;

// The names of the .3ds files of dir (any case), sorted.
std::vector<std::string> modelsIn(const std::string& dir);
// The "Faces:" total of `assimp info` with no post-processing; -1 when it fails.
long assimpFaces(const std::string& path);
