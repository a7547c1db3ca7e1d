#pragma once

#include "platform/Mmio.h"

#include <cstddef>
#include <cstdint>

// AVI files and video decompressors in the Video for Windows manner.
//
// A "vids" stream hands out each frame's compressed bytes and its format block (the file's
// BITMAPINFOHEADER with whatever follows it; biSize counts the whole block). A decompressor turns
// one frame into a bottom-up DIB: 16-bit in the masks the output format gives (5-6-5 or 5-5-5),
// 24-bit BGR, or 8-bit grey. An "auds" stream is offered as 16-bit PCM whatever the file stores, so
// callers play the movie's sound from sample 0 without a codec of their own.
namespace platform {

using HRESULT = int32_t;

constexpr FOURCC streamtypeVIDEO = mmioFOURCC('v', 'i', 'd', 's');
constexpr FOURCC streamtypeAUDIO = mmioFOURCC('a', 'u', 'd', 's');
constexpr FOURCC ICTYPE_VIDEO = mmioFOURCC('v', 'i', 'd', 'c');

constexpr HRESULT AVIERR_OK = 0;
constexpr HRESULT AVIERR_BADFORMAT = static_cast<HRESULT>(0x80044066u);
constexpr HRESULT AVIERR_MEMORY = static_cast<HRESULT>(0x80044067u);
constexpr HRESULT AVIERR_BUFFERTOOSMALL = static_cast<HRESULT>(0x8004406Cu);
constexpr HRESULT AVIERR_FILEREAD = static_cast<HRESULT>(0x8004406Du);
constexpr HRESULT AVIERR_FILEOPEN = static_cast<HRESULT>(0x80044068u);
constexpr HRESULT AVIERR_NODATA = static_cast<HRESULT>(0x80044070u);

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;

constexpr uint32_t ICMODE_DECOMPRESS = 2;
constexpr uint32_t ICM_USER = 0x4000;
constexpr uint32_t ICM_DECOMPRESS_BEGIN = ICM_USER + 12;
constexpr uint32_t ICM_DECOMPRESS = ICM_USER + 13;
constexpr uint32_t ICM_DECOMPRESS_END = ICM_USER + 14;
constexpr int32_t ICERR_OK = 0;
constexpr int32_t ICERR_BADFORMAT = -2;
constexpr int32_t ICERR_ERROR = -100;

// Byte offsets in a BITMAPINFOHEADER / BITMAPV4HEADER block (little-endian).
constexpr size_t kBmiSize = 0, kBmiWidth = 4, kBmiHeight = 8, kBmiPlanes = 12, kBmiBitCount = 14,
                 kBmiCompression = 16, kBmiSizeImage = 20, kBmiClrUsed = 32, kBmiRedMask = 40,
                 kBmiGreenMask = 44, kBmiBlueMask = 48, kBmiAlphaMask = 52;
constexpr size_t kBitmapInfoHeaderBytes = 40;
constexpr size_t kBitmapV4HeaderBytes = 108;

// Byte offsets in a WAVEFORMATEX block.
constexpr size_t kWfxFormatTag = 0, kWfxChannels = 2, kWfxSamplesPerSec = 4, kWfxAvgBytesPerSec = 8,
                 kWfxBlockAlign = 12, kWfxBitsPerSample = 14;
constexpr size_t kWaveFormatExBytes = 18;

struct AVISTREAMINFO {
    FOURCC fccType = 0;
    FOURCC fccHandler = 0;
    uint32_t dwFlags = 0;
    uint32_t dwCaps = 0;
    uint16_t wPriority = 0;
    uint16_t wLanguage = 0;
    uint32_t dwScale = 0;
    uint32_t dwRate = 0;
    uint32_t dwStart = 0;
    uint32_t dwLength = 0;
    uint32_t dwInitialFrames = 0;
    uint32_t dwSuggestedBufferSize = 0;
    uint32_t dwQuality = 0;
    uint32_t dwSampleSize = 0;
    int32_t rcFrame[4] = {}; // left, top, right, bottom
    uint32_t dwEditCount = 0;
    uint32_t dwFormatChangeCount = 0;
    char szName[64] = {};
};

struct AviStream;
using PAVISTREAM = AviStream*;
struct Decompressor;
using HIC = Decompressor*;

void AVIFileInit();
void AVIFileExit();

// Opens stream number `index` of the given type; AVIERR_OK and the stream, or an error and null.
HRESULT AVIStreamOpenFromFile(PAVISTREAM* stream, const char* file, FOURCC type, int32_t index, uint32_t mode,
                              void* handler);
uint32_t AVIStreamRelease(PAVISTREAM stream);
// With a null format, writes the block's size only.
HRESULT AVIStreamReadFormat(PAVISTREAM stream, int32_t position, void* format, int32_t* size);
HRESULT AVIStreamInfo(PAVISTREAM stream, AVISTREAMINFO* info, int32_t size);
int32_t AVIStreamLength(PAVISTREAM stream);
// Video: the compressed bytes of frame `start` (one sample). Audio: `samples` PCM sample frames
// from `start`. With a null buffer only the sizes are reported.
HRESULT AVIStreamRead(PAVISTREAM stream, int32_t start, int32_t samples, void* buffer, int32_t bufferSize,
                      int32_t* bytesRead, int32_t* samplesRead);

// A decompressor for the input format that can produce the output format; null when none can.
HIC ICLocate(FOURCC type, FOURCC handler, const void* inFormat, const void* outFormat, uint32_t mode);
intptr_t ICSendMessage(HIC decompressor, uint32_t message, uintptr_t param1, uintptr_t param2);
// Decodes one frame of inFormat's biSizeImage bytes into outData, laid out as outFormat says
// (rows biSizeImage / biHeight bytes apart, bottom row first). An empty frame leaves outData as it was.
int32_t ICDecompress(HIC decompressor, uint32_t flags, const void* inFormat, const void* inData,
                     const void* outFormat, void* outData);
int32_t ICClose(HIC decompressor);

// Little-endian field access for format blocks.
uint32_t ReadLe32(const void* block, size_t offset);
uint16_t ReadLe16(const void* block, size_t offset);
void WriteLe32(void* block, size_t offset, uint32_t value);
void WriteLe16(void* block, size_t offset, uint16_t value);

} // namespace platform
