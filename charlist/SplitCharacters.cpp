#include "charlist/SplitCharacters.h"

namespace charlist {

int32_t splitCharacters(std::string_view text, PieceList& pieces) {
    pieces.clear();
    const size_t n = text.size();
    size_t d = 0;
    while (d < n) {
        size_t b = 1;
        if (d + 1 < n) {
            auto c = static_cast<unsigned char>(text[d]);
            // A lead byte takes its partner whatever it is, CR included, before
            // CR LF is considered.
            if (c >= 0x81 || (c == '\r' && text[d + 1] == '\n'))
                b = 2;
        }
        pieces.emplace_back(text.substr(d, b));
        d += b;
    }
    return static_cast<int32_t>(pieces.size());
}

}  // namespace charlist
