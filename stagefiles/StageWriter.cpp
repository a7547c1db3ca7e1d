#include "stagefiles/StageWriter.h"

#include "platform/Files.h"

void StageWriter::SizedBlock(const void* data, uint32_t n) {
    out_.u32(n);
    out_.bytes(data, n);
}

bool StageWriter::Save(const char* name) const {
    return platform::WriteFileAtomic(name, out_.buffer().data(), out_.buffer().size());
}
