#include "support/memory_limit.h"

#include <sys/resource.h>

#include <cstdio>

bool limitAddressSpace(long extraKb) {
    long vmKb = 0;
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmSize: %ld", &vmKb) == 1) break;
    if (status) std::fclose(status);
    const rlim_t limit = rlim_t(vmKb + extraKb) * 1024;
    const rlimit cap{limit, limit};
    return vmKb > 0 && setrlimit(RLIMIT_AS, &cap) == 0;
}
