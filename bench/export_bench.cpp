// The whole job on the real program, driven as a user would:
//  - an export of 200 rows against its floor of 200 x 150 ms + 2000 ms;
//  - the main window's answer time to a message sent every 10 ms from another
//    thread, during a 5,000-row load and during that export;
//  - the peak working set with a 20,000-row list.
//   export_bench [exportRows=200] [loadRows=5000] [bigRows=20000]
#include "driver/ProgramDriver.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string tempFolder() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    std::string dir = std::string(base) + "pixnadel-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

std::string hanzi(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text.push_back(static_cast<char>(0xB0 + (i / 94) % 0x48));
        text.push_back(static_cast<char>(0xA1 + i % 94));
    }
    return text;
}

void writeText(const std::string& path, const std::string& text) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
}

// Sends WM_NULL to a window every 10 ms and keeps the answer times.
class LatencyProbe {
public:
    explicit LatencyProbe(HWND window) : thread_([this, window] {
        while (!stop_) {
            double start = harness::nowMs();
            DWORD_PTR result = 0;
            bool answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
            samples_.push_back(answered ? harness::nowMs() - start : 5000.0);
            Sleep(10);
        }
    }) {}
    std::vector<double> finish() {
        stop_ = true;
        thread_.join();
        std::sort(samples_.begin(), samples_.end());
        return samples_;
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<double> samples_;
    std::thread thread_;
};

void printLatency(const char* what, const std::vector<double>& s) {
    if (s.empty()) {
        std::printf("%s: no samples\n", what);
        return;
    }
    auto at = [&](double q) { return s[std::min(s.size() - 1, static_cast<size_t>(q * static_cast<double>(s.size())))]; };
    std::printf("%s: %zu messages, median %.2f ms, p99 %.2f ms, max %.2f ms (targets p99 <= 30, max <= 100)\n", what,
                s.size(), at(0.5), at(0.99), s.back());
}

}  // namespace

int main(int argc, char** argv) {
    int exportRows = argc > 1 ? std::atoi(argv[1]) : 200;
    int loadRows = argc > 2 ? std::atoi(argv[2]) : 5000;
    int bigRows = argc > 3 ? std::atoi(argv[3]) : 20000;
    std::string dir = tempFolder();
    writeText(dir + "export.txt", hanzi(exportRows));
    writeText(dir + "load.txt", hanzi(loadRows));
    writeText(dir + "big.txt", hanzi(bigRows));
    std::string out = dir + "out\\";
    CreateDirectoryA(out.c_str(), nullptr);

    harness::runProgramWith([&](harness::Driver& d) {
        PROCESS_MEMORY_COUNTERS before{};
        before.cb = sizeof before;
        GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
        std::printf("working set with the main window shown and an empty list: %.1f MB\n",
                    static_cast<double>(before.WorkingSetSize) / 1048576.0);
        // A long load, with the main window asked every 10 ms.
        {
            LatencyProbe probe(d.mainWindow());
            double start = harness::nowMs();
            d.drop({dir + "load.txt"});
            d.waitUntil([&] { return d.rowCount() == loadRows && d.cell(loadRows - 1, 0) == std::to_string(loadRows); },
                        600000);
            double took = harness::nowMs() - start;
            std::printf("load of %d rows: %.0f ms (%.3f ms per row)\n", loadRows, took, took / loadRows);
            printLatency("main window during the load", probe.finish());
        }
        // The export.
        d.drop({dir + "export.txt"});
        d.waitUntil([&] { return d.rowCount() == exportRows && d.cell(exportRows - 1, 0) == std::to_string(exportRows); },
                    600000);
        d.setText(d.pathBox(), out);
        d.setText(d.heightBox(), "16");
        d.setText(d.widthBox(), "16");
        {
            LatencyProbe probe(d.mainWindow());
            double start = harness::nowMs();
            d.click(d.runButton());
            harness::MessageBoxSeen box = d.waitMessageBox(static_cast<DWORD>(exportRows) * 1000 + 60000);
            double took = box.shownAtMs - start;
            double floor = exportRows * 150.0 + 2000.0;
            std::printf("export of %d rows: %.0f ms to \"%s\", floor %.0f ms, ratio %.3f (target <= 1.03)\n", exportRows,
                        took, box.text.c_str(), floor, took / floor);
            printLatency("main window during the export", probe.finish());
            d.dismiss(box);
        }
        // The biggest list.
        d.drop({dir + "big.txt"});
        d.waitUntil([&] { return d.rowCount() == bigRows && d.cell(bigRows - 1, 0) == std::to_string(bigRows); },
                    1800000);
        PROCESS_MEMORY_COUNTERS pmc{};
        pmc.cb = sizeof pmc;
        GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
        std::printf("%d-row list: peak working set %.1f MB, now %.1f MB, %.1f MB above the empty program "
                    "(target <= 30 MB)\n",
                    bigRows, static_cast<double>(pmc.PeakWorkingSetSize) / 1048576.0,
                    static_cast<double>(pmc.WorkingSetSize) / 1048576.0,
                    static_cast<double>(pmc.WorkingSetSize - before.WorkingSetSize) / 1048576.0);
    });
    return 0;
}
