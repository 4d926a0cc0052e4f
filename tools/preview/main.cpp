// korvane-preview: plays a show in a window while its author writes it.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "options.h"
#include "preview.h"

int main(int argc, char** argv) {
    PreviewOptions options;
    std::string error;
    switch (parseOptions(argc, argv, options, error)) {
    case ParseResult::Help: std::fputs(usage().c_str(), stdout); return 0;
    case ParseResult::Error:
        std::fprintf(stderr, "korvane-preview: %s\n%s", error.c_str(), usage().c_str());
        return 1;
    case ParseResult::Run: break;
    }
    char cwd[4096];
    const std::string startDir = ::getcwd(cwd, sizeof cwd) ? cwd : ".";
    if (::chdir(options.dir.c_str()) != 0) {
        std::fprintf(stderr, "korvane-preview: cannot enter %s: %s\n", options.dir.c_str(), std::strerror(errno));
        return 1;
    }
    return runPreview(options, startDir);
}
