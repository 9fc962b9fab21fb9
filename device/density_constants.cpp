#include "device/density_constants.h"

#include <algorithm>
#include <bit>
#include <optional>

#include "device/decimal_field.h"
#include "device/identification.h"
#include "device/number_entry.h"
#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/variant.h"
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
constexpr const char* kWriteProgress = "Запись параметров плотномера. Попытка ";
constexpr const char* kWriteFailed = "Не удалось записать данные!";
constexpr const char* kSent = "Данные были успешно успешно отправлены!";
constexpr const char* kNegativePeriod = "Период должен быть положительным!";

// What the constants message carries.
struct ConstantsMessage {
    std::uint8_t first;      // byte 0: use-temperature flag (kind 0) or operating mode
    float constant;          // bytes 1-4
    std::uint8_t usePeriod;  // byte 5
    float period;            // bytes 6-9
};

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

// Sends the request `build` puts in the buffer until the device takes it, the
// engineer gives up after the write lock, or it is refused; true when taken.
template <typename Build>
bool WriteUntilJudged(DeviceState& s, Build build) {
    for (;;) {
        build();
        if (RunWritePattern(s, kWriteProgress) != ExchangeOk) {
            ErrorBox(s, kWriteFailed);
            return false;
        }
        switch (JudgeWriteAnswer(s)) {
            case WriteVerdict::Accepted: return true;
            case WriteVerdict::Repeat: continue;
            case WriteVerdict::Refused: return false;
        }
    }
}

bool SendConstants(DeviceState& s, const ConstantsMessage& m) {
    std::uint8_t data[10];
    data[0] = m.first;
    PutFloat(data + 1, m.constant);
    data[5] = m.usePeriod;
    PutFloat(data + 6, m.period);
    return WriteUntilJudged(s, [&] { BuildLongRequest(s.buffer, kConstantsCommand, data, sizeof data); });
}

// Block 133: the correction factor and whether it is used. True when the
// device took it.
bool SendFactor(DeviceState& s, float factor, bool useFactor) {
    const auto bytes = ToDensityFloat(factor);
    const std::uint8_t payload[5] = {bytes[0], bytes[1], bytes[2], bytes[3],
                                     useFactor ? std::uint8_t{1} : std::uint8_t{0}};
    return WriteUntilJudged(s, [&] { BuildWriteParameterBlock(s, kFactorBlock, payload, sizeof payload); });
}

// Reads a five-byte block string. Nothing when no exchange succeeded (after
// the message); otherwise the payload, and whether its check byte was right.
struct BlockString {
    std::array<std::uint8_t, 5> payload{};
    bool valid = false;
};

std::optional<BlockString> ReadBlockString(DeviceState& s, std::uint16_t index) {
    BuildReadParameterBlock(s, index, kBlockStringCount);
    if (RunReadPattern(s, kReadProgress) != ExchangeOk) {
        ErrorBox(s, kReadFailed);
        return std::nullopt;
    }
    BlockString out;
    if (AnswerDataCount(s.buffer) < kBlockStringCount) return out;  // counts as a wrong check byte
    const std::uint8_t* d = s.buffer.response.data() + AnswerDataIndex(s.buffer);
    if (!VerifyXorCheck(d, kBlockStringCount)) return out;
    std::copy(d, d + 5, out.payload.begin());
    out.valid = true;
    return out;
}

// Block 127: the stored constant and operating mode; all zero when never entered.
std::optional<BlockString> ReadConstantBlock(DeviceState& s) {
    auto block = ReadBlockString(s, kConstantBlock);
    if (block && !block->valid) ErrorBox(s, "В датчик не были введены параметры работы!");
    return block;
}

// Shows the dialog until the period is acceptable; false when cancelled or a
// field does not convert (the command ends).
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

void WriteKind0(DeviceState& s) {
    PlotnoConstDialog dialog;
    const auto typed = AskConstants(s, dialog, false);
    if (!typed) return;
    if (SendConstants(s, {dialog.useT ? std::uint8_t{1} : std::uint8_t{0}, typed->constant,
                          dialog.usePer ? std::uint8_t{1} : std::uint8_t{0}, typed->period}))
        InfoBox(s, kSent);
}

void EditKind1(DeviceState& s) {
    const auto block = ReadConstantBlock(s);
    if (!block) return;
    PlotnoConstDialog dialog;
    dialog.typeVisible = true;
    dialog.type = block->payload[4] == 1 ? 1 : 0;
    dialog.temperText = FormatGeneral(GetFloat(block->payload.data()), 7, s.decimalSeparator);
    dialog.usePer = false;
    dialog.periodText.clear();
    // The period field starts empty: it only has to hold a number when it is used.
    const auto typed = AskConstants(s, dialog, true);
    if (!typed) return;
    if (SendConstants(s, {static_cast<std::uint8_t>(dialog.type == 1 ? 1 : 0), typed->constant,
                          dialog.usePer ? std::uint8_t{1} : std::uint8_t{0}, typed->period}))
        InfoBox(s, kSent);
}

void EditKind2(DeviceState& s) {
    const bool velkor = isVelkor(s.identity);
    const auto block = ReadConstantBlock(s);
    if (!block) return;
    float factor = 1.0f;
    bool useFactor = false;
    if (!velkor) {
        const auto factorBlock = ReadBlockString(s, kFactorBlock);
        if (!factorBlock) return;
        if (factorBlock->valid) {
            factor = FromDensityFloat(factorBlock->payload.data());
            useFactor = factorBlock->payload[4] == 1;
        }
    }

    PlotnoConstDialog dialog;
    dialog.typeVisible = !velkor;
    dialog.type = block->payload[4] == 1 ? 1 : 0;
    dialog.useTVisible = false;
    dialog.temperText = FormatGeneral(GetFloat(block->payload.data()), 7, s.decimalSeparator);
    dialog.usePer = false;
    dialog.periodText.clear();
    dialog.mnogVisible = !velkor;
    dialog.useMul = useFactor;
    dialog.mnogText = FormatGeneral(factor, 7, s.decimalSeparator);
    const auto typed = AskConstants(s, dialog, true);
    if (!typed) return;
    if (typed->factor) factor = *typed->factor;
    const std::uint8_t mode = velkor ? 0 : (dialog.type == 1 ? 1 : 0);
    if (dialog.mnogVisible) useFactor = dialog.useMul;

    if (!SendConstants(s, {mode, typed->constant, dialog.usePer ? std::uint8_t{1} : std::uint8_t{0}, typed->period}))
        return;
    if (!velkor) {
        if (!SendFactor(s, factor, useFactor)) return;
        BuildConfirmParameterBlock(s, kConfirmDensityConstants);
        if (RunWritePattern(s, "Переопрос параметров. Попытка ") != ExchangeOk) {
            ErrorBox(s, "Не удалось переопросить параметры!");
            return;
        }
        const bool accepted = AnswerDataCount(s.buffer) >= 1 && s.buffer.response[AnswerDataIndex(s.buffer)] == 1;
        if (!accepted) ErrorBox(s, "Ошибка при перепроверке параметров! Данные не приняты к исполнению!");
    }
    InfoBox(s, "Данные записаны!");
}

}  // namespace

void DensityMeterConstantsCommand(DeviceState& s) {
    if (!ensureIdentified(s)) return;
    if (!s.identity.densityMeter) {
        InfoBox(s, "Данное устройство не является плотномером!");
        return;
    }
    switch (s.identity.densityMeterKind) {
        case 0: WriteKind0(s); break;
        case 1: EditKind1(s); break;
        case 2: EditKind2(s); break;
        default: break;
    }
}

}  // namespace quillon
