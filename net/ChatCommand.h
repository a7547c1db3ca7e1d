#pragma once

#include "net/room/GameCommandTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

constexpr uint8_t kChatCommand = 28;
constexpr size_t kChatCommandSize = 112;
constexpr size_t kChatTextBytes = 100;

// One chat line: its text, the kingdom that speaks (0 the game itself), whether only the alliance
// reads it, and the peer it is whispered to (0 everybody).
struct ChatLine {
    std::string text;
    uint32_t senderKingdom = 0;
    bool alliance = false;
    uint32_t whisperPeer = 0;
};

// The 112-byte payload: the text cut to 99 bytes (never inside a double-byte character) and its
// terminator, the kingdom, the alliance flag, the whisper target as peer id + 1.
std::vector<uint8_t> PackChatLine(const ChatLine& line);
// Nothing unless the payload has the size and names a kingdom of this battle (or 0); the text is
// ended at its last byte whatever the peer sent.
std::optional<ChatLine> UnpackChatLine(std::span<const uint8_t> payload);
// The colour of a shown line: 3 the game's own lines, 2 whispered, 1 alliance, 0 public.
int ChatColour(const ChatLine& line);

// Sends a line to every station through the host; the line is shown by the stations it is meant
// for when the host's copy arrives.
void NetCmdChatText(const char* text, uint32_t senderKingdom, bool alliance, uint32_t whisperPeer);
// The receive side: shows the line where it belongs; the host passes every valid line on.
CommandOutcome ReceiveChatCommand(GameCommandContext& context);
