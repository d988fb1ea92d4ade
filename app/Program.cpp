#include "app/Program.h"

#include "charlist/CharacterList.h"
#include "charlist/DropTarget.h"
#include "export/GlyphJob.h"
#include "forms/File.h"
#include "forms/MessageLoop.h"
#include "pool/WorkerPool.h"
#include "support/FolderChooser.h"

#include <commctrl.h>
#include <memory>
#include <ole2.h>

namespace app {

void (*programOnRelease)(const char* step) = nullptr;

namespace {

MainWindow* g_mainWindow = nullptr;
std::shared_ptr<pool::WorkerPool> g_pool;
charlist::DropTarget* g_dropTarget = nullptr;

void released(const char* step) {
    if (programOnRelease)
        programOnRelease(step);
}

void onMainWindowCreated() {
    charlist::characterListBind(g_mainWindow->超级列表框1);
    g_dropTarget->attach(g_mainWindow->handle(), charlist::onFileDropped);
}

void onPathClicked() { support::onPathButtonClicked(g_mainWindow->handle(), g_mainWindow->编辑框_路径); }

void onMainWindowDestroyed() {
    // A running export loses its render window here, so the message loop can
    // end; its threads stop posting and end with the process.
    exportjob::exportAbandon();
    charlist::characterListBind(nullptr);
}

// The exit routine: the objects go in the order pool, initial folder, drop target.
void exitRoutine() {
    exportjob::exportBind(nullptr, nullptr);
    // Workers still leaving keep the pool's shared state alive, and a job
    // thread still running keeps the pool object; nothing here waits for them.
    g_pool->destroy();
    g_pool.reset();
    released("pool");
    if (support::releaseInitialFolder())
        released("initialFolder");
    g_dropTarget->destroy();
    delete g_dropTarget;
    g_dropTarget = nullptr;
    released("dropTarget");
}

}  // namespace

MainWindow* mainWindow() { return g_mainWindow; }
pool::WorkerPool* programPool() { return g_pool.get(); }
charlist::DropTarget* programDropTarget() { return g_dropTarget; }

int runProgram() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    OleInitialize(nullptr);
    // Relative file names resolve against the program's own folder.
    SetCurrentDirectoryA(forms::runDirectory().c_str());

    g_pool = std::make_shared<pool::WorkerPool>();
    g_dropTarget = new charlist::DropTarget;

    MainWindow main;
    g_mainWindow = &main;
    exportjob::exportBind(g_pool, &main);
    MainWindowEvents events;
    events.created = onMainWindowCreated;
    events.pathClicked = onPathClicked;
    events.runClicked = exportjob::onRunButtonClicked;
    events.destroyed = onMainWindowDestroyed;
    if (main.load(events))
        forms::runMessageLoop();
    g_mainWindow = nullptr;
    exitRoutine();
    OleUninitialize();
    return 0;
}

}  // namespace app
