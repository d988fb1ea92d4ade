// A real main window and render window owned and pumped by the test thread,
// with glyph tasks run on threads of their own, as the pool's workers run them.
#pragma once

#include "app/MainWindow.h"
#include "app/RenderWindow.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace glyphtest {

// How the test thread serves the worker threads while they run.
enum class Pump {
    All,           // every message, paints included
    SentMessages,  // only messages sent by other threads: nothing is painted unless a task asks for it
};

class GlyphTaskTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Appends rows numbered from the current count + 1.
    void addRows(const std::vector<std::string>& characters);
    void setFolder(const std::string& text);
    void setSizes(const std::string& heightBox, const std::string& widthBox);
    std::string status(int rowIndex) const;

    // Runs one exportGlyph per row number, all started at once on threads of
    // their own; waits (bounded) while pumping. False if they did not all end.
    bool runTasks(const std::vector<int32_t>& rowNumbers, Pump pump = Pump::All);
    bool runTask(int32_t rowNumber, Pump pump = Pump::All) { return runTasks({rowNumber}, pump); }

    // Names in `folder` (default: the test folder), "." and ".." left out.
    std::set<std::string> files(const std::string& folder = {}) const;
    std::vector<uint8_t> fileBytes(const std::string& name) const;

    std::unique_ptr<app::MainWindow> main;
    HWND list = nullptr;
    HWND renderWindow = nullptr;
    HWND edit = nullptr;
    testutil::TempDir dir;
};

}  // namespace glyphtest
