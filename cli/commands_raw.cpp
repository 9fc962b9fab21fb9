#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <span>

#include "cli/commands.h"
#include "cli/exit_status.h"
#include "cli/json_values.h"
#include "cli/outcome_status.h"
#include "device/hex_text.h"
#include "device/response_codes.h"
#include "device/variant.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon::cli {

namespace {

using nlohmann::json;

// Commands that only read, in the universal set and the two reads of this
// maker's stores. Everything else may change the device and needs --yes.
constexpr std::array<int, 16> kReadOnly{0, 1, 2, 3, 7, 8, 9, 12, 13, 14, 15, 16, 20, 48, 176, 191};

// First command number whose meaning the maker decides.
constexpr int kFirstMakerCommand = 128;

// Delimiter, five address bytes, command, byte count and check byte around the data.
constexpr std::size_t kMaxRequestData = kFrameCapacity - 9;

std::optional<std::vector<std::uint8_t>> ParseHexData(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (c != ' ' && c != ':' && c != '-') digits += c;
    if (digits.size() % 2 != 0) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        std::uint8_t b = 0;
        const auto [end, ec] = std::from_chars(digits.data() + i, digits.data() + i + 2, b, 16);
        if (ec != std::errc{} || end != digits.data() + i + 2) return std::nullopt;
        bytes.push_back(b);
    }
    return bytes;
}

std::string Hex2(unsigned v) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", v);
    return text;
}

}  // namespace

bool IsReadOnlyCommand(int number) {
    return std::find(kReadOnly.begin(), kReadOnly.end(), number) != kReadOnly.end();
}

int RunRawCommand(Session& x, const RawCommandOptions& o) {
    const auto data = ParseHexData(o.data);
    if (!data) {
        x.out.message("Данные запроса «" + o.data + "» — не шестнадцатеричные байты");
        return kExitUsage;
    }
    if (data->size() > kMaxRequestData) {
        x.out.message("Данных запроса больше " + std::to_string(kMaxRequestData) + " байт");
        return kExitUsage;
    }
    const bool writes = !IsReadOnlyCommand(o.number);
    if (writes && !WritesConfirmed(x, "Команда " + std::to_string(o.number) + " может изменить устройство"))
        return kExitUsage;
    return WithDevice(x, [&] {
        // Commands 128 and up mean what their maker says: never sent to a device of another.
        if (o.number >= kFirstMakerCommand)
            if (const auto foreign = RequireOwnMake(x.state.identity)) return PresentOutcome(x, {}, *foreign);
        BuildLongRequest(x.state.buffer, static_cast<std::uint8_t>(o.number), data->data(), data->size());
        const std::uint64_t sentBefore = x.state.requestsSent;
        const int result =
            RunAttemptLoop(x.state, "Команда " + std::to_string(o.number) + ". Попытка ", kNoAttemptLimit);
        if (result != ExchangeOk) {
            Outcome lost = ExchangeOutcome(x.state, result);
            if (writes && x.state.requestsSent > sentBefore) lost = WithUnknownEffect(lost);
            return PresentOutcome(x, {}, lost);
        }
        const ExchangeBuffer& b = x.state.buffer;
        if (!AnswerHasStatus(b)) return PresentOutcome(x, {}, RefusedOutcome(kNoResponseCode));
        const std::uint8_t code = ResponseCode(b);
        const std::uint8_t status = DeviceStatus(b);
        const std::span<const std::uint8_t> bytes(b.response.data() + AnswerDataIndex(b), AnswerDataCount(b));
        // Bit 7 of the first status byte marks the communication errors the device saw in the request.
        const bool commError = (code & 0x80) != 0;
        std::string text = "command " + std::to_string(o.number) + ": response code " + std::to_string(code);
        if (commError)
            text += " (" + Hex2(code) + ", ошибка связи в запросе)";
        else if (code != 0)
            text += " (" + ResponseCodeMessageText(code) + ")";
        text += ", device status " + Hex2(status);
        if (const std::string flags = DeviceStatusText(status); !flags.empty()) text += " (" + flags + ")";
        text += "; data: " + (bytes.empty() ? std::string("-") : HexBytesText(bytes));
        x.out.result(text, json{{"command", o.number},
                                {"response_code", code},
                                {"communication_error", commError},
                                {"device_status", status},
                                {"data", HexString(bytes.data(), bytes.size())},
                                {"bytes", std::vector<std::uint8_t>(bytes.begin(), bytes.end())}});
        if (code == 0) return kExitSuccess;
        return commError ? kExitNoAnswer : ExitStatusOf(RefusedOutcome(code));
    });
}

}  // namespace quillon::cli
