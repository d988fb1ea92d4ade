// Helpers shared by the test programs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace testutil {

// Pumps this thread's messages until `done` holds or `timeoutMs` has passed.
// Returns whether `done` held. Every wait in a test is bounded by this.
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Pumps this thread's messages for about `ms` milliseconds.
void pumpFor(DWORD ms);

// Milliseconds from the performance counter.
double nowMs();

// A fresh, empty folder under the temp folder, removed with its files by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // Ends with a backslash.
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// Writes bytes to a file; fails the test on error.
void writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
std::string readFile(const std::string& path);

}  // namespace testutil
