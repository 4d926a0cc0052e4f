// Loading libavformat and its companions with dlopen, once.
#include "shell/music_libav.h"

#include <dlfcn.h>

#include <mutex>
#include <thread>

namespace {

#define KORVANE_STRING(x) #x
#define KORVANE_SONAME(library, major) "lib" library ".so." KORVANE_STRING(major)

// The sonames this build was compiled against, each after those it needs.
const char* const kLibraries[] = {
    KORVANE_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR),
    KORVANE_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR),
    KORVANE_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR),
    KORVANE_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR),
};

struct Loading {
    std::once_flag once;
    Libav functions;
    bool loaded = false;
    std::string failure;  // why they are not loaded
    std::mutex aheadLock;
    std::thread ahead;  // libavLoadAhead()'s, until libav() joins it
};

// Never destroyed: libavLoadAhead()'s thread may still be at work when the process exits.
Loading& state() {
    static Loading* const loading = new Loading;
    return *loading;
}

void load() {
    Libav& functions = state().functions;
    std::string& failure = state().failure;
    void* handles[std::size(kLibraries)];
    for (size_t i = 0; i < std::size(kLibraries); i++) {
        // Never closed: the decoders live until the process ends.
        handles[i] = dlopen(kLibraries[i], RTLD_NOW | RTLD_LOCAL);
        if (!handles[i]) {
            const char* error = dlerror();
            failure = std::string("cannot load ") + kLibraries[i] + " (" + (error ? error : "unknown error") + ")";
            return;
        }
    }
    auto find = [&](const char* name) -> void* {
        for (void* handle : handles)
            if (void* symbol = dlsym(handle, name)) return symbol;
        failure = std::string("no function ") + name + " in " + kLibraries[std::size(kLibraries) - 1] + " and the rest";
        return nullptr;
    };
#define KORVANE_LIBAV_FIND(name)                                                \
    functions.name = reinterpret_cast<decltype(&::name)>(find(#name));          \
    if (!functions.name) return;
    KORVANE_LIBAV_FUNCTIONS(KORVANE_LIBAV_FIND)
#undef KORVANE_LIBAV_FIND
    state().loaded = true;
}

}  // namespace

const Libav* libav(std::string* why) {
    Loading& loading = state();
    {
        // The thread loading ahead ends with the load: it is waited for, and is gone before the process ends.
        std::lock_guard<std::mutex> guard(loading.aheadLock);
        if (loading.ahead.joinable()) loading.ahead.join();
    }
    std::call_once(loading.once, load);
    if (!loading.loaded && why) *why = loading.failure;
    return loading.loaded ? &loading.functions : nullptr;
}

void libavLoadAhead() {
    Loading& loading = state();
    std::lock_guard<std::mutex> guard(loading.aheadLock);
    if (!loading.ahead.joinable()) loading.ahead = std::thread([&loading] { std::call_once(loading.once, load); });
}
