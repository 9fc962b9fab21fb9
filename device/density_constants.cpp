#include "device/density_constants.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>

#include "device/decimal_field.h"
#include "device/identification.h"
#include "device/number_entry.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "device/write_lock.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kConstantsCommand = 114;
constexpr std::uint16_t kConstantBlock = 127;
constexpr std::uint16_t kFactorBlock = 133;
constexpr std::uint8_t kBlockStringCount = 6;  // 5 payload bytes and the check byte
constexpr std::uint8_t kConfirmDensityConstants = 2;

constexpr const char* kReadProgress = "Узнаю данные плотномера";
constexpr const char* kReadFailed = "Не удалось узнать данные плотномера!";
constexpr const char* kNeverEntered = "В датчик не были введены параметры работы!";
constexpr const char* kWriteProgress = "Запись параметров плотномера. Попытка ";
constexpr const char* kWriteFailed = "Не удалось записать данные!";
constexpr const char* kSent = "Данные были успешно успешно отправлены!";
constexpr const char* kWritten = "Данные записаны!";
constexpr const char* kNegativePeriod = "Период должен быть положительным!";
constexpr const char* kNotANumber = "Константы плотномера должны быть числами!";
constexpr const char* kNotDensityMeter = "Данное устройство не является плотномером!";
constexpr const char* kNothingToRead = "Этот плотномер не хранит констант, которые можно прочитать.";
constexpr const char* kNotRechecked = "Не удалось переопросить параметры!";
constexpr const char* kNotAccepted = "Ошибка при перепроверке параметров! Данные не приняты к исполнению!";
constexpr const char* kFactorLeft = "В плотномер записаны новые константы; поправочный множитель прежний.";
constexpr const char* kNotRecheckedLeft = "Константы и поправочный множитель записаны, но не перепроверены.";

// The steps of a kind 2 write: message, factor block, re-check.
constexpr int kSteps = 3;

void PutFloat(std::uint8_t* out, float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    out[0] = static_cast<std::uint8_t>(bits >> 24);
    out[1] = static_cast<std::uint8_t>(bits >> 16);
    out[2] = static_cast<std::uint8_t>(bits >> 8);
    out[3] = static_cast<std::uint8_t>(bits);
}

float GetFloat(const std::uint8_t* in) {
    return std::bit_cast<float>((std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) |
                                (std::uint32_t{in[2]} << 8) | std::uint32_t{in[3]});
}

std::optional<Outcome> RequireDensityMeter(const DeviceIdentity& id) {
    if (!id.densityMeter) return NotPossibleOutcome(kNotDensityMeter);
    if (auto foreign = RequireOwnMake(id)) return foreign;
    return std::nullopt;
}

// Whether the meter takes the factor block and the re-check after the message.
bool WritesFactor(const DeviceIdentity& id) { return id.densityMeterKind == 2 && !isVelkor(id); }


Outcome SendConstants(DeviceState& s, const DensityConstants& c, const AskRepeatOnLock& askRepeat) {
    std::uint8_t data[10];
    data[0] = c.first;
    PutFloat(data + 1, c.constant);
    data[5] = c.usePeriod ? 1 : 0;
    PutFloat(data + 6, c.period);
    return SendJudgedWrite(s, [&] { BuildLongRequest(s.buffer, kConstantsCommand, data, sizeof data); }, kWriteProgress, askRepeat);
}

// Block 133: the correction factor and whether it is used.
Outcome SendFactor(DeviceState& s, float factor, bool useFactor, const AskRepeatOnLock& askRepeat) {
    const auto bytes = ToDensityFloat(factor);
    const std::uint8_t payload[5] = {bytes[0], bytes[1], bytes[2], bytes[3],
                                     useFactor ? std::uint8_t{1} : std::uint8_t{0}};
    return SendJudgedWrite(
        s, [&] { BuildWriteParameterBlock(s, kFactorBlock, payload, sizeof payload); }, kWriteProgress, askRepeat);
}

// A five-byte block string and whether its check byte was right.
struct BlockString {
    std::array<std::uint8_t, 5> payload{};
    bool valid = false;
};

