#include "device/parameter_access.h"

#include <vector>

#include "device/outcome_text.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "device/write_lock.h"
#include "link/exchange.h"
#include "link/attempt_loop.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kReadSettingCommand = 176;
constexpr std::uint8_t kWriteSettingCommand = 177;
constexpr std::uint8_t kWriteBlockCommand = 190;
constexpr std::uint8_t kReadBlockCommand = 191;
constexpr std::uint8_t kConfirmBlockCommand = 192;

// Answer bytes 1-4 of command 176, when the answer holds them.
bool SettingValue(const ExchangeBuffer& b, std::uint32_t& value) {
    if (AnswerDataCount(b) < 5) return false;
    const std::size_t d = AnswerDataIndex(b);
    value = (std::uint32_t{b.response[d + 1]} << 24) | (std::uint32_t{b.response[d + 2]} << 16) |
            (std::uint32_t{b.response[d + 3]} << 8) | std::uint32_t{b.response[d + 4]};
    return true;
}

}  // namespace

std::uint8_t XorCheck(const std::uint8_t* payload, std::size_t n) {
    std::uint8_t check = 0x4D;
    for (std::size_t i = 0; i < n; ++i) check ^= payload[i];
    return check;
}

bool VerifyXorCheck(const std::uint8_t* s, std::size_t n) { return n >= 1 && XorCheck(s, n - 1) == s[n - 1]; }

void AppendXorCheck(std::uint8_t* buf, std::size_t n) {
    if (n >= 1) buf[n - 1] = XorCheck(buf, n - 1);
}

Result<std::uint32_t> ReadSetting(DeviceState& s, std::uint8_t number, const std::string& caption) {
    if (auto foreign = RequireOwnMake(s.identity)) return {*foreign};
    BuildLongRequest(s.buffer, kReadSettingCommand, {number});
    ProgressWindow window(s.ui);
    const int exchange = ExchangeWithAttempts(s, caption + ". Попытка ", kNoAttemptLimit);
    if (exchange != ExchangeOk) return {ExchangeOutcome(s, exchange)};
    if (!AnswerHasStatus(s.buffer)) return {RefusedOutcome(kNoResponseCode)};
    const std::uint8_t code = ResponseCode(s.buffer);
    if (code != 0) return {RefusedOutcome(code)};
    std::uint32_t value = 0;
    if (!SettingValue(s.buffer, value)) return {RefusedOutcome(kNoResponseCode)};
    return {DoneOutcome(), value};
}

Report SettingReadReport(const std::string& caption, const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::Refused:
            if (o.responseCode == kNoResponseCode) return {ErrorText(caption + ". Ошибка в длине данных ответа!")};
            if (o.responseCode == 1)
                return {ErrorText(caption + ". Настройка не была введена, используется значение по умолчанию")};
            return {ErrorText(caption + ". Неизвестная ошибка при чтении!")};
        case OutcomeKind::NotPossible: return {ErrorText(o.reason)};
        default: return {ErrorText(caption + ". Не могу прочитать!")};
    }
}

