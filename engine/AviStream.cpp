#include "engine/AviStream.h"

#include "engine/AviSystem.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace platform;

namespace {

// A compressed frame larger than this is skipped (the last picture stays).
constexpr uint32_t kMaxFrameBytes = 16u << 20;
// Sound longer than this is cut off rather than buffered.
constexpr uint64_t kMaxSoundBytes = 64u << 20;

} // namespace

ClipBox ClipToTarget(int32_t x, int32_t y, int32_t width, int32_t height, const LockedTarget& target) {
    ClipBox box;
    box.x = x;
    box.y = y;
    box.width = width;
    box.height = height;
    if (x < 0) {
        box.width += x;
        box.skipX = -x;
        box.x = 0;
    }
    if (y < 0) {
        box.height += y;
        box.skipY = -y;
        box.y = 0;
    }
    if (box.x >= target.width || box.y >= target.height) {
        box.width = box.height = 0;
        return box;
    }
    box.width = std::min(box.width, target.width - box.x);
    box.height = std::min(box.height, target.height - box.y);
    return box;
}

Zu_AviStream::~Zu_AviStream() {
    Close();
}

int32_t Zu_AviStream::Width() const {
    return inputFormat.size() >= kBitmapInfoHeaderBytes
               ? static_cast<int32_t>(ReadLe32(inputFormat.data(), kBmiWidth))
               : 0;
}

int32_t Zu_AviStream::Height() const {
    return inputFormat.size() >= kBitmapInfoHeaderBytes
               ? static_cast<int32_t>(ReadLe32(inputFormat.data(), kBmiHeight))
               : 0;
}

int Zu_AviStream::Open(const char* file, Zu_AviSystem* owner, uint32_t modeWord) {
    length = 0;
    currentFrame = 0;
    framePeriod = 0;
    if (AVIStreamOpenFromFile(&video, file, streamtypeVIDEO, 0, OF_SHARE_DENY_WRITE, nullptr) != AVIERR_OK) {
        video = nullptr;
        return 0;
    }
    formatMode = modeWord & 0xFFF;
    zoom = modeWord >> 12;
    if (zoom == 0) zoom = 1;
    system = owner;

    int32_t size = 0;
    if (AVIStreamReadFormat(video, 0, nullptr, &size) != AVIERR_OK ||
        size < static_cast<int32_t>(kBitmapInfoHeaderBytes))
        return 0;
    inputFormat.assign(static_cast<size_t>(size), 0);
    if (AVIStreamReadFormat(video, 0, inputFormat.data(), &size) != AVIERR_OK) return 0;
    uint32_t outSize = std::max<uint32_t>(static_cast<uint32_t>(inputFormat.size()), kBitmapV4HeaderBytes);
    outputFormat.assign(outSize, 0);
    int32_t streamLength = AVIStreamLength(video);
    length = streamLength > 0 ? static_cast<uint32_t>(streamLength) : 0;
    AVIStreamInfo(video, &videoInfo, 140);
    std::memcpy(outputFormat.data(), inputFormat.data(), inputFormat.size());
    WriteLe32(outputFormat.data(), kBmiSize, outSize);

    // A stream without a picture size or a frame rate cannot be timed or laid out.
    int32_t width = Width(), height = Height();
    if (videoInfo.dwRate == 0 || videoInfo.dwScale == 0 || width <= 0 || height <= 0 ||
        width > kMaxDimension || height > kMaxDimension)
        return 0;

    uint16_t bits = formatMode == 1 ? 24 : formatMode == 2 ? 8 : 16;
    uint32_t compression = bits == 16 ? BI_BITFIELDS : BI_RGB;
    WriteLe16(outputFormat.data(), kBmiBitCount, bits);
    WriteLe32(outputFormat.data(), kBmiCompression, compression);
    WriteLe32(outputFormat.data(), kBmiClrUsed, 0);
    const DDPIXELFORMAT& pf = system->target.ddpfPixelFormat;
    WriteLe32(outputFormat.data(), kBmiRedMask, pf.dwRBitMask);
    WriteLe32(outputFormat.data(), kBmiGreenMask, pf.dwGBitMask);
    WriteLe32(outputFormat.data(), kBmiBlueMask, pf.dwBBitMask);
    WriteLe32(outputFormat.data(), kBmiAlphaMask, pf.dwRGBAlphaBitMask);
    uint64_t alignedRow = (static_cast<uint64_t>(width) * bits / 8 + 3) & ~uint64_t(3);
    // A 16-bit picture has rows of a width rounded up to 4 pixels. The size an 8- or 24-bit picture
    // would copy from the input says nothing about the decoded picture (a smaller one would be
    // overrun, a larger one, up to 4 GiB from a damaged file, never filled): its rows decide.
    uint64_t imageSize = compression != BI_RGB
                             ? ((static_cast<uint64_t>(width) + 3) & ~uint64_t(3)) * height * bits / 8
                             : alignedRow * height;
    if (imageSize < alignedRow * height) imageSize = alignedRow * height;
    WriteLe32(outputFormat.data(), kBmiSizeImage, static_cast<uint32_t>(imageSize));

    uint64_t frameBytes = videoInfo.dwSuggestedBufferSize;
    if (frameBytes == 0)
        frameBytes = static_cast<uint64_t>(width) * height * ReadLe16(inputFormat.data(), kBmiBitCount) / 8;
    // One compressed frame never needs more than this; the file's word is not trusted further.
    inputBufferSize = static_cast<uint32_t>(std::min<uint64_t>(frameBytes, kMaxFrameBytes));

    decompressor = ICLocate(ICTYPE_VIDEO, videoInfo.fccHandler, inputFormat.data(), outputFormat.data(),
                            ICMODE_DECOMPRESS);
    if (!decompressor) return 0;
    ICSendMessage(decompressor, ICM_DECOMPRESS_BEGIN, reinterpret_cast<uintptr_t>(inputFormat.data()),
                  reinterpret_cast<uintptr_t>(outputFormat.data()));

    outputStride = static_cast<uint32_t>(imageSize / static_cast<uint32_t>(height));
    uint64_t rate = videoInfo.dwRate, scale = videoInfo.dwScale;
    framesPerSecond = static_cast<uint32_t>((rate + scale / 2) / scale);
    framePeriod = static_cast<uint32_t>(std::min<uint64_t>((scale * 1000 + rate / 2) / rate, UINT32_MAX));

    if (AVIStreamOpenFromFile(&sound, file, streamtypeAUDIO, 0, OF_SHARE_DENY_WRITE, nullptr) != AVIERR_OK)
        sound = nullptr;
    return 1;
}

