#include "device/tag.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "device/identification.h"
#include "device/parameter_access.h"
#include "device/polling_answer.h"
#include "device/response_codes.h"
#include "link/attempt_loop.h"
#include "link/cp1251.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadTagCommand = 20;
constexpr std::uint8_t kWriteTagCommand = 22;
constexpr std::uint8_t kReadTagDescriptorDateCommand = 13;
constexpr std::size_t kPackedTagBytes = 6;
constexpr std::size_t kPackedDescriptorBytes = 12;
constexpr std::size_t kTagDescriptorDateBytes = 21;

constexpr const char* kProgress = "Читаю тег. Попытка: ";
constexpr const char* kWriteProgress = "Пишу тег. Попытка: ";
constexpr const char* kDescriptorProgress = "Читаю тег, дескриптор и дату. Попытка: ";
constexpr const char* kNotRead = "Не удалось прочитать тег!";
constexpr const char* kAccessRestricted = "Ошибка \"Access Restricted\"!";
constexpr const char* kBusy = "Ошибка \"Busy\"!";
constexpr const char* kUnknownStatus = "Неизвестная ошибка в байте статуса!";
constexpr const char* kBadLength = "Ошибка в длине данных ответа!";
constexpr const char* kWritten = "Тег успешно записан!";
constexpr const char* kNotWritten = "Не удалось записать тег!";
constexpr const char* kDescriptorNotRead = "Не удалось прочитать тег, дескриптор и дату!";

// An answer without its status bytes, or one promising more than arrived,
// has nothing that could be trusted.
bool AnswerIntact(const ExchangeBuffer& b) { return AnswerWithinReceived(b) && AnswerByteCount(b) >= 2; }

std::string TrimmedRight(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

Report ReadRefusalReport(const Outcome& o, const char* notRead) {
    switch (o.cause()) {
        case OutcomeKind::Refused:
            switch (o.responseCode) {
                case kNoResponseCode: return {ErrorText(kBadLength)};
                case 16: return {ErrorText(kAccessRestricted)};
                case 32: return {ErrorText(kBusy)};
                default: return {ErrorText(kUnknownStatus)};
            }
        case OutcomeKind::NotPossible:
        case OutcomeKind::InputRefused: return {ErrorText(o.reason)};
        default: return {ErrorText(notRead)};
    }
}

// Sends the request in the buffer until an intact answer or a stop; Done
// with a code 0 answer whose data count is at least `minimum` (and above 0).
Outcome ReadStep(DeviceState& s, const char* progress, std::size_t minimum) {
    const int exchange = RunAttemptLoop(s, progress, kNoAttemptLimit);
    if (exchange != ExchangeOk) return ExchangeOutcome(s, exchange);
    if (!AnswerIntact(s.buffer)) return RefusedOutcome(kNoResponseCode);
    const std::uint8_t code = ResponseCode(s.buffer);
    if (code != 0) return RefusedOutcome(code);
    if (AnswerDataCount(s.buffer) < std::max<std::size_t>(minimum, 1)) return RefusedOutcome(kNoResponseCode);
    return DoneOutcome();
}

}  // namespace

std::string TagText(const std::uint8_t* data, std::size_t count) {
    count = std::min(count, kMaxTagBytes);
    const std::size_t length = static_cast<std::size_t>(std::find(data, data + count, 0) - data);
    return Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(data), length));
}

std::string UnpackAscii(const std::uint8_t* data, std::size_t bytes) {
    std::string text;
    const std::size_t characters = bytes * 4 / 3;
    for (std::size_t i = 0; i < characters; ++i) {
        unsigned value = 0;
        for (std::size_t bit = 0; bit < 6; ++bit) {
            const std::size_t at = i * 6 + bit;
            value = (value << 1) | ((data[at / 8] >> (7 - at % 8)) & 1u);
        }
        // Bit 6 is the complement of bit 5: 0x20-0x3F stay, 0x00-0x1F become 0x40-0x5F.
        text += static_cast<char>(value | ((~value & 0x20u) << 1));
    }
    return text;
}

