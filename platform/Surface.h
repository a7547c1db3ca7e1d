#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// Memory surfaces in the manner of DirectDraw 7: always 16 bits a pixel in the display's layout
// (5-6-5 or 5-5-5), zero-filled when made, rows `lPitch` bytes apart (the pitch may be wider than
// width * 2), a source colour key, locks that other threads wait for, and 1:1 or stretched blits.
namespace platform {

using HRESULT = int32_t;

// Result codes. The game branches on DD_OK, DDERR_WASSTILLDRAWING and DDERR_SURFACELOST.
constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = -1;
constexpr HRESULT DDERR_INVALIDPARAMS = -2;
constexpr HRESULT DDERR_INVALIDRECT = -3;
constexpr HRESULT DDERR_WASSTILLDRAWING = -4;
constexpr HRESULT DDERR_SURFACELOST = -5;
constexpr HRESULT DDERR_SURFACEBUSY = -6; // the calling thread itself holds the lock
constexpr HRESULT DDERR_NOTLOCKED = -7;
constexpr HRESULT DDERR_OUTOFMEMORY = -8;
constexpr HRESULT DDERR_INVALIDMODE = -9;
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = -10;
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = -11;
constexpr HRESULT DDERR_NODC = -12;
constexpr HRESULT DDERR_NOTFOUND = -13;

inline bool FAILED(HRESULT r) {
    return r < 0;
}
inline bool SUCCEEDED(HRESULT r) {
    return r >= 0;
}

// Lock flags.
constexpr uint32_t DDLOCK_WAIT = 0x1;
constexpr uint32_t DDLOCK_READONLY = 0x2;
constexpr uint32_t DDLOCK_WRITEONLY = 0x4;

// Blt flags.
constexpr uint32_t DDBLT_WAIT = 0x1;
constexpr uint32_t DDBLT_KEYSRC = 0x2;

// BltFast flags.
constexpr uint32_t DDBLTFAST_NOCOLORKEY = 0x0;
constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 0x1;
constexpr uint32_t DDBLTFAST_WAIT = 0x10;

// Colour-key selector of SetColorKey.
constexpr uint32_t DDCKEY_SRCBLT = 0x8;

// Fields of a surface description.
constexpr uint32_t DDSD_CAPS = 0x1;
constexpr uint32_t DDSD_HEIGHT = 0x2;
constexpr uint32_t DDSD_WIDTH = 0x4;
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_LPSURFACE = 0x10;
constexpr uint32_t DDSD_PIXELFORMAT = 0x20;
constexpr uint32_t DDSD_CKSRCBLT = 0x40;
constexpr uint32_t DDSD_REFRESHRATE = 0x80;

// Surface capabilities.
constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x1;
constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x2;
constexpr uint32_t DDSCAPS_SYSTEMMEMORY = 0x4;

// Pixel format flags.
constexpr uint32_t DDPF_RGB = 0x40;

struct RECT {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct DDCOLORKEY {
    uint32_t dwColorSpaceLowValue = 0;
    uint32_t dwColorSpaceHighValue = 0;
};

struct DDPIXELFORMAT {
    uint32_t dwSize = 32;
    uint32_t dwFlags = 0;
    uint32_t dwFourCC = 0;
    uint32_t dwRGBBitCount = 0;
    uint32_t dwRBitMask = 0;
    uint32_t dwGBitMask = 0;
    uint32_t dwBBitMask = 0;
    uint32_t dwRGBAlphaBitMask = 0;
};

struct DDSCAPS2 {
    uint32_t dwCaps = 0;
};

struct DDSURFACEDESC2 {
    uint32_t dwSize = 124;
    uint32_t dwFlags = 0;
    uint32_t dwHeight = 0;
    uint32_t dwWidth = 0;
    int32_t lPitch = 0; // bytes from one row to the next
    uint32_t dwBackBufferCount = 0;
    uint32_t dwRefreshRate = 0;
    void* lpSurface = nullptr;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS2 ddsCaps;
};

// The two 16-bit layouts, named by the decimal numbers the game keeps.
constexpr int kLayout565 = 565;
constexpr int kLayout555 = 555;
DDPIXELFORMAT PixelFormatFor(int layout);

class Surface;
class Clipper;
class GdiObject; // the text layer's font objects
struct KeyRange;

// A drawing context on a locked surface, handed out by Surface::GetDC. The text layer keeps its
// font, colour and background-mode state here and writes into `bits`.
struct DeviceContext {
    Surface* surface = nullptr;
    uint16_t* bits = nullptr;
    int32_t pitch = 0; // bytes
    int32_t width = 0;
    int32_t height = 0;
    DDPIXELFORMAT format;
    GdiObject* font = nullptr;   // selected font object, owned by the text layer
    uint32_t textColor = 0;      // 0x00BBGGRR
    uint32_t bkColor = 0xFFFFFF; // 0x00BBGGRR
    int32_t bkMode = 2;          // 1 transparent, 2 opaque
    uint32_t textAlign = 0;
    void* textState = nullptr; // free for the text layer
};
using HDC = DeviceContext*;

class Surface {
public:
    // A surface of width x height pixels, rows `pitch` bytes apart (at least width * 2, even).
    Surface(int width, int height, int layout, int pitch, uint32_t caps);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    uint32_t AddRef();
    // Drops one reference; the last one frees the surface.
    uint32_t Release();

