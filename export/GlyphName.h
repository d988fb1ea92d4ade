// Which characters can name a glyph file of their own.
#pragma once

#include <string_view>

namespace exportjob {

// Whether `<folder><character>.bmp` names a file of the character's own in
// that folder: `character` is non-empty valid text of the ANSI code page
// (GBK) in which no character is a control character (below 0x20, 0x7F) or
// one that Windows reserves in names (\ / : * ? " < > |). Judged per
// character, so a double-byte character whose trail byte is 0x5C or 0x7C is
// fine. Decided here rather than left to the file system: Wine accepts names
// that Windows refuses.
bool glyphNameAllowed(std::string_view character);

}  // namespace exportjob
