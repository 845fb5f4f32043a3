#pragma once
// A fixture with an empty folder of its own under the temporary folder, removed (with anything
// made read-only inside) when the test ends.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "framework/file_utils.h"

class ScratchFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = GetTempPath() + "lumora-scratch-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl + "/";
    }
    void TearDown() override {
        std::error_code ec;
        for (auto& e : std::filesystem::recursive_directory_iterator(dir_, ec)) chmod(e.path().c_str(), 0755);
        std::filesystem::remove_all(dir_, ec);
    }
    // The folder, with a trailing "/".
    std::string dir_;
};
