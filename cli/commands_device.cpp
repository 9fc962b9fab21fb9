#include <bit>
#include <charconv>
#include <cstdio>
#include <span>

#include "cli/commands.h"
#include "cli/device_reads.h"
#include "device/tag.h"
#include "cli/exit_status.h"
#include "cli/json_values.h"
#include "cli/number_options.h"
#include "cli/outcome_status.h"
#include "device/addressing.h"
#include "device/device_identity.h"
#include "device/dialogs.h"
#include "device/hex_text.h"
#include "device/identification.h"
#include "device/loop_scan.h"
#include "device/parameter_access.h"
#include "device/preambles.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/serial_link.h"

namespace quillon::cli {

namespace {

using nlohmann::json;

std::string Hex32(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

std::string FloatText(std::uint32_t bits) {
    char text[32];
    std::snprintf(text, sizeof text, "%.7g", static_cast<double>(std::bit_cast<float>(bits)));
    return text;
}

std::string SettingCaption(int number, bool write) {
    return (write ? "Запись параметра " : "Чтение параметра ") + std::to_string(number);
}

}  // namespace

std::optional<std::uint32_t> ParseSettingValue(const std::string& text, bool asFloat) {
    if (text.empty()) return std::nullopt;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (!asFloat && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint32_t v = 0;
        auto [p, ec] = std::from_chars(begin + 2, end, v, 16);
        if (ec != std::errc{} || p != end) return std::nullopt;
        return v;
    }
    const bool looksFloat = text.find_first_of(".,eE") != std::string::npos;
    if (asFloat || looksFloat) {
        // The windows' own conversion: NaN, infinities and values beyond a single are refused.
        const auto single = SingleNumber(text);
        if (!single) return std::nullopt;
        return std::bit_cast<std::uint32_t>(*single);
    }
    long long v = 0;
    auto [p, ec] = std::from_chars(begin, end, v);
    if (ec != std::errc{} || p != end || v < -2147483648LL || v > 4294967295LL) return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

int RunPorts(Session& x) {
    ScanPorts(x.state);
    const auto& list = x.state.port.portList;
    for (std::size_t i = 1; i < list.size(); ++i)
        x.out.result(PortDisplayName(list[i]) + "\t" + list[i],
                     json{{"port", PortDisplayName(list[i])}, {"path", list[i]}, {"index", i}});
    return kExitSuccess;
}

int RunIdentify(Session& x) {
    return WithDevice(x, [&] {
        const DeviceIdentity& id = x.state.identity;
        const std::string variant = DerivedVariantText(id);
        // The tag is part of who the device is; a device that cannot say it
        // is still identified, and the tag is null.
        const Result<std::string> tag = ReadTag(x.state);
        if (!tag.done()) x.out.message("Тег не прочитан: " + OutcomeText(tag.outcome));
        const json tagJson = tag.done() ? json(tag.value) : json(nullptr);
        if (x.out.json()) {
            x.out.result({}, json{{"long_address", LongAddressHex(id.longAddress)},
                                  {"short_address", x.state.settings.shortAddress},
                                  {"tag", tagJson},
                                  {"manufacturer_id", id.manufacturerId},
                                  {"device_type", id.deviceType},
                                  {"universal_revision", id.universalRevision},
                                  {"software_revision", id.softwareRevision},
                                  {"device_revision", id.deviceRevision},
                                  {"hardware_revision", id.hardwareRevision},
                                  {"response_preambles", id.responsePreambles},
                                  {"calibration_points", id.calibrationPointCount},
                                  {"own_make", isOwnMake(id)},
                                  {"variant", variant}});
        } else {
            char make[64];
            std::snprintf(make, sizeof make, "%02Xh, device type %02Xh", id.manufacturerId, id.deviceType);
            x.out.result("long address: " + HexBytesText(id.longAddress), {});
            x.out.result("short address: " + std::to_string(x.state.settings.shortAddress), {});
            x.out.result("tag: " + (tag.done() ? tag.value : std::string("?")), {});
            x.out.result(std::string("manufacturer: ") + make + (isOwnMake(id) ? "" : " (another maker)"), {});
            x.out.result("universal revision: " + std::to_string(id.universalRevision), {});
            x.out.result("software revision: " + std::to_string(id.softwareRevision), {});
            x.out.result("device revision: " + std::to_string(id.deviceRevision), {});
            x.out.result("hardware revision: " + std::to_string(id.hardwareRevision), {});
            x.out.result("response preambles: " + std::to_string(id.responsePreambles), {});
            x.out.result("calibration points: " + std::to_string(id.calibrationPointCount), {});
            x.out.result("variant: " + variant, {});
        }
        return kExitSuccess;
    });
}

int RunSettingGet(Session& x, const SettingOptions& o) {
    return WithDevice(x, [&] {
        if (const auto foreign = RequireOwnMake(x.state.identity)) return PresentOutcome(x, {}, *foreign);
        const auto number = static_cast<std::uint8_t>(o.number);
        const std::string caption = SettingCaption(o.number, false);
        const Result<std::uint32_t> r = ReadSetting(x.state, number, caption);
        if (!r.done()) return PresentOutcome(x, SettingReadReport(caption, r.outcome), r.outcome);
        x.out.result("setting " + std::to_string(o.number) + ": " + Hex32(r.value) + " " + std::to_string(r.value) +
                         " (float " + FloatText(r.value) + ")",
                     json{{"setting", o.number},
                          {"value", r.value},
                          {"hex", Hex32(r.value)},
                          {"float", SingleJson(std::bit_cast<float>(r.value))}});
        return kExitSuccess;
    });
}

int RunSettingSet(Session& x, const SettingOptions& o) {
    const auto value = ParseSettingValue(o.value, o.asFloat);
    if (!value) {
        const bool single = o.asFloat || o.value.find_first_of(".,eE") != std::string::npos;
        x.out.message(single && !(o.value.size() > 2 && o.value[1] == 'x') ? SingleRefusal(o.value)
                                                                            : NotNumberText(o.value));
        return kExitUsage;
    }
    if (!WritesConfirmed(x, SettingCaption(o.number, true))) return kExitUsage;
    return WithDevice(x, [&] {
        if (const auto foreign = RequireOwnMake(x.state.identity)) return PresentOutcome(x, {}, *foreign);
        const auto number = static_cast<std::uint8_t>(o.number);
        const Outcome r = WriteSetting(x.state, number, *value, SettingCaption(o.number, true), LockPolicy(x));
        if (!r.done()) return PresentOutcome(x, SettingWriteReport(number, r), r);
        x.out.result("setting " + std::to_string(o.number) + " = " + Hex32(*value) + " written",
                     json{{"setting", o.number}, {"value", *value}, {"hex", Hex32(*value)}, {"written", true}});
        return kExitSuccess;
    });
}

int RunBlockGet(Session& x, const BlockOptions& o) {
    return WithDevice(x, [&] {
        if (const auto foreign = RequireOwnMake(x.state.identity)) return PresentOutcome(x, {}, *foreign);
        const auto n = static_cast<std::size_t>(o.count) + 1;  // the check byte
        BuildReadParameterBlock(x.state, static_cast<std::uint16_t>(o.index), static_cast<std::uint8_t>(n));
        const std::string what = "Чтение блока " + std::to_string(o.index);
        const int result = RunAttemptLoop(x.state, what + ". Попытка ", kNoAttemptLimit);
        if (result != ExchangeOk) return PresentOutcome(x, {}, ExchangeOutcome(x.state, result));
        const ExchangeBuffer& b = x.state.buffer;
        if (!AnswerHasStatus(b)) return PresentOutcome(x, {}, RefusedOutcome(kNoResponseCode));
        if (ResponseCode(b) != 0) return PresentOutcome(x, {}, RefusedOutcome(ResponseCode(b)));
        const std::uint8_t* data = b.response.data() + AnswerDataIndex(b);
        if (AnswerDataCount(b) < n || !VerifyXorCheck(data, n)) {
            x.out.message(what + ": неверная длина или контрольный байт ответа");
            return kExitDeviceRefused;
        }
        const std::span<const std::uint8_t> payload(data, n - 1);
        x.out.result("block " + std::to_string(o.index) + ": " + HexBytesText(payload),
                     json{{"block", o.index},
                          {"hex", HexString(payload.data(), payload.size())},
                          {"bytes", std::vector<std::uint8_t>(payload.begin(), payload.end())}});
        return kExitSuccess;
    });
}

int RunAddressShort(Session& x, int address) {
    if (!WritesConfirmed(x, "Изменение короткого адреса")) return kExitUsage;
    return WithDevice(x, [&] {
        const Outcome o = WriteShortAddress(x.state, static_cast<std::uint8_t>(address), LockPolicy(x));
        if (!o.done()) return PresentOutcome(x, ShortAddressReport(x.state.identity, o), o);
        x.out.result("short address: " + std::to_string(address), json{{"short_address", address}});
        return kExitSuccess;
    });
}

int RunTag(Session& x) {
    return WithDevice(x, [&] {
        const Result<std::string> tag = ReadTag(x.state);
        if (!tag.done()) return PresentOutcome(x, TagReadReport(tag), tag.outcome);
        x.out.result("tag: " + tag.value, json{{"tag", tag.value}});
        return kExitSuccess;
    });
}

int RunTagSet(Session& x, const std::string& tag) {
    if (!WritesConfirmed(x, "Запись тега")) return kExitUsage;
    return WithDevice(x, [&] {
        const Outcome o = WriteTag(x.state, tag, LockPolicy(x));
        if (!o.done()) return PresentOutcome(x, TagWriteReport(o), o);
        x.out.result("tag: " + tag + " written", json{{"tag", tag}, {"written", true}});
        return kExitSuccess;
    });
}

int RunPreambles(Session& x, std::optional<int> count) {
    if (count && !WritesConfirmed(x, "Установка количества преамбул")) return kExitUsage;
    return WithDevice(x, [&] {
        if (!count) {
            Report notes;
            const Result<int> r = ReadPreambleCount(x.state, &notes);
            Present(x.out, notes, DoneOutcome());
            if (!r.done()) return PresentOutcome(x, PreambleReadReport(r.outcome), r.outcome);
            x.out.result("preambles: " + std::to_string(r.value), json{{"preambles", r.value}});
            return kExitSuccess;
        }
        const Outcome o = WritePreambleCount(x.state, *count, LockPolicy(x));
        if (!o.done()) return PresentOutcome(x, PreambleWriteReport(x.state.identity, o), o);
        x.out.result("preambles: " + std::to_string(*count) + " written",
                     json{{"preambles", *count}, {"written", true}});
        return kExitSuccess;
    });
}

int RunScan(Session& x, int highestAddress) {
    if (const int status = PrepareLink(x); status != kExitSuccess) return status;
    const std::vector<LoopScanRow> rows = WithPortOpen(x.state, [&] { return ScanLine(x, highestAddress); });
    for (const LoopScanRow& row : rows) {
        std::string text = std::to_string(row.shortAddress) + "\t" + LoopScanLongAddressText(row) + "\t" +
                           LoopScanRevisionsText(row) + "\t" + row.variant;
        if (row.tag) text += "\t" + *row.tag;
        json j{{"short_address", row.shortAddress},
               {"long_address", LongAddressHex(row.longAddress)},
               {"manufacturer_id", row.manufacturerId},
               {"device_type", row.deviceType},
               {"own_make", row.ownMake},
               {"universal_revision", row.universalRevision},
               {"device_revision", row.deviceRevision},
               {"software_revision", row.softwareRevision},
               {"hardware_revision", row.hardwareRevision},
               {"variant", row.variant}};
        j["tag"] = row.tag ? json(*row.tag) : json(nullptr);
        x.out.result(text, j);
    }
    if (x.watch.timedOut()) return kExitTimeout;
    if (x.ui.interrupted()) return kExitInterrupted;
    if (rows.empty()) {
        x.out.message("Ни одно устройство не ответило на адресах 0-" + std::to_string(highestAddress));
        return kExitNoAnswer;
    }
    return kExitSuccess;
}

}  // namespace quillon::cli
