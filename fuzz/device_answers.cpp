// The readers of a device's answer (poll values, response code, device
// status) on any bytes and any received count. Nothing past the count may be
// read, and what they return must fit what they promise.
//
//   [options] answer bytes...     options bit 0: make the answer's byte count
//                                 and check byte agree with its length

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "app/app_state.h"
#include "calibration/calibration_measurement.h"
#include "device/polling_answer.h"
#include "device/response_codes.h"
#include "fuzz/accepted_answer.h"
#include "link/fake_serial.h"
#include "link/frame_codec.h"
#include "support/scripted_ui.h"

namespace {

using namespace quillon;

void MakeWellFormed(ExchangeBuffer& b, std::size_t count) {
    auto& r = b.response;
    const bool longAnswer = r[0] == kLongAnswerDelimiter;
    const std::size_t header = longAnswer ? 8 : 4;
    if (count < header + 1) return;
    r[header - 1] = static_cast<std::uint8_t>(count - header - 1);
    r[count - 1] = XorOf(r.data(), count - 1);
}

void ReadEverything(AppState& s) {
    const ExchangeBuffer& b = s.buffer;
    const bool within = AnswerWithinReceived(b);
    const std::uint8_t code = PollResponseCode(b);
    const std::uint8_t status = PollDeviceStatus(b);
    if (!within) fuzz::Require(code == 0 && status == 0, "status read from an answer not fully received");
    for (PollRequest request : {PollRequest::Command1, PollRequest::Command3, PollRequest::Period}) {
        const auto reading = ReadPollAnswer(b, request);
        if (!reading) continue;
        fuzz::Require(within, "values read from an answer not fully received");
        fuzz::Require(reading->furtherCount >= 0 && reading->furtherCount <= 3, "number of further variables");
        fuzz::Require(request != PollRequest::Command1 || !reading->auxiliaryBits, "command 1 has no loop current");
    }
    ReadExtendedAnswer(b);
    for (std::uint8_t command : {std::uint8_t{113}, std::uint8_t{176}}) {
        if (MeasurementReading(b, {command, 19, false}))
            fuzz::Require(within, "calibration reading from an answer not fully received");
    }
    if (AnswerHasStatus(b)) ShowResponseCode(s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    testing::ScriptedUi ui;
    sim::VirtualClock clock;
    testing::FakePortSystem ports{clock};
    AppState s{ui, ports, clock};
    auto& b = s.buffer;
    const std::size_t count = std::min(size - 1, b.response.size());
    std::copy(data + 1, data + 1 + count, b.response.begin());
    if (data[0] & 0x01) MakeWellFormed(b, count);
    b.responseCount = static_cast<std::uint8_t>(count);
    ASAN_POISON_MEMORY_REGION(b.response.data() + count, b.response.size() - count);
    ReadEverything(s);
    ASAN_UNPOISON_MEMORY_REGION(b.response.data() + count, b.response.size() - count);
    return 0;
}
