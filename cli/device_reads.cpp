#include "cli/device_reads.h"

#include "cli/json_values.h"
#include "device/identification.h"
#include "device/number_entry.h"
#include "device/polling_answer.h"
#include "device/tag.h"
#include "link/attempt_loop.h"
#include "link/exchange.h"
#include "link/frame_codec.h"

namespace quillon::cli {

namespace {

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
    return text;
}

}  // namespace

std::vector<LoopScanRow> ScanLine(Session& x, int highest) {
    LoopScanDialog dialog;
    dialog.wideRange = highest > 15;
    x.watch.setAttemptLimit(0);
    RunLoopScan(x.state, dialog);
    x.watch.setAttemptLimit(x.options.attempts);
    x.watch.clearGaveUp();
    return dialog.rows;
}

bool SelectAddressedDevice(Session& x) {
    const auto& wantedAddress = x.options.longAddress;
    const auto& wantedTag = x.options.tag;
    std::optional<std::array<std::uint8_t, 5>> address;
    if (wantedAddress) {
        address = ParseLongAddressHex(*wantedAddress);
        if (!address) return false;  // refused at the parse
        // The master and burst-mode bits are no part of the address.
        (*address)[0] &= kLongAddressFirstByteBits;
    }
    const auto matches = [&](const LoopScanRow& row) {
        if (address && row.longAddress != *address) return false;
        if (wantedTag && (!row.tag || Trimmed(*row.tag) != Trimmed(*wantedTag))) return false;
        return true;
    };
    const std::string wanted = wantedAddress ? "с длинным адресом " + *wantedAddress : "с тегом " + *wantedTag;
    // HART 5 devices live on 0-15; only when none there matches is the wider range tried.
    for (const int highest : {15, 63}) {
        std::vector<const LoopScanRow*> found;
        const std::vector<LoopScanRow> rows = ScanLine(x, highest);
        if (x.ui.interrupted() || x.watch.timedOut()) return false;
        for (const LoopScanRow& row : rows)
            if (matches(row)) found.push_back(&row);
        if (found.size() > 1) {
            std::string list;
            for (const LoopScanRow* row : found) list += (list.empty() ? "" : ", ") + std::to_string(row->shortAddress);
            x.out.message("Устройств " + wanted + " на линии несколько (короткие адреса " + list +
                          "): укажите --address");
            return false;
        }
        if (found.size() == 1) {
            x.state.settings.shortAddress = found.front()->shortAddress;
            invalidateIdentity(x.state);
            x.out.message("Устройство " + wanted + " найдено на коротком адресе " +
                          std::to_string(found.front()->shortAddress));
            return true;
        }
    }
    x.out.message("Устройство " + wanted + " на линии не найдено (адреса 0-63)");
    return false;
}

std::string NotNumberText(const std::string& text) { return NotDecimalNumberText(text); }

}  // namespace quillon::cli
