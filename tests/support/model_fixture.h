// A fixture for model loader tests: a fresh show directory as the working
// directory and an empty model table, emptied again afterwards.
#pragma once

#include <gtest/gtest.h>

#include "assets/gfx.h"
#include "assets/objectloader.h"
#include "model_3ds_writer.h"
#include "model_table.h"
#include "support/showdir.h"

class ModelLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { clearModelTable(); }
    void TearDown() override { clearModelTable(); }

    // Writes bytes to data/<name>, loads it and returns the new record.
    object_type* load(const std::string& name, const std::string& bytes) {
        EXPECT_TRUE(writeBytes(dir.data() + "/" + name, bytes));
        EXPECT_EQ(Load3DS("data/" + name, &report), 1);
        return getObject(0);
    }

    ShowDir dir;
    WorkingDir cwd{dir.path()};
    Load3DSReport report;
};
