// Feeds arbitrary bytes to the sound bank's WAVE reader through a memory mmio file.
#include "engine/SoundBank.h"
#include "platform/AudioDevice.h"
#include "platform/Mmio.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    platform::SetAudioBackend(platform::AudioBackend::Null);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SoundBank bank(nullptr);
    platform::TakeAudioCalls();
    platform::MMIOINFO info;
    info.fccIOProc = platform::FOURCC_MEM;
    info.pchBuffer = reinterpret_cast<const char*>(data);
    info.cchBuffer = static_cast<int32_t>(size);
    platform::HMMIO file = platform::mmioOpen(nullptr, &info, platform::MMIO_READ);
    int slot = bank.LoadWave(file);
    if (slot >= 0) {
        bank.Play(slot, 0);
        bank.FreeSlot(slot);
    }
    return 0;
}
