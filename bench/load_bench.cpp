// Loading a character file into the real main window's list, against the
// floor of one 1 ms wait per row; the mean length of a single 1 ms wait; and
// the throughput of splitting against a plain pass over the same bytes.
//   load_bench [rows=10000]
#include "app/MainWindow.h"
#include "forms/Clock.h"
#include "charlist/CharacterList.h"
#include "charlist/SplitCharacters.h"
#include "forms/File.h"
#include "forms/ListView.h"
#include "support/PumpingWait.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr auto nowMs = forms::clockNowMs;

std::string gbkText(size_t bytes) {
    std::string text;
    text.reserve(bytes);
    unsigned lcg = 7;
    while (text.size() < bytes) {
        lcg = lcg * 1103515245u + 12345u;
        if ((lcg >> 16) % 10 == 0) {
            text += "\r\n";
        } else if ((lcg >> 16) % 10 == 1) {
            text.push_back(static_cast<char>('a' + (lcg >> 20) % 26));
        } else {  // GB2312 hanzi: B0A1..F7FE
            text.push_back(static_cast<char>(0xB0 + (lcg >> 18) % 0x48));
            text.push_back(static_cast<char>(0xA1 + (lcg >> 8) % 0x5E));
        }
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    int rows = argc > 1 ? std::atoi(argv[1]) : 10000;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    OleInitialize(nullptr);

    // A single 1 ms wait.
    const int waits = 500;
    double start = nowMs();
    for (int i = 0; i < waits; ++i)
        support::pumpingWait(1);
    double perWait = (nowMs() - start) / waits;
    std::printf("pumpingWait(1): mean %.3f ms over %d waits\n", perWait, waits);

    // Loading `rows` characters.
    app::MainWindow window;
    if (!window.load({}))
        return 1;
    charlist::characterListBind(window.超级列表框1);
    char temp[MAX_PATH], file[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    GetTempFileNameA(temp, "pxl", 0, file);
    std::string text;
    for (int i = 0; i < rows; ++i)
        text += "\xB0\xA1";
    forms::fileWriteAll(file, text.data(), text.size());
    start = nowMs();
    charlist::loadCharacterFile(file);
    double load = nowMs() - start;
    DeleteFileA(file);
    std::printf("load of %d characters: %.0f ms (%d rows), floor %d x 1 ms = %d ms, ratio %.3f; "
                "per row %.3f ms, of which the wait %.3f ms\n",
                rows, load, forms::listRowCount(window.超级列表框1), rows, rows, load / rows, load / rows, perWait);

    // Splitting 10 MB against a plain pass over the bytes.
    std::string big = gbkText(10 * 1024 * 1024);
    double mb = static_cast<double>(big.size()) / (1024.0 * 1024.0);
    std::vector<double> split, plain;
    charlist::PieceList pieces;
    volatile unsigned sink = 0;
    for (int r = 0; r < 5; ++r) {
        start = nowMs();
        charlist::splitCharacters(big, pieces);
        split.push_back(nowMs() - start);
        start = nowMs();
        unsigned sum = 0;
        for (char c : big)
            sum += static_cast<unsigned char>(c) >= 0x81;
        sink = sink + sum;
        plain.push_back(nowMs() - start);
    }
    std::sort(split.begin(), split.end());
    std::sort(plain.begin(), plain.end());
    std::printf("splitCharacters on %.0f MB GBK: median %.0f ms = %.1f MB/s (%zu pieces); plain pass %.1f ms = %.0f MB/s; "
                "ratio %.1f\n",
                mb, split[2], mb * 1000 / split[2], pieces.size(), plain[2], mb * 1000 / plain[2], split[2] / plain[2]);
    OleUninitialize();
    return 0;
}
