// A show directory with one picture in it, a.jpg, for tests of the checker:
// run() writes the script and checks the show.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/check_run.h"
#include "support/showdir.h"

class CheckShowTest : public ::testing::Test {
protected:
    ShowDir show;

    void SetUp() override { ASSERT_TRUE(writeCheckJpeg(show.data() + "/a.jpg")); }
    CheckRun run(const std::string& script) {
        show.writeScript(script);
        return runCheck(show.path());
    }
};
