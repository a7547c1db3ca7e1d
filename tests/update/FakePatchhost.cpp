#include "FakePatchhost.h"

#include "engine/LzwCodec.h"
#include "update/client/UpdateDatagram.h"

#include <algorithm>
#include <chrono>

namespace updatetest {

using namespace platform;
namespace ud = UpdateDatagram;
using Clock = std::chrono::steady_clock;

FakePatchhost::FakePatchhost() {
    socket_.Open();
    socket_.Bind(0x7F000001, 0);
    socket_.SetNonBlocking(true);
    port_ = socket_.LocalPort();
}

FakePatchhost::~FakePatchhost() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    socket_.Close();
}

FakePatchhost::File FakePatchhost::PlainFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    File f;
    f.name = name;
    f.bytes = bytes;
    f.unpackedSize = static_cast<uint32_t>(bytes.size());
    f.checksum = ud::Checksum(bytes.data(), bytes.size());
    return f;
}

FakePatchhost::File FakePatchhost::PackedFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    File f = PlainFile(name, bytes);
    f.bytes = *Zu_LzwCodec::PackRle(bytes.data(), bytes.size());
    f.packedSize = static_cast<uint32_t>(f.bytes.size());
    return f;
}

void FakePatchhost::AddFile(File file) {
    files_.push_back(std::move(file));
}

void FakePatchhost::Start() {
    thread_ = std::thread([this] { Run(); });
}

bool FakePatchhost::WaitDone(int milliseconds) {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (!done_ && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done_;
}

std::string FakePatchhost::VersionText() {
    std::lock_guard lock(mutex_);
    return version_;
}

std::vector<uint32_t> FakePatchhost::HaveFileAnswers() {
    std::lock_guard lock(mutex_);
    return haveFile_;
}

bool FakePatchhost::ClientEnded() {
    std::lock_guard lock(mutex_);
    return clientEnded_;
}

int FakePatchhost::Received() {
    std::lock_guard lock(mutex_);
    return received_;
}

// Reads for a while, acknowledging and noting what the client says.
void FakePatchhost::Pump(int milliseconds) {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    uint8_t buffer[2048];
    do {
        SocketAddress from;
        const int n = socket_.ReceiveFrom(buffer, sizeof buffer, &from);
        if (n < 0) {
            socket_.WaitReadable(2);
            continue;
        }
        const auto header = ud::DecodeHeader(buffer, static_cast<size_t>(n));
        if (!header) continue;
        std::lock_guard lock(mutex_);
        ++received_;
        if (header->type == ud::Ack) {
            acked_.push_back(header->sequence);
            continue;
        }
        if (!silent_ && !(header->flags & ud::kNoAck)) {
            const auto ack = ud::EncodeAck(header->sequence);
            socket_.SendTo(ack.data(), ack.size(), from, 0);
        }
        if (auto v = ud::DecodeVersion(buffer, static_cast<size_t>(n))) {
            version_ = *v;
            client_ = from;
            haveClient_ = true;
        } else if (auto c = ud::DecodeControl(buffer, static_cast<size_t>(n))) {
            if (c->code == ud::kHaveFile) haveFile_.push_back(c->value);
            if (c->code == ud::kClientEnd) clientEnded_ = true;
        }
    } while (Clock::now() < end && !stop_);
}

bool FakePatchhost::SendReliably(std::vector<uint8_t> datagram) {
    const uint32_t seq = sequence_++;
    for (int i = 0; i < 4; ++i)
        datagram[4 + i] = static_cast<uint8_t>(seq >> (8 * i));
    for (int attempt = 0; attempt < 20 && !stop_; ++attempt) {
        socket_.SendTo(datagram.data(), datagram.size(), client_, 0);
        const auto end = Clock::now() + std::chrono::milliseconds(300);
        while (Clock::now() < end && !stop_) {
            Pump(5);
            std::lock_guard lock(mutex_);
            if (std::find(acked_.begin(), acked_.end(), seq) != acked_.end()) return true;
        }
    }
    return false;
}

void FakePatchhost::SendFile(const File& file) {
    std::vector<int> order = file.blockOrder;
    const int blocks = static_cast<int>((file.bytes.size() + ud::kMaxBlock - 1) / ud::kMaxBlock);
    if (order.empty())
        for (int b = 0; b < blocks; ++b)
            order.push_back(b);
    for (int b : order) {
        const uint32_t offset = static_cast<uint32_t>(b) * ud::kMaxBlock;
        const uint32_t count =
            std::min<uint32_t>(ud::kMaxBlock, static_cast<uint32_t>(file.bytes.size()) - offset);
        SendReliably(ud::EncodeFileData('A', file.name, file.packedSize != 0, offset,
                                        file.bytes.data() + offset, count));
    }
}

void FakePatchhost::Run() {
    while (!haveClient_ && !stop_)
        Pump(10);
    if (silent_ || stop_) {
        while (!stop_)
            Pump(10);
        return;
    }
    if (current_) {
        SendReliably(ud::EncodeControl(ud::kCurrent, 0));
    } else {
        for (const File& f : files_)
            SendReliably(ud::EncodeFileHeader('A', f.name, f.unpackedSize, f.packedSize, f.checksum));
        if (stall_) {
            done_ = true;
            while (!stop_)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return;
        }
        for (Step& s : extra_) {
            if (s.raw) {
                socket_.SendTo(s.datagram.data(), s.datagram.size(), client_, 0);
                Pump(20);
            } else {
                SendReliably(s.datagram);
            }
        }
        if (allSentFirst_) SendReliably(ud::EncodeControl(ud::kAllSent, 0));
        for (const File& f : files_)
            SendFile(f);
        if (!allSentFirst_) SendReliably(ud::EncodeControl(ud::kAllSent, 0));
        const auto end = Clock::now() + std::chrono::seconds(10);
        while (!ClientEnded() && Clock::now() < end && !stop_)
            Pump(10);
    }
    done_ = true;
    while (!stop_)
        Pump(10);
}

} // namespace updatetest