Result<BlockString> ReadBlockString(DeviceState& s, std::uint16_t index) {
    BuildReadParameterBlock(s, index, kBlockStringCount);
    const int exchange = RunReadPattern(s, kReadProgress);
    if (exchange != ExchangeOk) return {ExchangeOutcome(s, exchange)};
    BlockString out;
    if (AnswerDataCount(s.buffer) < kBlockStringCount) return {DoneOutcome(), out};  // counts as a wrong check byte
    const std::uint8_t* d = s.buffer.response.data() + AnswerDataIndex(s.buffer);
    if (!VerifyXorCheck(d, kBlockStringCount)) return {DoneOutcome(), out};
    std::copy(d, d + 5, out.payload.begin());
    out.valid = true;
    return {DoneOutcome(), out};
}

// Shows the dialog until the period is acceptable; nothing when cancelled or
// a field does not convert (the command ends).
struct TypedConstants {
    float constant = 0.0f;
    float period = 0.0f;
    std::optional<float> factor;
};

std::optional<TypedConstants> AskConstants(DeviceState& s, PlotnoConstDialog& dialog, bool periodOnlyWhenUsed) {
    for (;;) {
        if (!s.ui.show(dialog)) return std::nullopt;
        TypedConstants typed;
        const auto constant = ConvertSingleField(s, dialog.temperText);
        if (!constant) return std::nullopt;
        typed.constant = *constant;
        if (dialog.usePer || !periodOnlyWhenUsed) {
            const auto period = ConvertSingleField(s, dialog.periodText);
            if (!period) return std::nullopt;
            typed.period = *period;
        }
        if (dialog.mnogVisible && dialog.useMul) {
            const auto factor = ConvertSingleField(s, dialog.mnogText);
            if (!factor) return std::nullopt;
            typed.factor = *factor;
        }
        if (typed.period < 0.0f) {
            ErrorBox(s, kNegativePeriod);
            continue;
        }
        return typed;
    }
}

void WriteAndReport(DeviceState& s, const DensityConstants& c) {
    ShowReport(s.ui, DensityConstantsWriteReport(s.identity, WriteDensityConstants(s, c, AskLockQuestion(s.ui))));
}

void WriteKind0(DeviceState& s) {
    PlotnoConstDialog dialog;
    const auto typed = AskConstants(s, dialog, false);
    if (!typed) return;
    DensityConstants c;
    c.first = dialog.useT ? 1 : 0;
    c.constant = typed->constant;
    c.usePeriod = dialog.usePer;
    c.period = typed->period;
    WriteAndReport(s, c);
}

void EditKind1or2(DeviceState& s) {
    const bool velkor = isVelkor(s.identity);
    const bool kind2 = s.identity.densityMeterKind == 2;
    const Result<DensityConstantsRead> read = ReadDensityConstants(s);
    ShowReport(s.ui, DensityConstantsReadReport(read));
    if (!read.done()) return;
    DensityConstants c = read.value.constants;

    PlotnoConstDialog dialog;
    dialog.typeVisible = !(kind2 && velkor);
    dialog.type = c.first == 1 ? 1 : 0;
    dialog.temperText = FormatGeneral(c.constant, 7, s.decimalSeparator);
    dialog.usePer = false;
    // The period field starts empty: it only has to hold a number when it is used.
    dialog.periodText.clear();
    if (kind2) {
        dialog.useTVisible = false;
        dialog.mnogVisible = !velkor;
        dialog.useMul = c.useFactor;
        dialog.mnogText = FormatGeneral(c.factor, 7, s.decimalSeparator);
    }
    const auto typed = AskConstants(s, dialog, true);
    if (!typed) return;
    c.first = (kind2 && velkor) ? 0 : (dialog.type == 1 ? 1 : 0);
    c.constant = typed->constant;
    c.usePeriod = dialog.usePer;
    c.period = typed->period;
    if (typed->factor) c.factor = *typed->factor;
    if (dialog.mnogVisible) c.useFactor = dialog.useMul;
    WriteAndReport(s, c);
}

}  // namespace

