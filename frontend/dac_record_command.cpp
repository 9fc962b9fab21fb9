#include <algorithm>
#include <cmath>

#include "device/parameter_access.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "device/write_lock.h"
#include "frontend/dac_dialogs.h"
#include "frontend/dac_record.h"
#include "frontend/dac_settings.h"
#include "frontend/output_fields.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr std::uint8_t kMillivoltDeviceType = 6;
constexpr std::uint8_t kRecheckDacRecord = 0;
constexpr int kLowestOffset = -16383;
constexpr int kHighestOffset = 30000;
constexpr const char* kFieldError = "Введены неправильные цифры!";
constexpr const char* kOffsetRange = "Смещение находится вне допустимого диапазона!";
constexpr const char* kSlopeNegative = "Значение наклона должно быть положительным!";
constexpr const char* kNotRead = "Не удалось сосчитать параметры ЦАП!";
constexpr const char* kNotEntered = "В датчик не были введены параметры работы ЦАП!";
constexpr const char* kNotWritten = "Не удалось записать параметры ЦАП!";
constexpr const char* kWriteError = "Произошла ошибка при записи параметров ЦАП!";
constexpr const char* kNotRechecked = "Не удалось переопросить параметры ЦАП!";
constexpr const char* kNotAccepted = "Ошибка при перепроверке параметров! Данные не приняты к исполнению!";
constexpr const char* kAccepted = "Данные были успешно отправлены и приняты к исполнению!";
constexpr const char* kWrittenNotRechecked = "Новые параметры ЦАП записаны, но не перепроверены.";

bool KeepsRecord(const DeviceIdentity& id) {
    return supportsDacSettings(id) && !isRev7(id) && !isRev6(id) && !isDacBySettings(id);
}

bool EnterRecord(DeviceState& s, DacRecordDialog& d, DacRecordValues& out) {
    for (;;) {
        if (!s.ui.show(d)) return false;
        const auto offset = TakeWholeField(s, d.offset, kFieldError);
        if (!offset) continue;
        if (*offset < kLowestOffset || *offset > kHighestOffset) {
            ErrorBox(s, kOffsetRange);
            continue;
        }
        const auto slope = TakeSingleField(s, d.slope, kFieldError);
        if (!slope) continue;
        if (*slope < 0.0f) {
            ErrorBox(s, kSlopeNegative);
            continue;
        }
        out = {*slope, static_cast<int>(*offset)};
        return true;
    }
}

// Sends the re-check and says what it answered.
DacRecheck Recheck(DeviceState& s, Outcome& exchange) {
    BuildConfirmParameterBlock(s, kRecheckDacRecord);
    const int result = RunWritePattern(s, "Переопрос параметров ЦАП. Попытка ");
    if (result != ExchangeOk) {
        exchange = ExchangeOutcome(s, result);
        return DacRecheck::NoAnswer;
    }
    return AnswerDataCount(s.buffer) >= 1 && s.buffer.response[AnswerDataIndex(s.buffer)] == 1
               ? DacRecheck::Accepted
               : DacRecheck::NotAccepted;
}

}  // namespace

Result<DacRecordRead> ReadDacRecord(DeviceState& s) {
    Result<DacRecordRead> r;
    r.value.values = DefaultDacRecord(s.identity);
    if (auto foreign = RequireOwnMake(s.identity)) {
        r.outcome = *foreign;
        return r;
    }
    BuildReadParameterBlock(s, kDacRecordIndex, static_cast<std::uint8_t>(kDacRecordSize));
    const int exchange = RunReadPattern(s, "Узнаю параметры ЦАП");
    if (exchange != ExchangeOk) {
        r.outcome = ExchangeOutcome(s, exchange);
        return r;
    }
    DacMemoryRecord record{};
    const bool complete = AnswerDataCount(s.buffer) >= kDacRecordSize;
    if (complete) {
        const std::size_t d = AnswerDataIndex(s.buffer);
        std::copy_n(s.buffer.response.begin() + static_cast<std::ptrdiff_t>(d), kDacRecordSize, record.begin());
    }
    if (complete && VerifyXorCheck(record.data(), record.size())) r.value = {DecodeDacRecord(record), true};
    return r;
}

Report DacRecordReadReport(const Result<DacRecordRead>& r) {
    switch (r.outcome.cause()) {
        case OutcomeKind::Done: return r.value.valid ? Report{} : Report{ErrorText(kNotEntered)};
        case OutcomeKind::NotPossible: return {InfoText(r.outcome.reason)};
        default: return {ErrorText(kNotRead)};
    }
}

