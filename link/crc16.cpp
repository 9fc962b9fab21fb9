#include "link/crc16.h"

namespace quillon {

std::uint16_t Crc16Modbus(const std::uint8_t* bytes, std::size_t count) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

void AppendCrc(std::uint8_t* buffer, std::size_t n) {
    const std::uint16_t crc = Crc16Modbus(buffer, n);
    buffer[n] = static_cast<std::uint8_t>(crc & 0xFF);
    buffer[n + 1] = static_cast<std::uint8_t>(crc >> 8);
}

bool VerifyOrStoreCrc(std::uint8_t* frame, std::size_t capacity) {
    // The CRC follows at least the three header bytes; a length that would put
    // it over the header itself (or past the buffer) is never valid.
    if (capacity < 5 || frame[2] < 5 || frame[2] > capacity) return false;
    const std::size_t n = frame[2] - 2u;
    const std::uint16_t crc = Crc16Modbus(frame, n);
    const std::uint8_t low = static_cast<std::uint8_t>(crc & 0xFF);
    const std::uint8_t high = static_cast<std::uint8_t>(crc >> 8);
    if (frame[n] == low && frame[n + 1] == high) return true;
    frame[n] = low;
    frame[n + 1] = high;
    return false;
}

bool CrcResidueCheck(const std::uint8_t* buffer, std::size_t n) { return Crc16Modbus(buffer, n) == 0; }

}  // namespace quillon
