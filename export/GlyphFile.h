// Writing a glyph file whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace exportjob {

// Creates or replaces the file `path` with exactly `bytes`: they go to a
// temporary file of a unique name in the same folder first, which then takes
// the target's place. True only when the whole file is in place under its
// name. On any failure the temporary file is removed and an existing target
// is left untouched; an empty `bytes` writes nothing and fails.
bool glyphFileWrite(const std::string& path, const std::vector<uint8_t>& bytes);

// The folder part of `path`, up to and including its last separator (\, / or
// the colon of a drive), stepping over double-byte characters whose trail
// byte is 0x5C; empty for a bare name.
std::string glyphFileFolder(const std::string& path);

}  // namespace exportjob
