#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// Who made a device and what it is, as its command 0 answer says.
struct DeviceMake {
    std::uint16_t manufacturerId = 0;
    std::uint16_t deviceType = 0;
    std::uint8_t universalRevision = 0;
};

// The maker and type of a command 0 answer of `count` data bytes (at least
// 12). From universal revision 7 on, bytes 1-2 are the expanded device type
// and bytes 17-18 the manufacturer id, when the answer carries them.
DeviceMake MakeFromIdentityAnswer(const std::uint8_t* data, std::size_t count);

// The identities this maker's devices use: the transmitters under their
// manufacturer id, whatever the type, and the density meters of the family.
bool BuiltInOwnMake(std::uint16_t manufacturerId, std::uint16_t deviceType);

// Whether the engineer's list from the settings file names this identity.
// Entries are hex numbers separated by commas, semicolons or spaces: "MM"
// for every type of a maker, "MM:TTTT" for one type; an entry that does not
// read as that names nothing.
bool ListedOwnMake(std::string_view list, std::uint16_t manufacturerId, std::uint16_t deviceType);

// "код производителя F9h, тип устройства F99Ch, HART 7": a code wider than a
// byte is written with four digits.
std::string MakeText(const DeviceMake& make);

}  // namespace quillon