Outcome WriteSetting(DeviceState& s, std::uint8_t number, std::uint32_t value, const std::string& caption,
                     const AskRepeatOnLock& askRepeat) {
    if (auto foreign = RequireOwnMake(s.identity)) return *foreign;
    for (;;) {
        BuildLongRequest(s.buffer, kWriteSettingCommand,
                         {number, static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                          static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
        const std::uint64_t sentBefore = s.requestsSent;
        const int exchange = RunAttemptLoop(s, caption + " . ", kNoAttemptLimit);
        if (exchange != ExchangeOk) {
            const Outcome o = ExchangeOutcome(s, exchange);
            return s.requestsSent != sentBefore ? WithUnknownEffect(o) : o;
        }
        // An answer without status bytes cannot confirm anything.
        if (!AnswerHasStatus(s.buffer)) return RefusedOutcome(kNoResponseCode);
        const std::uint8_t code = ResponseCode(s.buffer);
        if (code == 0) return AnswerByteCount(s.buffer) == 7 ? DoneOutcome() : RefusedOutcome(kNoResponseCode);
        const Outcome refusal = RefusedOutcome(code);
        if (refusal.writeLocked() && askRepeat && askRepeat(refusal)) continue;
        return refusal;
    }
}

std::string WithEffect(std::string text, const Outcome& o) {
    const std::string effect = EffectText(o);
    if (!effect.empty()) text += "\n" + effect;
    return text;
}

Report SettingWriteReport(std::uint8_t number, const Outcome& o) {
    const std::string n = std::to_string(number);
    switch (o.cause()) {
        case OutcomeKind::Done: return {};
        case OutcomeKind::Refused:
            switch (o.responseCode) {
                case kNoResponseCode: return {ErrorText("Ошибка! Параметр " + n + " не записан!")};
                case 2: return {ErrorText("Неправильный индекс! (Попытка записать параметр с индексом " + n + ")")};
                case 3: return {ErrorText("Ошибка при записи в энергонезависимую память параметра " + n + " !")};
                case 7:
                case 16: return {};
                default: return {ErrorText("Неизвестная ошибка при записи параметра " + n + " !")};
            }
        case OutcomeKind::NotPossible: return {ErrorText(o.reason)};
        default: return {ErrorText(WithEffect("Не удалось записать параметр " + n + " !", o))};
    }
}

SettingReadResult readSetting(DeviceState& s, std::uint8_t number, const std::string& caption) {
    const Result<std::uint32_t> r = ReadSetting(s, number, caption);
    ShowReport(s.ui, SettingReadReport(caption, r.outcome));
    switch (r.outcome.cause()) {
        case OutcomeKind::Done: return {kSettingRead, r.value};
        case OutcomeKind::Refused:
            if (r.outcome.responseCode == kNoResponseCode) return {kSettingBadAnswer, 0};
            return {kSettingRead, 0};
        default: return {kSettingStopped, 0};
    }
}

int writeSetting(DeviceState& s, std::uint8_t number, std::uint32_t value, const std::string& caption) {
    const Outcome o = WriteSetting(s, number, value, caption, AskLockQuestion(s.ui));
    ShowReport(s.ui, SettingWriteReport(number, o));
    switch (o.cause()) {
        case OutcomeKind::Done: return kSettingWritten;
        case OutcomeKind::Refused:
            if (o.writeLocked()) return kSettingProtectedDeclined;
            if (o.responseCode == kNoResponseCode) return kSettingWrongLength;
            return kSettingRefused;
        default: return kSettingNoExchange;
    }
}

SettingListResult readSettingList(DeviceState& s) {
    SettingListResult out{false, {}, {}};
    if (auto foreign = RequireOwnMake(s.identity)) {
        ErrorBox(s, foreign->reason);
        out.stopped = true;
        return out;
    }
    ProgressWindow window(s.ui);
    for (std::size_t i = 0; i < kSettingListNumbers.size(); ++i) {
        const std::uint8_t number = kSettingListNumbers[i];
        const std::string n = std::to_string(number);
        BuildLongRequest(s.buffer, kReadSettingCommand, {number});
        if (ExchangeWithAttempts(s, "Чтение параметра " + n + " : ", kNoAttemptLimit) != 0) {
            window.close();
            ErrorBox(s, "Не могу прочитать параметры измерений!");
            out.stopped = true;
            return out;
        }
        const std::uint8_t code = AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : 0xFF;
        if (code == 1) continue;  // not entered: the caller keeps its default
        if (code != 0) {
            ErrorBox(s, "Неизвестная ошибка при чтении параметра " + n + " !");
            continue;
        }
        if (!SettingValue(s.buffer, out.values[i])) {
            ErrorBox(s, "Ошибка в длине данных ответа при чтении параметра " + n + " !");
            continue;
        }
        out.present[i] = true;
    }
    return out;
}

void BuildReadParameterBlock(DeviceState& s, std::uint16_t index, std::uint8_t count) {
    BuildLongRequest(s.buffer, kReadBlockCommand,
                     {static_cast<std::uint8_t>(index), static_cast<std::uint8_t>(index >> 8), count});
}

void BuildWriteParameterBlock(DeviceState& s, std::uint16_t index, const std::uint8_t* payload, std::size_t n) {
    if (n > kMaxParameterPayload) {
        // Never send a truncated string: a frame without a valid delimiter is refused
        // by the exchange before anything reaches the device.
        s.buffer.request.fill(0);
        return;
    }
    std::vector<std::uint8_t> data(n + 3);
    data[0] = static_cast<std::uint8_t>(index);
    data[1] = static_cast<std::uint8_t>(index >> 8);
    for (std::size_t i = 0; i < n; ++i) data[2 + i] = payload[i];
    data[n + 2] = XorCheck(payload, n);
    BuildLongRequest(s.buffer, kWriteBlockCommand, data.data(), data.size());
}

void BuildConfirmParameterBlock(DeviceState& s, std::uint8_t group) {
    BuildLongRequest(s.buffer, kConfirmBlockCommand, {group});
}

}  // namespace quillon
