#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Datagrams between the update client and the update server: a 12-byte header, then the payload
// of the type. Decoders accept only what has exactly the size its type and length word claim.
namespace UpdateDatagram {

constexpr uint8_t kMarker = 1;
constexpr size_t kHeaderSize = 12;

enum Type : uint8_t { Ack = 1, Version = 3, Control = 4, FileHeader = 5, FileData = 6 };

constexpr uint8_t kSendOnce = 1; // flags bit 0
constexpr uint8_t kNoAck = 2;    // flags bit 1

constexpr size_t kVersionSize = 44;
constexpr size_t kControlSize = 20;
constexpr size_t kFileHeaderSize = 284;
constexpr size_t kFileDataSize = 1284;
constexpr size_t kNameField = 260;   // at offset 12
constexpr size_t kNameText = 14;     // the client's name starts after the file-set letter and "\"
constexpr size_t kDataOffset = 284;  // data of a type-6 datagram
constexpr uint32_t kMaxBlock = 1000; // bytes of file data per datagram
constexpr size_t kVersionText = 32;

// Control codes.
constexpr uint32_t kCurrent = 1;   // server: the installed version is current
constexpr uint32_t kAllSent = 2;   // server: every file has been sent
constexpr uint32_t kClientEnd = 3; // client: answer to kAllSent
constexpr uint32_t kHaveFile = 4;  // client: this file is already here, value = its checksum

struct Header {
    uint8_t marker = kMarker;
    uint8_t type = 0;
    uint16_t length = 0;
    uint32_t sequence = 0;
    uint8_t flags = 0;
};

struct ControlFields {
    uint32_t code = 0;
    uint32_t value = 0;
};

struct FileHeaderFields {
    std::string name; // the relative path, from offset 14
    uint32_t unpackedSize = 0;
    uint32_t packedSize = 0; // 0: the file travels unpacked
    int32_t checksum = 0;
};

struct FileDataFields {
    std::string name;
    uint32_t packedFlag = 0;
    uint32_t offset = 0;
    uint32_t count = 0;
    const uint8_t* data = nullptr; // `count` bytes inside the decoded datagram
};

// A header whose marker is 1 and whose length word equals the datagram's size.
std::optional<Header> DecodeHeader(const uint8_t* bytes, size_t size);
std::optional<ControlFields> DecodeControl(const uint8_t* bytes, size_t size);
std::optional<FileHeaderFields> DecodeFileHeader(const uint8_t* bytes, size_t size);
// The count is at most 1000 and its bytes lie inside the datagram.
std::optional<FileDataFields> DecodeFileData(const uint8_t* bytes, size_t size);
// The version text of a type-3 datagram (up to its first zero byte).
std::optional<std::string> DecodeVersion(const uint8_t* bytes, size_t size);

// Writers; the sequence and flags are stamped by the transport when it queues the datagram.
std::vector<uint8_t> EncodeHeader(const Header& header);
std::vector<uint8_t> EncodeAck(uint32_t sequence);
std::vector<uint8_t> EncodeVersion(const uint8_t (&text)[kVersionText]);
std::vector<uint8_t> EncodeControl(uint32_t code, uint32_t value);
// The name field carries the file-set letter and a backslash before the name.
std::vector<uint8_t> EncodeFileHeader(char fileSet, const std::string& name, uint32_t unpackedSize,
                                      uint32_t packedSize, int32_t checksum);
std::vector<uint8_t> EncodeFileData(char fileSet, const std::string& name, uint32_t packedFlag,
                                    uint32_t offset, const uint8_t* data, uint32_t count);

// Sum of the bytes taken as signed 8-bit values, wrapping in 32 bits.
int32_t Checksum(const uint8_t* data, size_t size);

} // namespace UpdateDatagram
