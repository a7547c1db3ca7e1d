#include "world/GateRecord.h"

#include "engine/ByteReader.h"

#include <cstring>

bool GateRecord::Read(ByteReader& in, uint32_t size) {
    uint8_t body[kSize] = {};
    const uint32_t keep = size < kSize ? size : kSize;
    in.bytes(body, keep);
    in.skip(size - keep);
    if (!in.ok()) return false;
    ByteReader r(body, kSize);
    centreX = r.i32();
    centreY = r.i32();
    direction = r.i32();
    openState = r.i32();
    r.seek(80);
    cityX = r.i32();
    cityY = r.i32();
    style = r.i32();
    return true;
}

std::vector<uint8_t> WriteDoorFile(const std::vector<std::vector<GateRecord>>& gatesByKingdom) {
    ByteWriter out;
    out.bytes("Door    Data", 12);
    out.u32(GateRecord::kSize);
    for (const auto& gates : gatesByKingdom) {
        out.u32(uint32_t(gates.size()));
        for (const GateRecord& g : gates) {
            out.i32(g.centreX);
            out.i32(g.centreY);
            out.i32(g.direction);
            out.i32(g.openState);
            out.zeros(64); // piece states and strengths: a door file starts every gate new
            out.i32(g.cityX);
            out.i32(g.cityY);
            out.i32(g.style);
        }
    }
    return std::move(out.buffer());
}

bool ReadDoorFile(ByteReader& in, int kingdoms, std::vector<std::vector<GateRecord>>& out) {
    out.clear();
    in.skip(12);
    const uint32_t size = in.u32();
    // A record too small to hold the fields a door file needs is no door file.
    if (!in.ok() || size < 12 || size > (1u << 16)) return false;
    for (int k = 0; k < kingdoms; ++k) {
        const uint32_t count = in.u32();
        if (!in.ok() || uint64_t(count) * size > in.remaining()) return false;
        std::vector<GateRecord> gates(count);
        for (GateRecord& g : gates)
            if (!g.Read(in, size)) return false;
        out.push_back(std::move(gates));
    }
    return true;
}
