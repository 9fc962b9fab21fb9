#include <bit>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/outcome_status.h"
#include "device/addressing.h"
#include "device/device_identity.h"
#include "device/dialogs.h"
#include "device/hex_text.h"
#include "device/loop_scan.h"
#include "device/parameter_access.h"
#include "device/preambles.h"
#include "device/response_codes.h"
#include "device/tag.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/message_boxes.h"
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

json FloatJson(std::uint32_t bits) {
    const float f = std::bit_cast<float>(bits);
    if (f != f || f - f != 0.0f) return nullptr;  // NaN and infinities have no JSON number
    return static_cast<double>(f);
}

json LongAddressJson(const std::array<std::uint8_t, 5>& a) { return HexBytesText(a); }

// Runs `body` with the port open and the device identified.
template <typename Body>
int WithDevice(Session& x, Body&& body) {
    if (!PrepareLink(x)) return kExitNoAnswer;
    const bool ok = WithPortOpen(x.state, [&] { return Identify(x) && body(); });
    if (ok && !SaveSettingsIfAsked(x)) return kExitFileError;
    return Status(x, ok);
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
    const bool looksFloat = text.find_first_of(".eE") != std::string::npos;
    if (asFloat || looksFloat) {
        char* stop = nullptr;
        const double d = std::strtod(begin, &stop);
        if (stop != end) return std::nullopt;
        return std::bit_cast<std::uint32_t>(static_cast<float>(d));
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
        if (x.out.json()) {
            x.out.result({}, json{{"long_address", LongAddressJson(id.longAddress)},
                                  {"short_address", x.state.settings.shortAddress},
                                  {"software_revision", id.softwareRevision},
                                  {"device_revision", id.deviceRevision},
                                  {"hardware_revision", id.hardwareRevision},
                                  {"response_preambles", id.responsePreambles},
                                  {"calibration_points", id.calibrationPointCount},
                                  {"variant", variant}});
        } else {
            x.out.result("long address: " + HexBytesText(id.longAddress), {});
            x.out.result("short address: " + std::to_string(x.state.settings.shortAddress), {});
            x.out.result("software revision: " + std::to_string(id.softwareRevision), {});
            x.out.result("device revision: " + std::to_string(id.deviceRevision), {});
            x.out.result("hardware revision: " + std::to_string(id.hardwareRevision), {});
            x.out.result("response preambles: " + std::to_string(id.responsePreambles), {});
            x.out.result("calibration points: " + std::to_string(id.calibrationPointCount), {});
            x.out.result("variant: " + variant, {});
        }
        return true;
    });
}

int RunSettingGet(Session& x, const SettingOptions& o) {
    return WithDevice(x, [&] {
        const auto number = static_cast<std::uint8_t>(o.number);
        const SettingReadResult r = readSetting(x.state, number, "Чтение параметра " + std::to_string(o.number));
        if (r.result != kSettingRead || x.ui.errorCount() > 0) return false;
        x.out.result("setting " + std::to_string(o.number) + ": " + Hex32(r.value) + " " + std::to_string(r.value) +
                         " (float " + FloatText(r.value) + ")",
                     json{{"setting", o.number}, {"value", r.value}, {"hex", Hex32(r.value)},
                          {"float", FloatJson(r.value)}});
        return true;
    });
}

int RunSettingSet(Session& x, const SettingOptions& o) {
    const auto value = ParseSettingValue(o.value, o.asFloat);
    if (!value) {
        x.out.message("Значение " + o.value + " не является числом");
        return kExitUsage;
    }
    if (!WritesConfirmed(x, "Запись параметра " + std::to_string(o.number))) return kExitUsage;
    int result = kSettingWritten;
    const int status = WithDevice(x, [&] {
        result = writeSetting(x.state, static_cast<std::uint8_t>(o.number), *value,
                              "Запись параметра " + std::to_string(o.number));
        if (result != kSettingWritten) return false;
        x.out.result("setting " + std::to_string(o.number) + " = " + Hex32(*value) + " written",
                     json{{"setting", o.number}, {"value", *value}, {"hex", Hex32(*value)}, {"written", true}});
        return true;
    });
    if (result == kSettingProtectedDeclined) return kExitWriteProtected;
    return status;
}