Result<DensityConstantsRead> ReadDensityConstants(DeviceState& s) {
    Result<DensityConstantsRead> r;
    if (auto no = RequireDensityMeter(s.identity)) {
        r.outcome = *no;
        return r;
    }
    if (s.identity.densityMeterKind != 1 && s.identity.densityMeterKind != 2) {
        r.outcome = NotPossibleOutcome(kNothingToRead);
        return r;
    }
    const Result<BlockString> block = ReadBlockString(s, kConstantBlock);
    if (!block.done()) {
        r.outcome = block.outcome;
        return r;
    }
    r.value.blocksRead = 1;
    // A block never entered reads as all zero: constant 0, mode 0.
    r.value.constantValid = block.value.valid;
    r.value.constants.constant = GetFloat(block.value.payload.data());
    r.value.constants.first = block.value.payload[4] == 1 ? 1 : 0;
    if (WritesFactor(s.identity)) {
        const Result<BlockString> factor = ReadBlockString(s, kFactorBlock);
        if (!factor.done()) {
            r.outcome = factor.outcome;
            return r;
        }
        r.value.blocksRead = 2;
        if (factor.value.valid) {
            r.value.constants.factor = FromDensityFloat(factor.value.payload.data());
            r.value.constants.useFactor = factor.value.payload[4] == 1;
        }
    }
    return r;
}

Report DensityConstantsReadReport(const Result<DensityConstantsRead>& r) {
    Report report;
    if (r.outcome.cause() == OutcomeKind::NotPossible) return {InfoText(r.outcome.reason)};
    if (r.value.blocksRead >= 1 && !r.value.constantValid) report.push_back(ErrorText(kNeverEntered));
    if (!r.done()) report.push_back(ErrorText(kReadFailed));
    return report;
}

Outcome WriteDensityConstants(DeviceState& s, const DensityConstants& c, const AskRepeatOnLock& askRepeat) {
    if (auto no = RequireDensityMeter(s.identity)) return *no;
    const bool factor = WritesFactor(s.identity);
    if (!std::isfinite(c.constant) || !std::isfinite(c.period) || (factor && !std::isfinite(c.factor)))
        return InputRefusedOutcome("constants", kNotANumber);
    if (c.period < 0.0f) return InputRefusedOutcome("period", kNegativePeriod);

    const Outcome message = SendConstants(s, c, askRepeat);
    if (!message.done() || !factor) return message;
    const Outcome block = SendFactor(s, c.factor, c.useFactor, askRepeat);
    if (!block.done()) return PartialOutcome(block, 1, kSteps, kFactorLeft);

    BuildConfirmParameterBlock(s, kConfirmDensityConstants);
    const int exchange = RunWritePattern(s, "Переопрос параметров. Попытка ");
    if (exchange != ExchangeOk) return PartialOutcome(ExchangeOutcome(s, exchange), 2, kSteps, kNotRecheckedLeft);
    if (AnswerDataCount(s.buffer) >= 1 && s.buffer.response[AnswerDataIndex(s.buffer)] == 1) return DoneOutcome();
    Outcome refused = RefusedOutcome(kNoResponseCode);
    refused.reason = kNotAccepted;
    return refused;
}

Report DensityConstantsWriteReport(const DeviceIdentity& id, const Outcome& o) {
    switch (o.cause()) {
        case OutcomeKind::Done: return {InfoText(id.densityMeterKind == 2 ? kWritten : kSent)};
        case OutcomeKind::NotPossible: return {InfoText(o.reason)};
        case OutcomeKind::InputRefused: return {ErrorText(o.reason)};
        case OutcomeKind::Refused: {
            if (o.reason == kNotAccepted) return {ErrorText(kNotAccepted)};
            // The write lock's text came with its question; what a declined
            // repeat leaves after earlier steps has not been said.
            if (o.writeLocked())
                return o.kind == OutcomeKind::Partial ? Report{ErrorText(WithEffect(kWriteFailed, o))} : Report{};
            const std::string text =
                o.responseCode == kNoResponseCode ? "Неизвестная ошибка!" : ResponseCodeMessageText(o.responseCode);
            return {ErrorText(WithEffect(text, o), MessageButtons::Yes)};
        }
        default:
            if (o.kind == OutcomeKind::Partial && o.stepsDone == 2) return {ErrorText(WithEffect(kNotRechecked, o))};
            return {ErrorText(WithEffect(kWriteFailed, o))};
    }
}

void DensityMeterConstantsCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (auto no = RequireDensityMeter(s.identity)) {
        ShowReport(s.ui, {InfoText(no->reason)});
        return;
    }
    switch (s.identity.densityMeterKind) {
        case 0: WriteKind0(s); break;
        case 1:
        case 2: EditKind1or2(s); break;
        default: break;
    }
}

}  // namespace quillon
