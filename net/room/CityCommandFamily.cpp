#include "net/CityValueCommand.h"
#include "net/room/GameCommandTable.h"

void RegisterCityCommands(GameCommandTable& table) {
    // A city value: any station may send it, the host applies it and re-sends it to everybody.
    GameCommandRule value;
    value.minSize = value.maxSize = static_cast<uint32_t>(kCityValueCommandSize);
    value.handler = [](GameCommandContext& c) {
        return ReceiveCityValueCommand(std::span<const uint8_t>(c.payload, c.size)) ? CommandOutcome::Relay
                                                                                    : CommandOutcome::Drop;
    };
    table.Register(kCityValueCommand, std::move(value));
}