int RunBlockGet(Session& x, const BlockOptions& o) {
    return WithDevice(x, [&] {
        const auto n = static_cast<std::size_t>(o.count) + 1;  // the check byte
        BuildReadParameterBlock(x.state, static_cast<std::uint16_t>(o.index), static_cast<std::uint8_t>(n));
        const std::string what = "Чтение блока " + std::to_string(o.index);
        if (RunAttemptLoop(x.state, what + ". Попытка ", kReadPatternAttempts) != ExchangeOk) {
            ErrorBox(x.state, what + ": нет ответа");
            return false;
        }
        const ExchangeBuffer& b = x.state.buffer;
        if (!AnswerHasStatus(b) || ResponseCode(b) != 0) {
            const int code = AnswerHasStatus(b) ? ResponseCode(b) : -1;
            ErrorBox(x.state, code < 0 ? what + ": ответ без кода ответа"
                                       : ResponseCodeMessageText(static_cast<std::uint8_t>(code)));
            return false;
        }
        const std::uint8_t* data = b.response.data() + AnswerDataIndex(b);
        if (AnswerDataCount(b) < n || !VerifyXorCheck(data, n)) {
            ErrorBox(x.state, what + ": неверная длина или контрольный байт ответа");
            return false;
        }
        const std::span<const std::uint8_t> payload(data, n - 1);
        x.out.result("block " + std::to_string(o.index) + ": " + HexBytesText(payload),
                     json{{"block", o.index}, {"bytes", HexBytesText(payload)},
                          {"values", std::vector<std::uint8_t>(payload.begin(), payload.end())}});
        return true;
    });
}

int RunAddressShort(Session& x, int address) {
    if (address < 0 || address > kHighestShortAddress) {
        x.out.message("Адрес " + std::to_string(address) + " вне диапазона 0-" + std::to_string(kHighestShortAddress));
        return kExitUsage;
    }
    if (!WritesConfirmed(x, "Изменение короткого адреса")) return kExitUsage;
    Outcome o;
    const int status = WithDevice(x, [&] {
        o = WriteShortAddress(x.state, static_cast<std::uint8_t>(address), LockPolicy(x.out, x.ui.interactive()));
        Present(x.out, ShortAddressReport(x.state.identity, o), o);
        if (o.done()) x.out.result("short address: " + std::to_string(address), json{{"short_address", address}});
        return o.done();
    });
    return o.done() ? status : ExitStatusOf(o);
}

int RunTag(Session& x) {
    return WithDevice(x, [&] {
        std::optional<std::string> tag;
        x.ui.onInformation = [&](const std::string& text) {
            tag = text;
            return true;
        };
        ReadingTagCommand(x.state);
        x.ui.onInformation = nullptr;
        if (!tag) return false;
        x.out.result("tag: " + *tag, json{{"tag", *tag}});
        return true;
    });
}

int RunPreambles(Session& x, std::optional<int> count) {
    if (count && !WritesConfirmed(x, "Установка количества преамбул")) return kExitUsage;
    return WithDevice(x, [&] {
        std::optional<std::string> current;
        x.ui.answerDialog<PreamblesDialog>("PreamblesDialog", [&](PreamblesDialog& d) {
            current = d.text;
            if (!count) return false;
            d.text = std::to_string(*count);
            return true;
        });
        bool written = false;
        x.ui.onInformation = [&](const std::string& text) {
            written = true;
            x.out.message(text);
            return true;
        };
        PreamblesCommand(x.state);
        x.ui.onInformation = nullptr;
        if (!current || x.ui.errorCount() > 0) return false;
        if (!count) {
            x.out.result("preambles: " + *current, json{{"preambles", std::atoi(current->c_str())}});
            return true;
        }
        if (!written) return false;
        x.out.result("preambles: " + std::to_string(*count) + " written", json{{"preambles", *count}, {"written", true}});
        return true;
    });
}

int RunScan(Session& x, int highestAddress) {
    if (!PrepareLink(x)) return kExitNoAnswer;
    LoopScanDialog dialog;
    dialog.wideRange = highestAddress > 15;
    // The scan sends to every address; the attempts per address are its own.
    x.watch.setAttemptLimit(0);
    WithPortOpen(x.state, [&] { RunLoopScan(x.state, dialog); });
    for (const LoopScanRow& row : dialog.rows) {
        std::string text = std::to_string(row.shortAddress) + "\t" + LoopScanLongAddressText(row) + "\t" +
                           LoopScanRevisionsText(row) + "\t" + row.variant;
        if (row.tag) text += "\t" + *row.tag;
        json j{{"short_address", row.shortAddress},
               {"long_address", LongAddressJson(row.longAddress)},
               {"universal_revision", row.universalRevision},
               {"device_revision", row.deviceRevision},
               {"software_revision", row.softwareRevision},
               {"hardware_revision", row.hardwareRevision},
               {"variant", row.variant}};
        j["tag"] = row.tag ? json(*row.tag) : json(nullptr);
        x.out.result(text, j);
    }
    if (x.ui.interrupted()) return kExitInterrupted;
    if (x.watch.exchanges() == 0) return kExitNoAnswer;
    return dialog.rows.empty() ? kExitNoAnswer : kExitSuccess;
}

}  // namespace quillon::cli
