// Whole-file reading and writing.
#pragma once

#include <string>
#include <vector>

namespace forms {

// The whole contents of a file, read with writing by others denied meanwhile.
// Empty when the file cannot be opened or read.
std::vector<char> fileReadAll(const std::string& path);

// Creates or replaces the file with exactly `bytes`. False on any failure.
bool fileWriteAll(const std::string& path, const void* bytes, size_t size);

// Folder that holds the program's executable file, without a trailing backslash.
std::string runDirectory();

}  // namespace forms
