#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/device_state.h"
#include "link/outcome.h"
#include "link/report.h"

namespace quillon {

// Check byte of a parameter-block string: 0x4D XOR every payload byte.
std::uint8_t XorCheck(const std::uint8_t* payload, std::size_t n);
// A received string of n bytes ends in the check byte of the n - 1 before it;
// an empty string never verifies.
bool VerifyXorCheck(const std::uint8_t* s, std::size_t n);
// Stores the check byte of the first n - 1 bytes in byte n - 1 (n = 0: nothing).
void AppendXorCheck(std::uint8_t* buf, std::size_t n);

// Reads setting `number` (command 176), repeating with no attempt limit until
// an answer comes or the engineer stops; the progress text is caption +
// ". Попытка " + attempt. Done: the value. Refused: the response code (1: the
// setting was never entered and the device uses its default), or
// kNoResponseCode for an answer too short to carry a value. NotPossible,
// before any request, on a device of another maker (as for every setting
// command below).
Result<std::uint32_t> ReadSetting(DeviceState& s, std::uint8_t number, const std::string& caption);
// The boxes of a setting read that did not end done; none when it did.
Report SettingReadReport(const std::string& caption, const Outcome& o);

// Writes setting `number` (command 177), value most significant byte first,
// with no attempt limit. On the write lock `askRepeat` decides whether the
// write goes out again. Refused with kNoResponseCode: an answer that does not
// have the shape of a confirmation.
Outcome WriteSetting(DeviceState& s, std::uint8_t number, std::uint32_t value, const std::string& caption,
                     const AskRepeatOnLock& askRepeat);
// The boxes of a setting write that did not end done; none when it did, and
// none for a write lock the engineer chose not to repeat (the question said it).
Report SettingWriteReport(std::uint8_t number, const Outcome& o);

// A text of failure followed, on a line of its own, by what the failed write
// may have left in the device.
std::string WithEffect(std::string text, const Outcome& o);

// The older interface of the two, which shows its report itself.
// Results of readSetting.
inline constexpr int kSettingRead = 0;       // the value, or 0 after a reported device error
inline constexpr int kSettingBadAnswer = 2;  // the answer was too short to carry a value
inline constexpr int kSettingStopped = 4;    // no exchange succeeded (user stop, no port)

struct SettingReadResult {
    int result;
    std::uint32_t value;  // 0 unless read
};

// Reads setting `number` (command 176) with no attempt limit; the progress
// text is caption + ". Попытка " + attempt. Device errors are reported here.
SettingReadResult readSetting(DeviceState& s, std::uint8_t number, const std::string& caption);

// Results of writeSetting.
inline constexpr int kSettingWritten = 0;
inline constexpr int kSettingNoExchange = 1;
inline constexpr int kSettingRefused = 2;
inline constexpr int kSettingWrongLength = 3;
inline constexpr int kSettingProtectedDeclined = 5;

// Writes setting `number` (command 177), value most significant byte first.
// On the write lock asks whether to repeat the whole write.
int writeSetting(DeviceState& s, std::uint8_t number, std::uint32_t value, const std::string& caption);

// Settings 0-5 and 25, in this order.
inline constexpr std::array<std::uint8_t, 7> kSettingListNumbers{0, 1, 2, 3, 4, 5, 25};

struct SettingListResult {
    bool stopped;
    std::array<std::uint32_t, 7> values;
    std::array<bool, 7> present;
};

SettingListResult readSettingList(DeviceState& s);

// Longest payload a parameter-block write can carry in one long frame.
inline constexpr std::size_t kMaxParameterPayload = kFrameCapacity - 8 - 3 - 1;

// Request builders for the parameter block; index least significant byte first.
// count = payload bytes + check byte.
void BuildReadParameterBlock(DeviceState& s, std::uint16_t index, std::uint8_t count);
// Appends the check byte. A payload longer than kMaxParameterPayload leaves
// an invalid request, which the exchange refuses to send.
void BuildWriteParameterBlock(DeviceState& s, std::uint16_t index, const std::uint8_t* payload, std::size_t n);
// group: 1 = long address, 2 = density-meter constants.
void BuildConfirmParameterBlock(DeviceState& s, std::uint8_t group);

}  // namespace quillon
