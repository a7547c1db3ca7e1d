#pragma once

#include "engine/LinkList.h"
#include "update/client/UpdateDatagram.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class GameFolder;

// One file the server announced, with the bytes received so far.
struct UpdateFileRecord {
    std::string name;            // relative path under the game folder
    std::vector<uint8_t> packed; // run-length block, only when packedSize is not 0
    uint32_t packedSize = 0;
    std::vector<uint8_t> data;
    uint32_t unpackedSize = 0;
    int32_t remoteChecksum = 0;
    int32_t localChecksum = 0;

    std::vector<bool> received; // per byte of the buffer that travels
    uint32_t receivedBytes = 0;

    uint32_t TravelSize() const { return packedSize ? packedSize : unpackedSize; }
    bool Current() const { return localChecksum == remoteChecksum; }
    bool Complete() const { return receivedBytes == TravelSize(); }
    // The file's bytes when every block came and they unpack to the announced size and checksum.
    std::optional<std::vector<uint8_t>> Contents() const;
};

// The session's table of announced files.
class UpdateFileTable {
public:
    // Nothing the server announces may claim more than these.
    static constexpr uint32_t kMaxFileSize = 64u << 20;
    static constexpr uint64_t kMaxTotalSize = 256u << 20;
    static constexpr int kMaxFiles = 4096;

    UpdateFileTable() = default;
    ~UpdateFileTable();
    UpdateFileTable(const UpdateFileTable&) = delete;
    UpdateFileTable& operator=(const UpdateFileTable&) = delete;

    void Clear();
    UpdateFileRecord* Find(const std::string& name);
    // A new record for an announced file, its local checksum taken from the file now in the folder;
    // null when the name or sizes are refused or the file is already known.
    UpdateFileRecord* Add(const UpdateDatagram::FileHeaderFields& header, const GameFolder& folder);
    // Copies a block in; false when it does not lie inside the record's buffer. `fresh` tells whether
    // it brought bytes not seen before.
    static bool Store(UpdateFileRecord& record, uint32_t offset, const uint8_t* bytes, uint32_t count,
                      bool* fresh);

    bool AllComplete();
    LinkList& Records() { return records; }

private:
    LinkList records;
    uint64_t totalSize = 0;
};
