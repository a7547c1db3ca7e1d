#pragma once

#include "gui/RootObject.h"
#include "platform/Files.h"
#include "records/FieldSchema.h"

#include <cstdint>
#include <string>
#include <string_view>

class ByteReader;
class ByteWriter;
class LinkList;

// Base of every record described by a field schema, and of the containers the editor walks. The
// descriptor (block, schema, names, child lists, caption, record kind) is all the editor and the
// exporters know of a record.
class DataSet : public RootObject {
public:
    // A stored length above this is no record of ours: the load fails instead of reading it.
    static constexpr uint32_t kMaxRecordBytes = 1u << 20;

    DataSet() = default;
    ~DataSet() override;
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    // The editor's operations on a container's children; plain records keep these.
    virtual RootObject* NewChild(int kind);
    virtual void RemoveChild(int kind, RootObject* child);
    virtual void EditorHook(int32_t word);
    virtual int RefreshChild(int kind, RootObject* child);
    virtual RootObject* CreateChild(int kind);

    // The binary record: u32 length, then the block.
    int Save(ByteWriter& out) const;
    int Save(platform::HFILE file) const;
    // Keeps min(length, block) bytes, zero past them, skips the rest. 0, with the record as it
    // was, when the length is missing, above kMaxRecordBytes, or its bytes run out.
    int Load(ByteReader& in);
    int Load(platform::HFILE file);

    // The tab-separated export: names or values, each followed by a tab; a bare newline ends it.
    void WriteTextHeader(std::string& out) const;
    void WriteTextRow(std::string& out) const;
    int WriteTextHeader(platform::HFILE file) const;
    int WriteTextRow(platform::HFILE file) const;

    int32_t Int(uint32_t offset) const;
    void SetInt(uint32_t offset, int32_t value);
    // Text of a field of the given width, up to its zero byte and never past the field.
    std::string_view Text(uint32_t offset, uint32_t bytes) const;
    // Stores text cut to the field with its zero byte, never leaving half a Big5 character.
    void SetText(uint32_t offset, uint32_t bytes, std::string_view text);
    // The first field's text (every record's name), bounded by its width.
    std::string_view Caption() const;
    uint32_t BlockBytes() const { return blockBytes; }
    // Zero-fills the block.
    void ClearBlock();
    // The block from a record body of that length: keeps what fits, zero past it, skips the rest.
    // 0, with the block as it was, when the length is above kMaxRecordBytes or its bytes run out.
    int TakeBlock(ByteReader& in, uint32_t length);

    uint8_t* block = nullptr;
    FieldSchema schema;
    const char* const* names = nullptr;
    LinkList* childList = nullptr;
    LinkList* secondList = nullptr;
    const char* caption = nullptr;
    int32_t recordKind = 0;

protected:
    // Allocates the zeroed block the record owns (at least the schema's size) and sets the
    // descriptor.
    void InitRecord(const FieldSchema& recordSchema, const char* const* columnNames, uint32_t bytes = 0);

private:
    uint32_t blockBytes = 0;
};

// A Big5 text cut to at most max bytes without splitting a double-byte character.
size_t Big5Cut(std::string_view text, size_t max);
