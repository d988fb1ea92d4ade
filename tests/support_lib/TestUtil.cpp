#include "TestUtil.h"
#include "forms/Clock.h"

#include "forms/File.h"
#include "support/PumpingWait.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <vector>

namespace testutil {

double nowMs() { return forms::clockNowMs(); }

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    double end = nowMs() + timeoutMs;
    for (;;) {
        support::processPendingMessages();
        if (done())
            return true;
        if (nowMs() >= end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void pumpFor(DWORD ms) {
    pumpUntil([] { return false; }, ms);
}

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static LONG counter = 0;
    for (;;) {
        path_ = std::string(base) + "pixnadel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(InterlockedIncrement(&counter)) + "\\";
        if (CreateDirectoryA(path_.c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create " << path_;
            break;
        }
    }
}

TempDir::~TempDir() {
    // Double-NUL-terminated list for SHFileOperation.
    std::string from = path_.substr(0, path_.size() - 1);
    from.push_back('\0');
    from.push_back('\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationA(&op);
}

void writeFile(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(forms::fileWriteAll(path, bytes.data(), bytes.size())) << path;
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string readFile(const std::string& path) {
    std::vector<char> bytes = forms::fileReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace testutil
