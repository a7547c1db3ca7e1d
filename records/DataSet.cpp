#include "records/DataSet.h"

#include "engine/ByteReader.h"

#include <algorithm>
#include <cstring>
#include <vector>

DataSet::~DataSet() {
    delete[] block;
}

RootObject* DataSet::NewChild(int) {
    return nullptr;
}

void DataSet::RemoveChild(int, RootObject*) {}

void DataSet::EditorHook(int32_t) {}

int DataSet::RefreshChild(int, RootObject*) {
    return 1;
}

RootObject* DataSet::CreateChild(int) {
    return nullptr;
}

void DataSet::InitRecord(const FieldSchema& recordSchema, const char* const* columnNames, uint32_t bytes) {
    schema = recordSchema;
    names = columnNames;
    blockBytes = std::max(bytes, recordSchema.BlockBytes());
    delete[] block;
    block = new uint8_t[blockBytes]();
}

void DataSet::ClearBlock() {
    if (block) std::memset(block, 0, blockBytes);
}

int DataSet::Save(ByteWriter& out) const {
    out.u32(blockBytes);
    out.bytes(block, blockBytes);
    return 1;
}

int DataSet::Save(platform::HFILE file) const {
    ByteWriter out;
    Save(out);
    const auto n = static_cast<uint32_t>(out.size());
    return platform::_lwrite(file, out.buffer().data(), n) == n ? 1 : 0;
}

int DataSet::TakeBlock(ByteReader& in, uint32_t length) {
    if (length > kMaxRecordBytes || !in.has(length)) return 0;
    const uint32_t keep = std::min(length, blockBytes);
    ClearBlock();
    in.bytes(block, keep);
    in.skip(length - keep);
    return 1;
}

int DataSet::Load(ByteReader& in) {
    const uint32_t length = in.u32();
    return in.ok() ? TakeBlock(in, length) : 0;
}

int DataSet::Load(platform::HFILE file) {
    uint8_t word[4];
    if (platform::_lread(file, word, 4) != 4) return 0;
    const uint32_t length =
        word[0] | (word[1] << 8) | (word[2] << 16) | (static_cast<uint32_t>(word[3]) << 24);
    if (length > kMaxRecordBytes) return 0;
    // Read whole before the block changes, so a short record leaves it as it was.
    std::vector<uint8_t> bytes(length);
    if (length && platform::_lread(file, bytes.data(), length) != length) return 0;
    ByteReader in(bytes.data(), bytes.size());
    const uint32_t keep = std::min(length, blockBytes);
    ClearBlock();
    in.bytes(block, keep);
    return 1;
}

void DataSet::WriteTextHeader(std::string& out) const {
    schema.ForEach([&](uint32_t i, const SchemaField&) {
        if (names && names[i]) out += names[i];
        out += '\t';
    });
    out += '\n';
}

void DataSet::WriteTextRow(std::string& out) const {
    schema.ForEach([&](uint32_t, const SchemaField& f) {
        if (f.type == kFieldText)
            out += Text(f.offset, f.bytes);
        else
            out += std::to_string(Int(f.offset));
        out += '\t';
    });
    out += '\n';
}

namespace {
int WriteAll(platform::HFILE file, const std::string& text) {
    const auto n = static_cast<uint32_t>(text.size());
    return platform::_lwrite(file, text.data(), n) == n ? 1 : 0;
}
} // namespace

int DataSet::WriteTextHeader(platform::HFILE file) const {
    std::string text;
    WriteTextHeader(text);
    return WriteAll(file, text);
}

int DataSet::WriteTextRow(platform::HFILE file) const {
    std::string text;
    WriteTextRow(text);
    return WriteAll(file, text);
}

int32_t DataSet::Int(uint32_t offset) const {
    if (!block || offset > blockBytes || blockBytes - offset < 4) return 0;
    ByteReader r(block + offset, 4);
    return r.i32();
}

void DataSet::SetInt(uint32_t offset, int32_t value) {
    if (!block || offset > blockBytes || blockBytes - offset < 4) return;
    for (int i = 0; i < 4; ++i)
        block[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

std::string_view DataSet::Text(uint32_t offset, uint32_t bytes) const {
    if (!block || offset >= blockBytes) return {};
    bytes = std::min(bytes, blockBytes - offset);
    const char* p = reinterpret_cast<const char*>(block + offset);
    return std::string_view(p, strnlen(p, bytes));
}

size_t Big5Cut(std::string_view text, size_t max) {
    size_t i = 0;
    while (i < text.size() && text[i] != '\0') {
        const size_t width = (static_cast<uint8_t>(text[i]) >= 0x81 && i + 1 < text.size()) ? 2 : 1;
        if (i + width > max) break;
        i += width;
    }
    return i;
}

void DataSet::SetText(uint32_t offset, uint32_t bytes, std::string_view text) {
    if (!block || offset >= blockBytes || bytes == 0) return;
    bytes = std::min(bytes, blockBytes - offset);
    const size_t n = Big5Cut(text, bytes - 1);
    std::memset(block + offset, 0, bytes);
    std::memcpy(block + offset, text.data(), n);
}

std::string_view DataSet::Caption() const {
    const SchemaField first = schema.Field(0);
    if (first.type != kFieldText) return {};
    return Text(first.offset, first.bytes);
}
