#include "device/held_output.h"

#include <algorithm>

#include "device/device_state.h"
#include "device/hex_text.h"
#include "device/number_entry.h"

namespace quillon {

namespace {

using LongAddress = std::array<std::uint8_t, 5>;

void ShowBanner(DeviceState& s) {
    std::string text = HeldOutputBanner(s);
    if (text == s.heldOutput.shownBanner) return;
    s.heldOutput.shownBanner = text;
    s.ui.setFixedOutputBanner(text);
}

void Append(std::string& text, const std::string& part) {
    if (!text.empty()) text += "; ";
    text += part;
}

HeldDevice* Find(DeviceState& s, const LongAddress& address) {
    auto& devices = s.heldOutput.devices;
    auto it =
        std::find_if(devices.begin(), devices.end(), [&](const HeldDevice& d) { return d.longAddress == address; });
    return it == devices.end() ? nullptr : &*it;
}

// The record of the identified device, on the route it answers on now.
HeldDevice& CurrentDevice(DeviceState& s) {
    HeldDevice* d = Find(s, s.identity.longAddress);
    if (!d) {
        s.heldOutput.devices.push_back({});
        d = &s.heldOutput.devices.back();
        d->longAddress = s.identity.longAddress;
    }
    d->route = CurrentRoute(s);
    return *d;
}

void DropReleased(DeviceState& s) {
    std::erase_if(s.heldOutput.devices, [](const HeldDevice& d) { return !d.loopValue && !d.duty; });
    ShowBanner(s);
}

std::string LoopText(const HeldDevice& d, char sep, bool forQuestion) {
    const std::string value = FormatDecimals(*d.loopValue, 4, sep);
    if (forQuestion) return d.loopIsVoltage ? "напряжение " + value + " В" : "ток " + value + " мА";
    return d.loopIsVoltage ? "Напряжение зафиксировано: " + value + " В" : "Ток зафиксирован: " + value + " мА";
}

std::string DutyText(const HeldDevice& d, char sep, bool forQuestion) {
    const std::string value = FormatDecimals(*d.duty, 5, sep);
    return forQuestion ? "скважность ШИМ " + value : "Скважность ШИМ зафиксирована: " + value;
}

}  // namespace

void NoteFixedLoopOutput(DeviceState& s, double value, bool voltage) {
    if (value == 0.0) return NoteLoopReleased(s, s.identity.longAddress);
    HeldDevice& d = CurrentDevice(s);
    d.loopValue = value;
    d.loopIsVoltage = voltage;
    ShowBanner(s);
}

void NoteFixedDuty(DeviceState& s, std::optional<float> duty) {
    if (!duty) return NoteDutyReleased(s, s.identity.longAddress);
    CurrentDevice(s).duty = duty;
    ShowBanner(s);
}

// The answer carried the long address, so it came from that device, on
// whichever route: its hold is over.
void NoteLoopReleased(DeviceState& s, const LongAddress& longAddress) {
    if (HeldDevice* d = Find(s, longAddress)) d->loopValue.reset();
    DropReleased(s);
}

void NoteDutyReleased(DeviceState& s, const LongAddress& longAddress) {
    if (HeldDevice* d = Find(s, longAddress)) d->duty.reset();
    DropReleased(s);
}

void NoteDeviceStatus(DeviceState& s, std::uint8_t deviceStatus) {
    NoteDeviceStatus(s, s.identity.longAddress, deviceStatus);
}

void NoteDeviceStatus(DeviceState& s, const LongAddress& longAddress, std::uint8_t deviceStatus) {
    s.heldOutput.deviceReportsFixedCurrent = (deviceStatus & kFixedCurrentStatusBit) != 0;
    s.heldOutput.reportingDevice = longAddress;
    ShowBanner(s);
}

std::string HeldOutputBanner(const DeviceState& s) {
    const HeldOutput& h = s.heldOutput;
    const char sep = s.decimalSeparator;
    std::string text;
    bool currentDeviceLoopKnown = false;
    for (const HeldDevice& d : h.devices) {
        std::string parts;
        if (d.loopValue) Append(parts, LoopText(d, sep, false));
        if (d.duty) Append(parts, DutyText(d, sep, false));
        Append(text, parts + " (датчик " + HexBytesText(d.longAddress) + ")");
        if (d.loopValue && d.longAddress == s.identity.longAddress) currentDeviceLoopKnown = true;
    }
    // Only the identified device's own word counts; another's is stale.
    if (h.deviceReportsFixedCurrent && h.reportingDevice == s.identity.longAddress && !currentDeviceLoopKnown)
        Append(text, "Датчик сообщает: ток зафиксирован");
    return text;
}

bool ToolHoldsOutput(const DeviceState& s) { return !s.heldOutput.devices.empty(); }

std::string ReleaseBeforeCloseQuestion(const DeviceState& s) {
    std::string held;
    const char sep = s.decimalSeparator;
    for (const HeldDevice& d : s.heldOutput.devices) {
        if (d.loopValue) Append(held, LoopText(d, sep, true));
        if (d.duty) Append(held, DutyText(d, sep, true));
    }
    return "Выход датчика зафиксирован (" + held +
           ").\nСнять фиксацию перед закрытием программы?\n\n"
           "Да - снять фиксацию и закрыть, Нет - закрыть, Отмена - не закрывать.";
}

}  // namespace quillon
