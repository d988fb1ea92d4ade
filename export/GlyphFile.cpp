#include "export/GlyphFile.h"

#include "forms/Handles.h"

#include <windows.h>

namespace exportjob {

namespace {

LONG g_temporaryCounter = 0;

// "<folder>~pixnadel-<pid>-<tid>-<n>.tmp": unique across threads and
// processes, and in the target's folder so that the final move is a rename on
// one volume.
std::string temporaryName(const std::string& folder) {
    return folder + "~pixnadel-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetCurrentThreadId()) +
           "-" + std::to_string(InterlockedIncrement(&g_temporaryCounter)) + ".tmp";
}

// A new temporary file (never one that exists already), open for writing.
forms::UniqueFile createTemporary(const std::string& folder, std::string& name) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        name = temporaryName(folder);
        forms::UniqueFile file(
            CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return {};
}

bool writeAll(HANDLE file, const std::vector<uint8_t>& bytes) {
    const uint8_t* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0)
            return false;
        p += written;
        left -= written;
    }
    return true;
}

}  // namespace

std::string glyphFileFolder(const std::string& path) {
    size_t end = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        auto c = static_cast<unsigned char>(path[i]);
        if (c >= 0x81 && i + 1 < path.size())
            ++i;  // a double-byte character: its trail byte may be 0x5C
        else if (c == '\\' || c == '/' || c == ':')
            end = i + 1;
    }
    return path.substr(0, end);
}

bool glyphFileWrite(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (bytes.empty() || path.empty())
        return false;
    std::string temporary;
    forms::UniqueFile file = createTemporary(glyphFileFolder(path), temporary);
    if (!file)
        return false;
    bool written = writeAll(file.get(), bytes);
    file.reset();  // closed before the move: an open file cannot take the target's place
    if (written &&
        MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary.c_str());
    return false;
}

}  // namespace exportjob
