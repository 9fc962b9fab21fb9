// The monitor's decoder of HART frames and of the flow computer's wrapper on
// any bytes. The input lies in a heap block of exactly its size, so a read past
// it is caught; every offset and count the decoder reports must lie within it,
// and what it calls a correct frame must check out.
//
//   [options] bytes...    options bit 0: coming from the device
//                                 bit 1: wrapper answers carry the HART frame at 6, not 4

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/accepted_answer.h"
#include "monitor/frame_decoder.h"

namespace {

using namespace quillon;

std::uint8_t XorOf(const std::uint8_t* p, std::size_t n) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < n; ++i) x ^= p[i];
    return x;
}

// `wrapped`: the frame sits inside a flow-computer wrapper, whose own bytes follow it.
void CheckHart(const HartFrameInfo& f, const std::uint8_t* bytes, std::size_t count, bool wrapped) {
    if (!f.found) return;
    fuzz::Require(f.start < count, "delimiter outside the input");
    fuzz::Require(bytes[f.start] == f.delimiter, "delimiter is not the byte at its offset");
    fuzz::Require(f.preambles <= f.start && f.noiseBefore + f.preambles <= f.start, "preambles outside the input");
    for (std::size_t i = f.start - f.preambles; i < f.start; ++i) fuzz::Require(bytes[i] == 0xFF, "preamble not 0xFF");
    fuzz::Require(f.dataCount == 0 || f.dataOffset + f.dataCount <= count, "data beyond the input");
    if (f.hasByteCount) fuzz::Require(f.dataCount <= f.byteCount, "more data than the byte count");
    if (f.complete) {
        fuzz::Require(f.missing == 0, "a complete frame lacks bytes");
        const std::size_t end = f.dataOffset + f.dataCount;  // the check byte's offset
        fuzz::Require(end < count, "check byte beyond the input");
        fuzz::Require(f.checkByte == bytes[end], "check byte is not the byte at its offset");
        fuzz::Require(f.checkOk == (XorOf(bytes + f.start, end - f.start + 1) == 0), "check byte judged wrongly");
        if (!wrapped) fuzz::Require(end + 1 + f.trailing == count, "trailing bytes miscounted");
    } else {
        fuzz::Require(!f.checkOk, "a frame cut off is called correct");
    }
    if (f.hasStatus) fuzz::Require(f.fromDevice, "status bytes in a request");
    (void)DescribeHartFrame(f, bytes);
}

void CheckTunnel(const TunnelFrameInfo& t, const std::uint8_t* bytes, std::size_t count) {
    if (!t.found) return;
    // The wrapper starts right after the noise before it.
    fuzz::Require(t.noiseBefore < count, "wrapper start outside the input");
    fuzz::Require(bytes[t.noiseBefore] == (t.request ? 0xBB : 0x66), "wrapper start is not its start byte");
    if (t.complete) fuzz::Require(t.missing == 0, "a complete wrapper lacks bytes");
    if (t.hasHart) CheckHart(t.hart, bytes, count, true);
    (void)DescribeTunnelFrame(t, bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t count = size - 1;
    // An empty input still gets a block of its own, one byte the decoder must not touch.
    auto bytes = std::make_unique<std::uint8_t[]>(count);
    std::copy(data + 1, data + size, bytes.get());
    const FrameDirection direction = (data[0] & 0x01) ? FrameDirection::FromDevice : FrameDirection::ToDevice;
    CheckHart(DecodeHartFrame(bytes.get(), count, direction), bytes.get(), count, false);
    CheckTunnel(DecodeTunnelFrame(bytes.get(), count, direction, (data[0] & 0x02) ? 6 : 4), bytes.get(), count);
    (void)CommandName(data[0]);
    (void)ResponseCodeMeaning(data[0]);
    return 0;
}
