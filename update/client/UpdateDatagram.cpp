#include "update/client/UpdateDatagram.h"

#include "engine/ByteReader.h"

#include <algorithm>
#include <cstring>

namespace UpdateDatagram {

namespace {

// The name from offset 14, ending at its zero byte or at the end of the 260-byte field.
std::string ReadName(const uint8_t* bytes) {
    const auto* text = reinterpret_cast<const char*>(bytes + kNameText);
    return std::string(text, strnlen(text, kHeaderSize + kNameField - kNameText - 1));
}

bool HasType(const uint8_t* bytes, size_t size, uint8_t type, size_t wanted) {
    const auto header = DecodeHeader(bytes, size);
    return header && header->type == type && size == wanted;
}

void WriteName(ByteWriter& w, char fileSet, const std::string& name) {
    uint8_t field[kNameField] = {};
    field[0] = static_cast<uint8_t>(fileSet);
    field[1] = '\\';
    std::memcpy(field + 2, name.data(), std::min(name.size(), kNameField - 3));
    w.bytes(field, kNameField);
}

} // namespace

std::optional<Header> DecodeHeader(const uint8_t* bytes, size_t size) {
    if (!bytes || size < kHeaderSize) return std::nullopt;
    ByteReader r(bytes, size);
    Header h;
    h.marker = r.u8();
    h.type = r.u8();
    h.length = r.u16();
    h.sequence = r.u32();
    h.flags = r.u8();
    if (!r.ok() || h.marker != kMarker || h.length != size) return std::nullopt;
    return h;
}

std::optional<ControlFields> DecodeControl(const uint8_t* bytes, size_t size) {
    if (!HasType(bytes, size, Control, kControlSize)) return std::nullopt;
    ByteReader r(bytes, size);
    r.seek(kHeaderSize);
    ControlFields c;
    c.code = r.u32();
    c.value = r.u32();
    return c;
}

std::optional<FileHeaderFields> DecodeFileHeader(const uint8_t* bytes, size_t size) {
    if (!HasType(bytes, size, FileHeader, kFileHeaderSize)) return std::nullopt;
    ByteReader r(bytes, size);
    r.seek(kHeaderSize + kNameField);
    FileHeaderFields f;
    f.name = ReadName(bytes);
    f.unpackedSize = r.u32();
    f.packedSize = r.u32();
    f.checksum = r.i32();
    return f;
}

std::optional<FileDataFields> DecodeFileData(const uint8_t* bytes, size_t size) {
    const auto header = DecodeHeader(bytes, size);
    if (!header || header->type != FileData || size < kDataOffset || size > kFileDataSize)
        return std::nullopt;
    ByteReader r(bytes, size);
    r.seek(kHeaderSize + kNameField);
    FileDataFields f;
    f.name = ReadName(bytes);
    f.packedFlag = r.u32();
    f.offset = r.u32();
    f.count = r.u32();
    if (!r.ok() || f.count > kMaxBlock || f.count > size - kDataOffset) return std::nullopt;
    f.data = bytes + kDataOffset;
    return f;
}

std::optional<std::string> DecodeVersion(const uint8_t* bytes, size_t size) {
    if (!HasType(bytes, size, Version, kVersionSize)) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(bytes + kHeaderSize);
    return std::string(text, strnlen(text, kVersionText));
}

std::vector<uint8_t> EncodeHeader(const Header& h) {
    ByteWriter w;
    w.u8(h.marker);
    w.u8(h.type);
    w.u16(h.length);
    w.u32(h.sequence);
    w.u8(h.flags);
    w.zeros(3);
    return w.buffer();
}

std::vector<uint8_t> EncodeAck(uint32_t sequence) {
    return EncodeHeader(Header{kMarker, Ack, static_cast<uint16_t>(kHeaderSize), sequence, kNoAck});
}

std::vector<uint8_t> EncodeVersion(const uint8_t (&text)[kVersionText]) {
    ByteWriter w;
    w.bytes(EncodeHeader(Header{kMarker, Version, static_cast<uint16_t>(kVersionSize), 0, 0}).data(),
            kHeaderSize);
    w.bytes(text, kVersionText);
    return w.buffer();
}

std::vector<uint8_t> EncodeControl(uint32_t code, uint32_t value) {
    ByteWriter w;
    w.bytes(EncodeHeader(Header{kMarker, Control, static_cast<uint16_t>(kControlSize), 0, 0}).data(),
            kHeaderSize);
    w.u32(code);
    w.u32(value);
    return w.buffer();
}

std::vector<uint8_t> EncodeFileHeader(char fileSet, const std::string& name, uint32_t unpackedSize,
                                      uint32_t packedSize, int32_t checksum) {
    ByteWriter w;
    w.bytes(EncodeHeader(Header{kMarker, FileHeader, static_cast<uint16_t>(kFileHeaderSize), 0, 0}).data(),
            kHeaderSize);
    WriteName(w, fileSet, name);
    w.u32(unpackedSize);
    w.u32(packedSize);
    w.i32(checksum);
    return w.buffer();
}

std::vector<uint8_t> EncodeFileData(char fileSet, const std::string& name, uint32_t packedFlag,
                                    uint32_t offset, const uint8_t* data, uint32_t count) {
    ByteWriter w;
    w.bytes(EncodeHeader(Header{kMarker, FileData, static_cast<uint16_t>(kFileDataSize), 0, 0}).data(),
            kHeaderSize);
    WriteName(w, fileSet, name);
    w.u32(packedFlag);
    w.u32(offset);
    w.u32(count);
    const uint32_t n = std::min(count, kMaxBlock);
    if (n) w.bytes(data, n);
    w.zeros(kFileDataSize - kDataOffset - n);
    return w.buffer();
}

int32_t Checksum(const uint8_t* data, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(data[i])));
    return static_cast<int32_t>(sum);
}

} // namespace UpdateDatagram
