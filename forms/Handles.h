// Owning types for the handles the program obtains: kernel objects, device
// contexts, GDI objects and global memory. Non-copyable, movable; each one
// releases its handle the way the handle was obtained.
//
// Every owning type counts its live handles per kind, so tests can show that
// nothing leaks (GetGuiResources answers 0 under Wine).
#pragma once

#include <windows.h>

#include <utility>

namespace forms {

enum class HandleKind { Kernel, WindowDC, MemoryDC, Bitmap, Palette, OtherGdi, GlobalMemory, Count };

// Live handles of a kind held by the owning types below, process-wide.
long liveHandles(HandleKind kind);

namespace detail {
void countAcquire(HandleKind kind);
void countRelease(HandleKind kind);
}

// A handle closed by a fixed function: `Traits` gives the type, the invalid
// value, the kind and `release`.
template <typename Traits>
class Unique {
public:
    using Handle = typename Traits::Handle;

    Unique() = default;
    explicit Unique(Handle h) : h_(h) {
        if (valid())
            detail::countAcquire(Traits::kind);
    }
    ~Unique() { reset(); }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : h_(std::exchange(other.h_, Traits::invalid())) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, Traits::invalid());
        }
        return *this;
    }

    Handle get() const { return h_; }
    bool valid() const { return h_ != Traits::invalid(); }
    explicit operator bool() const { return valid(); }

    void reset(Handle h = Traits::invalid()) {
        if (valid()) {
            Traits::release(h_);
            detail::countRelease(Traits::kind);
        }
        h_ = h;
        if (valid())
            detail::countAcquire(Traits::kind);
    }
    // Hands the handle over without closing it; it no longer counts as held here.
    Handle release() {
        if (valid())
            detail::countRelease(Traits::kind);
        return std::exchange(h_, Traits::invalid());
    }

private:
    Handle h_ = Traits::invalid();
};

struct KernelTraits {
    using Handle = HANDLE;
    static constexpr HandleKind kind = HandleKind::Kernel;
    static Handle invalid() { return nullptr; }
    static void release(Handle h) { CloseHandle(h); }
};
struct FileTraits : KernelTraits {
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
};
struct MemoryDCTraits {
    using Handle = HDC;
    static constexpr HandleKind kind = HandleKind::MemoryDC;
    static Handle invalid() { return nullptr; }
    static void release(Handle h) { DeleteDC(h); }
};
template <typename H, HandleKind K>
struct GdiTraits {
    using Handle = H;
    static constexpr HandleKind kind = K;
    static Handle invalid() { return nullptr; }
    static void release(Handle h) { DeleteObject(h); }
};
struct GlobalTraits {
    using Handle = HGLOBAL;
    static constexpr HandleKind kind = HandleKind::GlobalMemory;
    static Handle invalid() { return nullptr; }
    static void release(Handle h) { GlobalFree(h); }
};

using UniqueHandle = Unique<KernelTraits>;  // events, timers, threads, ports
using UniqueFile = Unique<FileTraits>;      // CreateFile results
using MemoryDC = Unique<MemoryDCTraits>;
using GdiBitmap = Unique<GdiTraits<HBITMAP, HandleKind::Bitmap>>;
using GdiPalette = Unique<GdiTraits<HPALETTE, HandleKind::Palette>>;
using GdiFont = Unique<GdiTraits<HFONT, HandleKind::OtherGdi>>;
using GdiBrush = Unique<GdiTraits<HBRUSH, HandleKind::OtherGdi>>;
using GlobalMemory = Unique<GlobalTraits>;

// A DC from GetWindowDC(window) or GetDC(window), released with ReleaseDC on
// the same window. A null window means the screen.
class WindowDC {
public:
    enum class Area { Window, Client };
    explicit WindowDC(HWND window, Area area = Area::Window);
    ~WindowDC();
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Selects a GDI object into a DC and selects the previous one back on exit,
// so the object is never deleted while selected.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectScope() {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    bool ok() const { return previous_ && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Selects a palette into a DC (as a foreground palette) and realises it; puts
// the previous palette back on exit.
class PaletteScope {
public:
    PaletteScope(HDC dc, HPALETTE palette) : dc_(dc), previous_(SelectPalette(dc, palette, FALSE)) {
        RealizePalette(dc);
    }
    ~PaletteScope() {
        if (previous_)
            SelectPalette(dc_, previous_, FALSE);
    }
    PaletteScope(const PaletteScope&) = delete;
    PaletteScope& operator=(const PaletteScope&) = delete;

private:
    HDC dc_;
    HPALETTE previous_;
};

// GlobalLock for the life of the scope.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL memory) : memory_(memory), data_(GlobalLock(memory)) {}
    ~GlobalLockScope() {
        if (data_)
            GlobalUnlock(memory_);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* data() const { return data_; }

private:
    HGLOBAL memory_;
    void* data_;
};

}  // namespace forms