Result<std::string> ReadTag(DeviceState& s) {
    BuildLongRequest(s.buffer, kReadTagCommand);
    const Outcome o = ReadStep(s, kProgress, 1);
    if (!o.done()) return {o};
    return {o, TagText(s.buffer.response.data() + AnswerDataIndex(s.buffer), AnswerDataCount(s.buffer))};
}

Report TagReadReport(const Result<std::string>& r) {
    if (r.done()) return {InfoText(r.value)};
    return ReadRefusalReport(r.outcome, kNotRead);
}

Outcome WriteTag(DeviceState& s, const std::string& tag, const AskRepeatOnLock& askRepeat) {
    const std::string bytes = Utf8ToCp1251(tag);
    if (bytes.size() > kMaxTagBytes)
        return InputRefusedOutcome("tag", "Тег длиннее " + std::to_string(kMaxTagBytes) + " байт");
    // A character the code page lacks would reach the device as something else.
    if (Cp1251ToUtf8(bytes) != tag) return InputRefusedOutcome("tag", "Тег содержит недопустимые символы");
    std::vector<std::uint8_t> data(kMaxTagBytes, 0);
    std::copy(bytes.begin(), bytes.end(), data.begin());
    for (;;) {
        BuildLongRequest(s.buffer, kWriteTagCommand, data.data(), data.size());
        const std::uint64_t sentBefore = s.requestsSent;
        const int exchange = RunAttemptLoop(s, kWriteProgress, kNoAttemptLimit);
        if (exchange != ExchangeOk) {
            const Outcome o = ExchangeOutcome(s, exchange);
            return s.requestsSent != sentBefore ? WithUnknownEffect(o) : o;
        }
        const std::uint8_t code = AnswerIntact(s.buffer) ? ResponseCode(s.buffer) : kNoResponseCode;
        if (code == 0) return DoneOutcome();
        const Outcome refusal = RefusedOutcome(code);
        if (refusal.writeLocked() && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
}

Report TagWriteReport(const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {InfoText(kWritten)};
        case OutcomeKind::Refused: return {ErrorText(kNotWritten + std::string("\n") + ResponseCodeMessageText(o.responseCode))};
        case OutcomeKind::InputRefused:
        case OutcomeKind::NotPossible: return {ErrorText(o.reason)};
        default: return {ErrorText(WithEffect(kNotWritten, o))};
    }
}

Result<TagDescriptorDate> ReadTagDescriptorDate(DeviceState& s) {
    BuildLongRequest(s.buffer, kReadTagDescriptorDateCommand);
    const Outcome o = ReadStep(s, kDescriptorProgress, kTagDescriptorDateBytes);
    if (!o.done()) return {o};
    const std::uint8_t* d = s.buffer.response.data() + AnswerDataIndex(s.buffer);
    TagDescriptorDate t;
    t.tag = TrimmedRight(UnpackAscii(d, kPackedTagBytes));
    t.descriptor = TrimmedRight(UnpackAscii(d + kPackedTagBytes, kPackedDescriptorBytes));
    const std::uint8_t* date = d + kPackedTagBytes + kPackedDescriptorBytes;
    t.day = date[0];
    t.month = date[1];
    t.year = 1900 + date[2];
    return {o, t};
}

Report TagDescriptorDateReport(const Result<TagDescriptorDate>& r) {
    if (!r.done()) return ReadRefusalReport(r.outcome, kDescriptorNotRead);
    char date[32];
    std::snprintf(date, sizeof date, "%02d.%02d.%04d", r.value.day, r.value.month, r.value.year);
    return {InfoText("Тег: " + r.value.tag + "\nДескриптор: " + r.value.descriptor + "\nДата: " + date)};
}

void ReadingTagCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    ShowReport(s.ui, TagReadReport(ReadTag(s)));
}

}  // namespace quillon
