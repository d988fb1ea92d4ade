// Runs the real program through its whole job, as a user would: drops a text
// file, chooses the output folder and the size, presses "开始执行", waits for
// "执行完成!" and closes the window.   demo <text file> <output folder\> [size]
#include "driver/ProgramDriver.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: demo <text file> <output folder\\> [size]\n");
        return 2;
    }
    std::string text = argv[1], folder = argv[2], size = argc > 3 ? argv[3] : "0";
    if (folder.back() != '\\')
        folder += '\\';
    bool completed = false;
    int rows = 0;
    harness::runProgramWith([&](harness::Driver& d) {
        d.drop({text});
        d.waitUntil([&] { return d.rowCount() > 0; }, 10000);
        int last = -1;
        while (d.rowCount() != last) {  // until the list stops growing
            last = d.rowCount();
            Sleep(300);
        }
        rows = last;
        d.setText(d.pathBox(), folder);
        d.setText(d.heightBox(), size);
        d.setText(d.widthBox(), size);
        d.click(d.runButton());
        harness::MessageBoxSeen box = d.waitMessageBox(static_cast<DWORD>(rows) * 400 + 30000);
        completed = box.window && box.text == "执行完成!";
        d.dismiss(box);
    });
    std::printf("demo: %d rows exported into %s: %s\n", rows, folder.c_str(), completed ? "completed" : "FAILED");
    return completed ? 0 : 1;
}
