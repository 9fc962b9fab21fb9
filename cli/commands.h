#pragma once

#include <optional>
#include <string>

#include "cli/session.h"

namespace quillon::cli {

// Each sub-command returns the program's exit status.
int RunPorts(Session& x);
int RunIdentify(Session& x);

struct SettingOptions {
    int number = 0;
    std::string value;
    bool asFloat = false;
};
int RunSettingGet(Session& x, const SettingOptions& o);
int RunSettingSet(Session& x, const SettingOptions& o);

struct BlockOptions {
    int index = 0;
    int count = 8;  // payload bytes, the check byte not counted
};
int RunBlockGet(Session& x, const BlockOptions& o);

int RunAddressShort(Session& x, int address);
int RunTag(Session& x);
int RunPreambles(Session& x, std::optional<int> count);
int RunScan(Session& x, int highestAddress);

struct PollOptions {
    std::optional<long long> count;
    std::optional<double> seconds;
    std::optional<long long> intervalMs;  // pause after each poll
    bool extended = false;
    std::optional<std::string> csv;
};
int RunPoll(Session& x, const PollOptions& o);

int RunCalibrationRead(Session& x, const std::string& file);
int RunCalibrationWrite(Session& x, const std::string& file, bool clearExtraPoint);
int RunCalibrationShow(Session& x, const std::string& file);

enum class HeldKind { Current, Voltage, Duty };
struct FixOptions {
    HeldKind kind = HeldKind::Current;
    std::string valueText;  // as typed; checked as a single at the parse
    std::optional<double> holdSeconds;
    bool leaveFixed = false;
};
int RunFixOutput(Session& x, const FixOptions& o);
// Releases what a run with --leave-fixed left held on the device.
int RunRelease(Session& x);

// Any HART command: its number and the request's data bytes.
struct RawCommandOptions {
    int number = 0;
    std::string data;  // hex, spaces allowed
};
int RunRawCommand(Session& x, const RawCommandOptions& o);
// Whether command `number` only reads: anything else needs --yes.
bool IsReadOnlyCommand(int number);

int RunTagSet(Session& x, const std::string& tag);

// A 32-bit setting value as typed: 0x... gives the bits, a number with a point
// or an exponent (or any number with `asFloat`) a single, otherwise an integer.
std::optional<std::uint32_t> ParseSettingValue(const std::string& text, bool asFloat);

}  // namespace quillon::cli
