// A show's page in a real browser: korvane-web's folder, served on a port
// of the test's own and driven in headless Chromium (tests/web/drive.mjs).
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// Skips the test when the web player is not built (scripts/build-web.sh) or
// the browser is missing; fails it instead when KORVANE_REQUIRE_WEB=1, as
// the README's test command sets it.
#define REQUIRE_WEB_PLAYER()                                                      \
    do {                                                                          \
        const std::string missing = webPlayerMissing();                           \
        if (!missing.empty()) {                                                   \
            if (webPlayerRequired()) FAIL() << missing << ", but it is required"; \
            GTEST_SKIP() << missing;                                              \
        }                                                                         \
    } while (0)

// What the web tests lack ("" when nothing).
std::string webPlayerMissing();
bool webPlayerRequired();

// Runs korvane-web on the show in dir, into out; its exit status.
int writeWebFolder(const std::string& dir, const std::string& out, std::string* errors = nullptr);

// What drive.mjs printed, by key; "status" holds its exit status.
using PageReport = std::map<std::string, std::string>;
PageReport drivePage(const std::vector<std::string>& args);
