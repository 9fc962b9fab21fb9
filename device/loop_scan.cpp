#include "device/loop_scan.h"

#include <algorithm>

#include "device/device_make.h"
#include "device/hex_text.h"
#include "device/identification.h"
#include "device/polling_answer.h"
#include "device/tag.h"
#include "device/variant.h"
#include "link/exchange.h"
#include "link/frame_codec.h"
#include "link/main_caption.h"
#include "link/serial_link.h"

namespace quillon {

namespace {

constexpr std::uint8_t kIdentifyCommand = 0;
constexpr std::uint8_t kReadTagCommand = 20;
// Command 0 data: 254, manufacturer, device type, preambles, universal,
// device, software and hardware revisions, flags, device id (3 bytes).
constexpr std::size_t kIdentityDataBytes = 12;

// Puts back what the scan borrowed, however it ends.
struct Borrowed {
    DeviceState& s;
    std::uint8_t shortAddress;
    std::array<std::uint8_t, 5> longAddress;
    int firstByteWait;
    explicit Borrowed(DeviceState& state)
        : s(state),
          shortAddress(state.settings.shortAddress),
          longAddress(state.identity.longAddress),
          firstByteWait(state.settings.firstByteWait) {}
    ~Borrowed() {
        s.settings.shortAddress = shortAddress;
        s.identity.longAddress = longAddress;
        s.settings.firstByteWait = firstByteWait;
    }
};

// Something came back, but not an answer that passed the checks: worth
// another try. Silence is not: the device is not there.
bool GarbledAnswer(const DeviceState& s, int result) {
    if (result == ExchangeBadAnswer) return true;
    return result == ExchangeNoAnswer && s.settings.linkType == kLinkDirect && s.buffer.rawAnswerCount > 0;
}

// Sends the request in the buffer up to `attempts` times, repeating only a
// garbled answer; result of the last.
int Attempts(DeviceState& s, const std::function<void()>& build, int attempts) {
    int result = ExchangeNoAnswer;
    for (int n = 0; n < attempts; ++n) {
        build();
        result = Exchange(s);
        if (!GarbledAnswer(s, result)) break;
    }
    return result;
}

bool AnswerComplete(const ExchangeBuffer& b) { return AnswerWithinReceived(b) && AnswerByteCount(b) >= 2; }

std::optional<LoopScanRow> RowFromIdentityAnswer(const ExchangeBuffer& b, std::uint8_t polled,
                                                  const std::string& ownDevices) {
    if (b.response[0] != kShortAnswerDelimiter || !AnswerComplete(b)) return std::nullopt;
    // A device that answers under another address is listed when its own is polled.
    if ((b.response[1] & 0x3F) != polled) return std::nullopt;
    if (ResponseCode(b) != 0 || AnswerDataCount(b) < kIdentityDataBytes) return std::nullopt;
    const std::uint8_t* d = b.response.data() + AnswerDataIndex(b);
    LoopScanRow row;
    row.shortAddress = polled;
    row.longAddress = LongAddressFromIdentity(d);
    row.universalRevision = d[4];
    row.deviceRevision = d[5];
    row.softwareRevision = d[6];
    row.hardwareRevision = d[7];
    const DeviceMake make = MakeFromIdentityAnswer(d, AnswerDataCount(b));
    row.manufacturerId = make.manufacturerId;
    row.deviceType = make.deviceType;
    DeviceIdentity id;
    id.longAddress = row.longAddress;
    id.softwareRevision = row.softwareRevision;
    id.hardwareRevision = row.hardwareRevision;
    id.deviceRevision = row.deviceRevision;
    id.manufacturerId = make.manufacturerId;
    id.deviceType = make.deviceType;
    id.universalRevision = make.universalRevision;
    id.makeKnown = true;
    id.listedOwnMake = ListedOwnMake(ownDevices, make.manufacturerId, make.deviceType);
    row.ownMake = isOwnMake(id);
    // A device of another maker says who made it in its variant text already.
    row.variant = DerivedVariantText(id);
    if (row.ownMake) row.variant += "; " + MakeText(make);
    return row;
}

}  // namespace

int LoopScanFirstByteWait(const LinkSettings& settings) {
    if (settings.linkType != kLinkDirect) return settings.firstByteWait;
    return std::min(settings.firstByteWait, kSlaveTimeOutMs + kScanLatencyMarginMs);
}

std::string LoopScanLongAddressText(const LoopScanRow& row) {
    return HexBytesText(row.longAddress);
}

std::string LoopScanRevisionsText(const LoopScanRow& row) {
    return "ПО " + std::to_string(row.softwareRevision) + ", устр. " + std::to_string(row.deviceRevision) + ", апп. " +
           std::to_string(row.hardwareRevision) + ", униф. " + std::to_string(row.universalRevision);
}

Result<std::vector<LoopScanRow>> ScanLoop(DeviceState& s, bool wideRange, const LoopScanProgressSink& progress) {
    Borrowed borrowed(s);
    s.settings.firstByteWait = LoopScanFirstByteWait(s.settings);
    Result<std::vector<LoopScanRow>> out;
    const int total = wideRange ? 64 : 16;
    const auto report = [&](int address, int done) {
        if (progress) progress({address, done, total, &out.value});
    };
    for (int address = 0; address < total; ++address) {
        report(address, address);
        s.settings.shortAddress = static_cast<std::uint8_t>(address);
        const int result = Attempts(
            s, [&] { BuildShortRequest(s.buffer, kIdentifyCommand); }, kLoopScanAttempts);
        if (result == ExchangeAborted) {
            out.outcome = ExchangeOutcome(s, result);
            return out;
        }
        if (result != ExchangeOk) continue;
        auto row = RowFromIdentityAnswer(s.buffer, static_cast<std::uint8_t>(address), s.settings.ownDevices);
        if (!row) continue;

        // The tag needs a long frame to this very device.
        s.identity.longAddress = row->longAddress;
        const int tagResult = Attempts(
            s, [&] { BuildLongRequest(s.buffer, kReadTagCommand); }, kLoopScanAttempts);
        if (tagResult == ExchangeOk && AnswerComplete(s.buffer) && ResponseCode(s.buffer) == 0 &&
            AnswerDataCount(s.buffer) > 0)
            row->tag = TagText(s.buffer.response.data() + AnswerDataIndex(s.buffer), AnswerDataCount(s.buffer));
        out.value.push_back(std::move(*row));
        report(address, address);
        if (tagResult == ExchangeAborted) {
            out.outcome = ExchangeOutcome(s, tagResult);
            return out;
        }
    }
    return out;
}

void RunLoopScan(DeviceState& s, LoopScanDialog& d) {
    d.rows.clear();
    d.stopped = false;
    d.running = true;
    const auto show = [&d](const LoopScanProgress& p) {
        d.rows = *p.rows;
        d.progressDone = p.done;
        d.progressTotal = p.total;
        d.progressText = "Адрес " + std::to_string(p.address) + " (" + std::to_string(p.done + 1) + " из " +
                         std::to_string(p.total) + "), найдено устройств: " + std::to_string(d.rows.size());
        if (d.changed) d.changed();
    };
    const Result<std::vector<LoopScanRow>> r = ScanLoop(s, d.wideRange, show);
    d.rows = r.value;
    d.stopped = !r.done();
    d.running = false;
    if (!d.stopped) d.progressDone = d.progressTotal;
    d.progressText = (d.stopped ? "Поиск прерван, найдено устройств: " : "Поиск завершён, найдено устройств: ") +
                     std::to_string(d.rows.size());
    if (d.changed) d.changed();
}

void ChooseScannedDevice(DeviceState& s, const LoopScanRow& row) {
    s.settings.shortAddress = row.shortAddress;
    invalidateIdentity(s);
    UpdateMainCaption(s);
}

void LoopScanCommand(DeviceState& s) {
    LoopScanDialog dialog;
    dialog.scan = [&s](LoopScanDialog& d) { WithPortOpen(s, [&] { RunLoopScan(s, d); }); };
    dialog.stop = [&s] { s.flags.stopRequested = true; };
    if (!s.ui.show(dialog)) return;
    if (dialog.selectedRow < 0 || static_cast<std::size_t>(dialog.selectedRow) >= dialog.rows.size()) return;
    ChooseScannedDevice(s, dialog.rows[static_cast<std::size_t>(dialog.selectedRow)]);
}

}  // namespace quillon
