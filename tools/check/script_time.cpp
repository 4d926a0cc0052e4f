#include "script_time.h"

#include <cstdio>

#include "script/expand.h"  // Required for: secondsToMs, the player's own conversion

std::string scriptSeconds(int64_t ms) {
    char text[40];
    std::snprintf(text, sizeof text, "%lld.%03lld", (long long)(ms / 1000), (long long)(ms % 1000));
    std::string written = text;
    // Half a millisecond more lies far above the error of the product.
    if (secondsToMs(written) != std::to_string(ms)) written += "5";
    return written;
}
