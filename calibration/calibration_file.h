#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calibration/calibration_set.h"
#include "device/device_state.h"
#include "calibration/calibration_form.h"
#include "calibration/calibration_set.h"
#include "link/ini_file.h"

namespace quillon {

// The open and save dialogs of calibration files (OpenDialog1, SaveDialog1).
struct CalibrationFileDialog {
    static constexpr const char* kDialogName = "CalibrationFileDialog";
    bool save = false;
    std::string title;
    std::string defaultExtension = "clb";
    std::vector<std::string> filters;  // "description (*.ext)"
    std::string directory;             // where the dialog starts
    std::string fileName;              // proposed name in, chosen path out
};

// Kinds of calibration file (kept as `calibrationFileKind`).
inline constexpr int kFileBinarySegments = 0;
inline constexpr int kFileIniCodePoints = 1;
inline constexpr int kFileIniFloatPairs = 2;
inline constexpr int kFileIniCodePairs = 3;

inline constexpr std::size_t kSegmentRecordSize = 12;
// No device keeps more than 25 points, so no file holds more than 24 segments.
inline constexpr std::size_t kMaxSegmentRecords = 24;
inline constexpr int kMaxIniPoints = 25;

// Said when a segment calibration with an extra point is saved: the file cannot keep it.
std::string ExtraPointNotKeptText(const ExtraPoint& point, char separator);

// Binary records: start code (3 bytes), start value and slope (floats), all
// least significant byte first, then the check byte of the 11 before it.
std::string EncodeSegmentRecords(const std::vector<CalibrationSegment>& table);
// False when a record's check byte is wrong; `bytes` holds whole records.
bool DecodeSegmentRecords(std::string_view bytes, std::vector<CalibrationSegment>& table);

// What an INI calibration file holds.
struct IniCalibration {
    int kind = kFileIniCodePoints;
    std::vector<CodePoint> codePoints;              // kind 1
    std::vector<TemperaturePair> temperaturePairs;  // kinds 2, 3 (kind 3: codes bit for bit)
    std::optional<std::array<std::uint8_t, 8>> sensorId;
    std::uint8_t enabled = 1;
    bool error = false;  // a point without its value, or a value out of range
    bool pointsBeyondLimit = false;  // the file goes on past the points read
};

// Kind of the file behind `ini`: 1, 2, 3, or 0 when it is no INI calibration.
int CalibrationFileKindOf(const TIniFileVant& ini);
// Reads up to `limit` points of an INI calibration of kind 1, 2 or 3.
IniCalibration ReadIniCalibration(const TIniFileVant& ini, int kind, int limit);

// Asks for the file to save into; none when cancelled or when the engineer
// keeps an existing file. The folder becomes the dialogs' starting folder.
std::optional<std::string> ChooseSaveFile(DeviceState& s, const std::string& proposedName);

// Writes `list` of the calibration in memory in its own file form: segments
// as binary records, code points and temperature pairs as an INI file. A list
// that would not load back equal is refused with a message before a name is
// asked, and no file is touched. True when written.
bool SaveCalibrationFile(DeviceState& s, CalibrationSet& cal, CalibrationList list, const std::string& proposedName);

// The form of the calibration in memory: the identified device's, or with
// none the form of the file loaded last.
CalibrationList CalibrationFormInMemory(const DeviceState& s, const CalibrationSet& cal);
// Writes the list of that form.
bool SaveCalibrationFile(DeviceState& s, CalibrationSet& cal, const std::string& proposedName);

// The same without the file dialogs, for callers that have the path (the
// command line): the messages of the save or load are still shown.
bool SaveCalibrationFileAt(DeviceState& s, CalibrationSet& cal, CalibrationList list, const std::string& path);
bool LoadCalibrationFileAt(DeviceState& s, CalibrationSet& cal, const std::string& path);

// Asks for a file and loads it into the calibration in memory; true when a
// usable calibration of at least two points is there now. `openedName` gets
// the chosen path.
bool LoadCalibrationFile(DeviceState& s, CalibrationSet& cal, std::string* openedName = nullptr);

}  // namespace quillon
