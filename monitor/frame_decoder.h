#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon {

enum class FrameDirection { ToDevice, FromDevice };

// What one HART frame in a run of raw bytes says. Every length comes from the
// bytes that are actually there: a byte count promising more only marks the
// frame as cut off.
struct HartFrameInfo {
    bool found = false;           // a start delimiter was found
    std::size_t noiseBefore = 0;  // bytes before the preambles
    std::size_t preambles = 0;    // 0xFF bytes right before the delimiter
    std::size_t start = 0;        // offset of the delimiter
    std::uint8_t delimiter = 0;
    bool longFrame = false;
    bool burst = false;       // a burst frame (the device speaks unasked)
    bool fromDevice = false;  // answer or burst
    bool hasAddress = false;
    bool primaryMaster = false;                 // master bit of the first address byte
    bool burstBit = false;                      // bit 6 of the first address byte (answers)
    std::uint8_t pollingAddress = 0;            // short frames: bits 0..5
    std::array<std::uint8_t, 5> longAddress{};  // as sent, master and burst bits included
    bool hasCommand = false;
    std::uint8_t command = 0;
    bool hasByteCount = false;
    std::uint8_t byteCount = 0;
    bool hasStatus = false;  // answer with both status bytes present
    std::uint8_t responseCode = 0;
    std::uint8_t deviceStatus = 0;
    std::size_t dataOffset = 0;  // offset of the first data byte in the input
    std::size_t dataCount = 0;   // data bytes present (never more than arrived)
    bool complete = false;       // every byte the byte count promises, check byte included
    std::size_t missing = 0;     // bytes the frame lacks when cut off
    std::uint8_t checkByte = 0;
    std::uint8_t expectedCheck = 0;
    bool checkOk = false;
    std::size_t trailing = 0;  // bytes after the check byte
};

// Finds and decodes the HART frame in `bytes`. Going to the device it looks for
// a request delimiter (0x02, 0x82), coming from it for an answer or burst
// delimiter (0x06, 0x86, 0x01, 0x81). Where a false start hides in the noise,
// the first candidate that makes a complete, correct frame wins.
HartFrameInfo DecodeHartFrame(const std::uint8_t* bytes, std::size_t count, FrameDirection direction);

// The flow computer's wrapper (0xBB out, 0x66 back) and the HART frame inside.
struct TunnelFrameInfo {
    bool found = false;
    bool request = false;
    std::size_t noiseBefore = 0;
    std::size_t start = 0;
    std::uint8_t address = 0;
    bool hasLength = false;
    std::uint8_t length = 0;
    std::uint8_t formatCode = 0;  // requests: 0x0B or 0x21
    bool hasLine = false;
    std::uint8_t line = 0;
    std::size_t credentialsOffset = 0;  // requests, from the start of the input
    bool errorAnswer = false;
    std::uint8_t errorCode = 0;
    bool complete = false;
    std::size_t missing = 0;
    std::uint16_t crc = 0;
    std::uint16_t expectedCrc = 0;
    bool crcOk = false;
    std::size_t trailing = 0;
    bool hasHart = false;
    HartFrameInfo hart;  // offsets relative to the input, like the rest
};

// `answerHeader` is where the HART answer starts in a 0x66 frame (4 or 6).
TunnelFrameInfo DecodeTunnelFrame(const std::uint8_t* bytes, std::size_t count, FrameDirection direction,
                                  std::size_t answerHeader);

// Readable lines for the monitor.
std::string DescribeHartFrame(const HartFrameInfo& frame, const std::uint8_t* bytes);
std::string DescribeTunnelFrame(const TunnelFrameInfo& frame, const std::uint8_t* bytes);

// Name of a command the tool uses, or "" for one it does not know.
std::string CommandName(std::uint8_t command);
// Meaning of an answer's first status byte.
std::string ResponseCodeMeaning(std::uint8_t code);

}  // namespace quillon
