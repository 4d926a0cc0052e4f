#include "support/real_models.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

const char* const kAssimpModelDir = "/usr/share/assimp/models/3DS";
const char* const kGameModelDir = "/usr/share/games/gl-117/models";

std::vector<std::string> modelsIn(const std::string& dir) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& e : std::filesystem::directory_iterator(dir, error)) {
        std::string ext = e.path().extension().string();
        for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".3ds") files.push_back(e.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

long assimpFaces(const std::string& path) {
    const std::string command = "assimp info '" + path + "' -r 2>/dev/null";
    FILE* p = popen(command.c_str(), "r");
    if (!p) return -1;
    long faces = -1;
    char line[512];
    while (fgets(line, sizeof line, p))
        if (sscanf(line, " Faces: %ld", &faces) == 1) break;
    while (fgets(line, sizeof line, p)) {
    }
    pclose(p);
    return faces;
}