uint8_t Zu_AviStream::Start(int32_t volume) {
    {
        std::lock_guard lock(frameLock);
        uint32_t outSize =
            outputFormat.size() >= kBitmapInfoHeaderBytes ? ReadLe32(outputFormat.data(), kBmiSizeImage) : 0;
        if (!inputBuffer && inputBufferSize)
            inputBuffer = static_cast<uint8_t*>(std::calloc(inputBufferSize, 1));
        if (!outputBuffer && outSize) outputBuffer = static_cast<uint8_t*>(std::calloc(outSize, 1));
    }
    currentFrame = 0;
    DecodeFrame(0);
    StartSound(volume);
    currentFrame = 1;
    playing = 1;
    return playing;
}

void Zu_AviStream::Step(int32_t frame) {
    if (frame != -1) currentFrame = static_cast<uint32_t>(frame);
    if (currentFrame < length) {
        DecodeFrame(currentFrame);
        ++currentFrame;
    } else {
        playing = 0;
    }
}

void Zu_AviStream::DecodeFrame(uint32_t n) {
    if (n >= length || !inputBuffer || !decompressor) return;
    int32_t bytes = 0;
    if (AVIStreamRead(video, static_cast<int32_t>(n), 1, inputBuffer, static_cast<int32_t>(inputBufferSize),
                      &bytes, nullptr) != AVIERR_OK)
        bytes = 0;
    WriteLe32(inputFormat.data(), kBmiSizeImage, static_cast<uint32_t>(bytes));
    std::lock_guard lock(frameLock);
    if (outputBuffer)
        ICDecompress(decompressor, 0, inputFormat.data(), inputBuffer, outputFormat.data(), outputBuffer);
}

void Zu_AviStream::FreeBuffers() {
    std::lock_guard lock(frameLock);
    std::free(inputBuffer);
    std::free(outputBuffer);
    inputBuffer = nullptr;
    outputBuffer = nullptr;
}

void Zu_AviStream::Stop() {
    FreeBuffers();
    StopSound();
    playing = 0;
}

void Zu_AviStream::Close() {
    if (decompressor) {
        ICSendMessage(decompressor, ICM_DECOMPRESS_END, 0, 0);
        ICClose(decompressor);
        decompressor = nullptr;
    }
    FreeBuffers();
    inputFormat.clear();
    outputFormat.clear();
    if (video) AVIStreamRelease(video);
    video = nullptr;
    StopSound();
    if (sound) AVIStreamRelease(sound);
    sound = nullptr;
    playing = 0;
}

