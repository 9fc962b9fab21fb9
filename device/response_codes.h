#pragma once

#include <cstdint>
#include <string>

#include "device/device_state.h"
#include "link/frame_codec.h"

namespace quillon {

// Texts of the write lock: the device takes such writes only after the
// button on its housing has been pressed.
inline constexpr const char* kWriteProtectedText =
    "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика.";
inline constexpr const char* kWriteProtectedQuestion =
    "Запрещена запись/корректировка калибровки. Для разрешения необходимо нажать кнопку на корпусе датчика. "
    "Повторить попытку?";
inline constexpr const char* kRepeatQuestion = "Повторить попытку?";

// True when the answer in the buffer is long enough to carry its two status
// bytes and lies within what was accepted; otherwise there is no response
// code to judge.
bool AnswerHasStatus(const ExchangeBuffer& b);

// Text of the message box for a response code after a write.
std::string ResponseCodeMessageText(std::uint8_t code);

// Reports the response code of the answer in the buffer (byte 8 of a long
// answer, 4 of a short one) in a box with a single Yes button. True only for the write lock (7, 16), where a
// repeat after pressing the device's button may succeed.
bool ShowResponseCode(DeviceState& s);

// "Повторить попытку?" as a warning with Yes and No; true on Yes.
bool AskRepeatAfterProtection(DeviceState& s);

// The verdict on the answer to a write that was exchanged.
enum class WriteVerdict {
    Accepted,  // response code 0, nothing shown
    Repeat,    // the write lock, and the engineer wants to try again
    Refused,   // any other code, or no status bytes at all: the reason was shown
};

// Judges the answer in the buffer to a write: code 0 is accepted silently; the
// write lock (7, 16) asks the write-protection question; any other code, and an
// answer without status bytes, shows its response-code text as an error.
WriteVerdict JudgeWriteAnswer(DeviceState& s);

// Pieces of the polling status line.
// Receive errors of the line, in the order parity, framing, overrun.
std::string LineErrorStatusText(int lineErrors);
// Added for every answer, good shape or not.
std::string ResponseCodeStatusText(std::uint8_t code);
// Added first when the answer did not have the expected shape.
std::string WrongShapeStatusText(std::uint8_t code);
// Named status bits, then the remaining bits in hex.
std::string DeviceStatusText(std::uint8_t status);

// The whole status line of one poll cycle whose exchange delivered an answer
// or reported receive errors. Receive errors replace everything else; an
// otherwise empty line reads "OK!".
std::string ComposeStatusLine(int lineErrors, bool goodShape, std::uint8_t responseCode, std::uint8_t deviceStatus);

}  // namespace quillon
