#include "update/client/UpdateFileTable.h"

#include "engine/LzwCodec.h"
#include "update/shared/GameFolder.h"

#include <fstream>
#include <iterator>
#include <new>

std::optional<std::vector<uint8_t>> UpdateFileRecord::Contents() const {
    if (!Complete()) return std::nullopt;
    std::vector<uint8_t> bytes;
    if (packedSize) {
        auto unpacked = Zu_LzwCodec::UnpackRle(packed.data(), packed.size());
        if (!unpacked) return std::nullopt;
        bytes = std::move(*unpacked);
    } else {
        bytes = data;
    }
    if (bytes.size() != unpackedSize) return std::nullopt;
    if (UpdateDatagram::Checksum(bytes.data(), bytes.size()) != remoteChecksum) return std::nullopt;
    return bytes;
}

UpdateFileTable::~UpdateFileTable() {
    Clear();
}

void UpdateFileTable::Clear() {
    while (records.First()) {
        delete reinterpret_cast<UpdateFileRecord*>(records.CurrentValue());
        records.RemoveCurrent();
    }
    totalSize = 0;
}

UpdateFileRecord* UpdateFileTable::Find(const std::string& name) {
    for (uintptr_t v = records.First(); v != 0; v = records.Next()) {
        auto* record = reinterpret_cast<UpdateFileRecord*>(v);
        if (record->name == name) return record;
    }
    return nullptr;
}

UpdateFileRecord* UpdateFileTable::Add(const UpdateDatagram::FileHeaderFields& header,
                                       const GameFolder& folder) {
    if (Find(header.name) || records.GetCount() >= kMaxFiles) return nullptr;
    if (!GameFolder::IsPlainRelativeName(header.name)) return nullptr;
    if (header.unpackedSize < 1 || header.unpackedSize > kMaxFileSize) return nullptr;
    // A packed file travels as a run-length block: its 8-byte head and at least one code.
    if (header.packedSize != 0 && (header.packedSize < 9 || header.packedSize > kMaxFileSize + 8))
        return nullptr;
    const uint64_t claim = uint64_t(header.unpackedSize) + header.packedSize;
    if (totalSize + claim > kMaxTotalSize) return nullptr;

    auto* record = new (std::nothrow) UpdateFileRecord;
    if (!record) return nullptr;
    try {
        record->name = header.name;
        record->unpackedSize = header.unpackedSize;
        record->packedSize = header.packedSize;
        record->remoteChecksum = header.checksum;
        record->data.assign(header.unpackedSize, 0);
        if (header.packedSize) record->packed.assign(header.packedSize, 0);
        record->received.assign(record->TravelSize(), false);
    } catch (const std::bad_alloc&) {
        delete record;
        return nullptr;
    }
    record->localChecksum = 0;
    if (const auto path = folder.Resolve(header.name)) {
        std::ifstream in(*path, std::ios::binary);
        if (in) {
            const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                             std::istreambuf_iterator<char>());
            record->localChecksum = UpdateDatagram::Checksum(bytes.data(), bytes.size());
        }
    }
    totalSize += claim;
    records.Last();
    records.Add(reinterpret_cast<uintptr_t>(record));
    return record;
}

bool UpdateFileTable::Store(UpdateFileRecord& record, uint32_t offset, const uint8_t* bytes, uint32_t count,
                            bool* fresh) {
    const uint32_t size = record.TravelSize();
    if (offset > size || count > size - offset) return false;
    std::vector<uint8_t>& buffer = record.packedSize ? record.packed : record.data;
    bool any = false;
    for (uint32_t i = 0; i < count; ++i) {
        buffer[offset + i] = bytes[i];
        if (!record.received[offset + i]) {
            record.received[offset + i] = true;
            ++record.receivedBytes;
            any = true;
        }
    }
    if (fresh) *fresh = any;
    return true;
}

bool UpdateFileTable::AllComplete() {
    for (uintptr_t v = records.First(); v != 0; v = records.Next()) {
        auto* record = reinterpret_cast<UpdateFileRecord*>(v);
        if (!record->Current() && !record->Complete()) return false;
    }
    return true;
}
