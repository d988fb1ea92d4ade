#include "forms/File.h"

#include "forms/Handles.h"

namespace forms {

std::vector<char> fileReadAll(const std::string& path) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return {};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 0x40000000)
        return {};  // nothing to read, or more than this 32-bit program should hold at once
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr))
            return {};
        if (got == 0)
            break;  // the file shrank meanwhile
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

bool fileWriteAll(const std::string& path, const void* bytes, size_t size) {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    auto p = static_cast<const char*>(bytes);
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file.get(), p, static_cast<DWORD>(size), &written, nullptr) || written == 0)
            return false;
        p += written;
        size -= written;
    }
    return true;
}

std::string runDirectory() {
    char path[MAX_PATH * 2];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return {};
    // The last separator, stepping over double-byte characters: a trail byte may be 0x5C.
    size_t slash = std::string::npos;
    for (size_t i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(path[i]);
        if (c >= 0x81 && i + 1 < n)
            ++i;
        else if (c == '\\' || c == '/')
            slash = i;
    }
    return slash == std::string::npos ? std::string() : std::string(path, slash);
}

}  // namespace forms