    // Locks the whole surface (rect null) or a part of it. Another thread's lock makes this wait
    // with DDLOCK_WAIT and return DDERR_WASSTILLDRAWING without; a lock the calling thread already
    // holds gives DDERR_SURFACEBUSY (waiting would never end).
    HRESULT Lock(const RECT* rect, DDSURFACEDESC2* desc, uint32_t flags, void* event = nullptr);
    HRESULT Unlock(const RECT* rect);

    HRESULT IsLost();
    HRESULT Restore();

    // Copies src (whole when srcRect is null) onto dst (whole when null), stretching with the
    // nearest pixel when the sizes differ. Rectangles outside a surface give DDERR_INVALIDRECT,
    // except on a surface with a clipper, where the destination is clipped to the surface. On the
    // primary surface with a clipper the destination is in screen coordinates (the client area's
    // origin comes from platform/Present.h).
    HRESULT Blt(const RECT* dstRect, Surface* src, const RECT* srcRect, uint32_t flags, void* fx = nullptr);
    // A 1:1 copy to (x, y); never clips: a rectangle reaching outside either surface fails.
    HRESULT BltFast(int32_t x, int32_t y, Surface* src, const RECT* srcRect, uint32_t flags);

    HRESULT SetColorKey(uint32_t flags, const DDCOLORKEY* key);
    HRESULT GetColorKey(uint32_t flags, DDCOLORKEY* key);
    HRESULT GetPixelFormat(DDPIXELFORMAT* format);
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc);
    HRESULT SetClipper(Clipper* clipper);
    HRESULT GetClipper(Clipper** clipper);

    // The surface stays locked while the context is out, as with DirectDraw.
    HRESULT GetDC(HDC* dc);
    HRESULT ReleaseDC(HDC dc);

    int width() const { return width_; }
    int height() const { return height_; }
    int pitch() const { return pitch_; }
    int layout() const { return layout_; }
    bool isPrimary() const { return (caps_ & DDSCAPS_PRIMARYSURFACE) != 0; }

    // Test seams.
    void SimulateLost();
    // The next `count` locks, blits and GetDC calls touching this surface report
    // DDERR_WASSTILLDRAWING, with or without the wait flag.
    void SimulateBusy(int count);
    // The pixels without a lock, for tests and the presenter (the caller keeps other threads out).
    const uint16_t* pixels() const { return reinterpret_cast<const uint16_t*>(data_.data()); }
    uint16_t PixelAt(int x, int y) const;

private:
    ~Surface();

    // Takes the surface for one operation (lock, blit, context).
    HRESULT Acquire(bool wait);
    void ReleaseAcquire();
    uint16_t* Row(int y) { return reinterpret_cast<uint16_t*>(data_.data() + size_t(y) * size_t(pitch_)); }
    void AfterWrite(); // shows the primary surface when it changes
    static HRESULT AcquirePair(Surface* a, Surface* b, bool wait);
    // The pixel copies of the blits, on surfaces already taken; a null key copies every pixel.
    // CopyRect copies 1:1 from (sx, sy) of src onto `to`; StretchRect draws the part `vis` of the
    // destination `d` from the source rectangle `s` by the nearest pixel.
    void CopyRect(const Surface& src, int sx, int sy, const RECT& to, const KeyRange* key);
    void StretchRect(const Surface& src, const RECT& s, const RECT& d, const RECT& vis, const KeyRange* key);

    int width_;
    int height_;
    int layout_;
    int pitch_;
    uint32_t caps_;
    std::vector<uint8_t> data_;
    DDCOLORKEY srcKey_;
    bool hasSrcKey_ = false;
    Clipper* clipper_ = nullptr;
    DeviceContext dc_;
    bool dcOut_ = false;

    std::mutex mutex_;
    std::condition_variable released_;
    bool busy_ = false;
    std::thread::id owner_;
    bool lockedByUser_ = false;
    bool lost_ = false;
    int simulatedBusy_ = 0;
    uint32_t refs_ = 1;
};

using IDirectDrawSurface7 = Surface;

} // namespace platform
