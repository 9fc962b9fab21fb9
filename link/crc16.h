#pragma once

#include <cstddef>
#include <cstdint>

namespace quillon {

// CRC-16/MODBUS: initial 0xFFFF, reflected polynomial 0xA001, no final XOR.
std::uint16_t Crc16Modbus(const std::uint8_t* bytes, std::size_t count);

// Stores the CRC of bytes 0..n-1 at n (low byte) and n+1 (high byte).
void AppendCrc(std::uint8_t* buffer, std::size_t n);

// n = frame[2] - 2. True when bytes n and n+1 already hold the CRC of bytes
// 0..n-1; otherwise writes it there and returns false. `capacity` bounds the
// frame: a length byte that points outside it, or below 5 (CRC over the
// header), is never valid and nothing is written.
bool VerifyOrStoreCrc(std::uint8_t* frame, std::size_t capacity);

// True when the CRC over all n bytes, stored CRC included, leaves no residue.
bool CrcResidueCheck(const std::uint8_t* buffer, std::size_t n);

}  // namespace quillon