// The whole sound track goes into one buffer that plays once from frame 0, so it keeps its pace
// whatever the file's suggested buffer size says.
bool Zu_AviStream::OpenSound() {
    if (!sound) return false;
    if (soundFormat) return soundBuffer != nullptr;
    uint8_t raw[kWaveFormatExBytes] = {};
    int32_t size = sizeof raw;
    if (AVIStreamReadFormat(sound, 0, raw, &size) != AVIERR_OK) {
        AVIStreamRelease(sound);
        sound = nullptr;
        return false;
    }
    soundFormat = new WAVEFORMATEX;
    soundFormat->wFormatTag = ReadLe16(raw, kWfxFormatTag);
    soundFormat->nChannels = ReadLe16(raw, kWfxChannels);
    soundFormat->nSamplesPerSec = ReadLe32(raw, kWfxSamplesPerSec);
    soundFormat->nAvgBytesPerSec = ReadLe32(raw, kWfxAvgBytesPerSec);
    soundFormat->nBlockAlign = ReadLe16(raw, kWfxBlockAlign);
    soundFormat->wBitsPerSample = ReadLe16(raw, kWfxBitsPerSample);
    AVIStreamInfo(sound, &soundInfo, 140);
    if (!system || !system->sound || soundFormat->nBlockAlign == 0) return false;

    int32_t samples = AVIStreamLength(sound);
    uint64_t bytes = samples > 0 ? static_cast<uint64_t>(samples) * soundFormat->nBlockAlign : 0;
    bytes = std::min(bytes, kMaxSoundBytes - kMaxSoundBytes % soundFormat->nBlockAlign);
    DSBUFFERDESC desc;
    desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME;
    desc.dwBufferBytes = static_cast<uint32_t>(bytes);
    desc.lpwfxFormat = soundFormat;
    if (bytes == 0 || system->sound->CreateSoundBuffer(&desc, &soundBuffer, nullptr) != DS_OK) {
        soundBuffer = nullptr;
        AVIStreamRelease(sound);
        sound = nullptr;
        return false;
    }
    void* part1 = nullptr;
    void* part2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (soundBuffer->Lock(0, desc.dwBufferBytes, &part1, &bytes1, &part2, &bytes2, 0) == DS_OK) {
        int32_t got = 0;
        AVIStreamRead(sound, 0, static_cast<int32_t>(bytes1 / soundFormat->nBlockAlign), part1,
                      static_cast<int32_t>(bytes1), &got, nullptr);
        soundBuffer->Unlock(part1, bytes1, part2, bytes2);
    }
    return true;
}

void Zu_AviStream::StartSound(int32_t volume) {
    if (!OpenSound() || !soundBuffer) return;
    soundBuffer->SetCurrentPosition(0);
    soundBuffer->SetVolume(volume);
    soundBuffer->Play(0, 0, 0);
}

void Zu_AviStream::StopSound() {
    if (soundBuffer) {
        soundBuffer->Stop();
        soundBuffer->SetCurrentPosition(0);
        soundBuffer->Release();
        soundBuffer = nullptr;
    }
    delete soundFormat;
    soundFormat = nullptr;
}

bool LockTarget(Surface* surface, LockedTarget& target) {
    if (!surface) return false;
    DDSURFACEDESC2 desc;
    desc.dwSize = 124;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT) != DD_OK) return false;
    target.bits = static_cast<uint8_t*>(desc.lpSurface);
    target.pitch = desc.lPitch;
    target.width = static_cast<int32_t>(desc.dwWidth);
    target.height = static_cast<int32_t>(desc.dwHeight);
    return true;
}

void Zu_AviStream::Draw16(int32_t x, int32_t y, Surface* surface, int32_t) {
    if (!playing) return;
    LockedTarget target;
    if (!LockTarget(surface, target)) return;
    int32_t width = Width(), height = Height();
    ClipBox box = ClipToTarget(x, y, width, height, target);
    {
        std::lock_guard lock(frameLock);
        if (!box.empty() && outputBuffer) {
            for (int32_t r = 0; r < box.height; ++r) {
                const uint8_t* src = outputBuffer +
                                     static_cast<size_t>(outputStride) * (height - 1 - box.skipY - r) +
                                     static_cast<size_t>(box.skipX) * 2;
                uint8_t* dst = target.bits + static_cast<size_t>(target.pitch) * (box.y + r) + box.x * 2;
                std::memcpy(dst, src, static_cast<size_t>(box.width) * 2);
            }
        }
        surface->Unlock(nullptr);
    }
}

void Zu_AviStream::Draw24(int32_t x, int32_t y, Surface* surface, int32_t pixelFormat) {
    if (!playing) return;
    LockedTarget target;
    if (!LockTarget(surface, target)) return;
    int32_t width = Width(), height = Height();
    int32_t z = static_cast<int32_t>(std::min<uint32_t>(zoom, 64));
    ClipBox box = ClipToTarget(x, y, width * z, height * z, target);
    {
        std::lock_guard lock(frameLock);
        int32_t columns = box.width / z, rows = box.height / z;
        int32_t skipX = box.skipX / z, skipY = box.skipY / z;
        if (!box.empty() && outputBuffer && columns > 0 && rows > 0) {
            for (int32_t r = 0; r < rows; ++r) {
                const uint8_t* src = outputBuffer +
                                     static_cast<size_t>(outputStride) * (height - 1 - skipY - r) +
                                     static_cast<size_t>(skipX) * 3;
                for (int32_t c = 0; c < columns; ++c) {
                    uint16_t pixel = Pack16(src[3 * c + 2], src[3 * c + 1], src[3 * c], pixelFormat);
                    for (int32_t dy = 0; dy < z; ++dy) {
                        auto* dst =
                            reinterpret_cast<uint16_t*>(target.bits + static_cast<size_t>(target.pitch) *
                                                                          (box.y + r * z + dy)) +
                            box.x + c * z;
                        for (int32_t dx = 0; dx < z; ++dx)
                            dst[dx] = pixel;
                    }
                }
            }
        }
        surface->Unlock(nullptr);
    }
}
