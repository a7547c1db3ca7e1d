#include "net/ChatCommand.h"

#include "net/CommandLookups.h"
#include "net/TroopCommands.h"
#include "net/WireLayout.h"
#include "net/room/NetSession.h"
#include "net/room/NetSide.h"
#include "troops/TroopWorld.h"

#include <cstring>

namespace {
const WireLayout kTail{4, 1, -3, 4};

// The length of the text cut to at most `limit` bytes without splitting a Big5 character.
size_t Big5Cut(const char* text, size_t length, size_t limit) {
    size_t at = 0;
    while (at < length) {
        const auto lead = static_cast<uint8_t>(text[at]);
        const size_t width = (lead >= 0x81 && lead <= 0xFE) ? 2 : 1;
        if (at + width > limit || at + width > length) break;
        at += width;
    }
    return at;
}
} // namespace

std::vector<uint8_t> PackChatLine(const ChatLine& line) {
    std::vector<uint8_t> out(kChatCommandSize, 0);
    const size_t n = Big5Cut(line.text.data(), std::strlen(line.text.c_str()), kChatTextBytes - 1);
    std::memcpy(out.data(), line.text.data(), n);
    const std::vector<uint8_t> tail =
        kTail.Write({line.senderKingdom, line.alliance ? 1u : 0u, line.whisperPeer});
    std::memcpy(out.data() + kChatTextBytes, tail.data(), tail.size());
    return out;
}

std::optional<ChatLine> UnpackChatLine(std::span<const uint8_t> payload) {
    if (payload.size() != kChatCommandSize) return std::nullopt;
    const auto tail = kTail.Read(payload.subspan(kChatTextBytes));
    if (!tail) return std::nullopt;
    ChatLine line;
    line.senderKingdom = (*tail)[0];
    line.alliance = (*tail)[1] != 0;
    line.whisperPeer = (*tail)[2];
    if (line.senderKingdom != 0 && !KingdomOfSide(line.senderKingdom)) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(payload.data());
    const size_t length = strnlen(text, kChatTextBytes - 1);
    line.text.assign(text, Big5Cut(text, length, kChatTextBytes - 1));
    return line;
}

int ChatColour(const ChatLine& line) {
    if (line.senderKingdom == 0) return 3;
    if (line.whisperPeer != 0) return 2;
    if (line.alliance) return 1;
    return 0;
}

void NetCmdChatText(const char* text, uint32_t senderKingdom, bool alliance, uint32_t whisperPeer) {
    if (!text || !GameNetworked()) return;
    GameCommandSender send = CurrentGameCommandSender();
    if (!send) return;
    const std::vector<uint8_t> payload = PackChatLine({text, senderKingdom, alliance, whisperPeer});
    send(kChatCommand, payload.data(), payload.size());
}

CommandOutcome ReceiveChatCommand(GameCommandContext& c) {
    const std::optional<ChatLine> line = UnpackChatLine(std::span<const uint8_t>(c.payload, c.size));
    if (!line) return CommandOutcome::Drop;
    bool shown = c.session.side.MainPanelExists();
    if (line->alliance) {
        const auto player = static_cast<uint32_t>(PlayerKingdom());
        shown = shown && (line->senderKingdom == player ||
                          KingdomRelation(static_cast<int32_t>(player),
                                          static_cast<int32_t>(line->senderKingdom)) == 1);
    }
    if (line->whisperPeer != 0) shown = shown && c.session.ownId.load() == line->whisperPeer - 1;
    if (shown) c.session.side.AddChatLine(line->text.c_str(), ChatColour(*line));
    // The others get the line as it was read here: ended, and cut where it must be.
    c.relayPayload = PackChatLine(*line);
    return CommandOutcome::Relay;
}