Result<DacRecheck> WriteDacRecord(DeviceState& s, const DacRecordValues& v, const AskRepeatOnLock& askRepeat) {
    Result<DacRecheck> r;
    r.value = DacRecheck::NotSent;
    if (auto foreign = RequireOwnMake(s.identity)) {
        r.outcome = *foreign;
        return r;
    }
    if (!KeepsRecord(s.identity)) {
        r.outcome = NotPossibleOutcome("В этой версии датчика настройка параметров ЦАП не предусмотрена!");
        return r;
    }
    if (v.offset < kLowestOffset || v.offset > kHighestOffset) {
        r.outcome = InputRefusedOutcome("offset", kOffsetRange);
        return r;
    }
    if (!(v.slope >= 0.0f) || !std::isfinite(v.slope)) {
        r.outcome = InputRefusedOutcome("slope", std::isfinite(v.slope) ? kSlopeNegative : kFieldError);
        return r;
    }
    const DacMemoryRecord record = EncodeDacRecord(v.slope, v.offset);
    Outcome refusal;
    for (;;) {
        refusal = DoneOutcome();
        BuildWriteParameterBlock(s, kDacRecordIndex, record.data(), kDacRecordSize - 1);
        const std::uint64_t sentBefore = s.requestsSent;
        const int exchange = RunWritePattern(s, "Пишу параметры ЦАП. Попытка ");
        if (exchange != ExchangeOk) {
            const Outcome o = ExchangeOutcome(s, exchange);
            r.outcome = s.requestsSent != sentBefore ? WithUnknownEffect(o) : o;
            return r;
        }
        if (AnswerHasStatus(s.buffer) && ResponseCode(s.buffer) == 0) break;
        refusal = RefusedOutcome(AnswerHasStatus(s.buffer) ? ResponseCode(s.buffer) : kNoResponseCode);
        if (!refusal.writeLocked()) break;
        if (askRepeat && askRepeat(refusal)) continue;
        r.outcome = refusal;
        return r;
    }
    // A refusal of another kind is re-checked all the same: the device's
    // answer to the re-check is what says whether the record is in use.
    Outcome lost;
    r.value = Recheck(s, lost);
    if (!refusal.done()) {
        r.outcome = refusal;
        return r;
    }
    switch (r.value) {
        case DacRecheck::Accepted: r.outcome = DoneOutcome(); break;
        case DacRecheck::NoAnswer: r.outcome = PartialOutcome(lost, 1, 2, kWrittenNotRechecked); break;
        default: {
            Outcome o = RefusedOutcome(kNoResponseCode);
            o.reason = kNotAccepted;
            r.outcome = o;
        }
    }
    return r;
}

Report DacRecordWriteReport(const Result<DacRecheck>& r) {
    const Outcome& o = r.outcome;
    switch (o.kind) {
        case OutcomeKind::Done: return {InfoText(kAccepted)};
        case OutcomeKind::InputRefused: return {ErrorText(o.reason)};
        case OutcomeKind::NotPossible: return {InfoText(o.reason)};
        case OutcomeKind::Partial: return {ErrorText(WithEffect(kNotRechecked, o))};
        case OutcomeKind::Refused: {
            if (o.reason == kNotAccepted) return {ErrorText(kNotAccepted)};
            // The write lock's text came with its question.
            if (o.writeLocked() && r.value == DacRecheck::NotSent) return {};
            Report report{ErrorText(kWriteError)};
            if (r.value == DacRecheck::NoAnswer) report.push_back(ErrorText(kNotRechecked));
            if (r.value == DacRecheck::NotAccepted) report.push_back(ErrorText(kNotAccepted));
            return report;
        }
        default: return {ErrorText(WithEffect(kNotWritten, o))};
    }
}

void DacScalingByRecord(DeviceState& s) {
    const Result<DacRecordRead> current = ReadDacRecord(s);
    ShowReport(s.ui, DacRecordReadReport(current));
    // After a failed read the dialog still opens with the defaults: with them
    // the engineer can set the device up from scratch, which is what a failed
    // read usually calls for.
    DacRecordDialog d;
    d.offset = std::to_string(current.value.values.offset);
    d.slope = SingleText(s, current.value.values.slope);
    if (s.identity.longAddress[1] == kMillivoltDeviceType) {
        d.slopeLabel = "Значение наклона DAC/мВ :";
        d.label3 = s.identity.deviceRevision != 0 ? "Для датчика (800-3200мВ) = 27.306(6) DAC/мВ"
                                                  : "Для датчика (0-3600мВ) = 18.204444";
    }
    DacRecordValues entered;
    if (!EnterRecord(s, d, entered)) return;
    ShowReport(s.ui, DacRecordWriteReport(WriteDacRecord(s, entered, AskLockQuestion(s.ui))));
}

}  // namespace quillon
