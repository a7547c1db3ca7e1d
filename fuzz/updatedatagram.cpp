// Update datagrams as the client meets them: a stream of {u16 length, datagram} records, each
// decoded by its type; file headers make records, file data fills them, and complete records are
// unpacked and checked.
#include "update/client/UpdateDatagram.h"
#include "update/client/UpdateFileTable.h"
#include "update/shared/GameFolder.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace ud = UpdateDatagram;
    static const GameFolder nowhere{std::string()};
    UpdateFileTable table;
    size_t at = 0;
    while (at + 2 <= size) {
        const size_t length = data[at] | (data[at + 1] << 8);
        at += 2;
        if (length > size - at) break;
        const uint8_t* d = data + at;
        at += length;
        const auto header = ud::DecodeHeader(d, length);
        if (!header) continue;
        if (header->length != length) std::abort();
        ud::DecodeControl(d, length);
        ud::DecodeVersion(d, length);
        if (const auto file = ud::DecodeFileHeader(d, length)) {
            if (file->name.size() > ud::kNameField) std::abort();
            table.Add(*file, nowhere);
        }
        if (const auto block = ud::DecodeFileData(d, length)) {
            if (block->count > ud::kMaxBlock || block->data + block->count > d + length) std::abort();
            if (UpdateFileRecord* record = table.Find(block->name))
                UpdateFileTable::Store(*record, block->offset, block->data, block->count, nullptr);
        }
    }
    for (uintptr_t v = table.Records().First(); v != 0; v = table.Records().Next()) {
        const auto* record = reinterpret_cast<const UpdateFileRecord*>(v);
        if (const auto contents = record->Contents()) {
            if (contents->size() != record->unpackedSize) std::abort();
        }
    }
    return 0;
}
