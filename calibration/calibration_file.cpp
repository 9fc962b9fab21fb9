#include "calibration/calibration_file.h"
#include "calibration/finite_values.h"
#include "device/hex_text.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "device/number_entry.h"
#include "device/parameter_access.h"
#include "device/variant.h"
#include "link/atomic_file.h"
#include "link/message_boxes.h"

namespace quillon {

namespace {

constexpr const char* kTypeSection = "Type_Calibr";
constexpr const char* kPointsSection = "Temperature_Calibration";
constexpr const char* kIdSection = "SensorIDSection";
constexpr int kMaxCode = 16777215;
constexpr int kNoDeviceYet = 255;
// Keys numbered past this are not looked for behind a gap in the point list.
constexpr int kGapSearchEnd = 256;
// The key of a disabled calibration; enabled ones do not write it.
constexpr const char* kEnabledKey = "ClbEnabled";

void PutLe(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t GetLe(const std::uint8_t* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

std::string Key(const char* stem, int k) { return stem + std::to_string(k); }

// A key of the point list: absent (the list ends before it), or present with
// a value that is readable or not (the file is bad).
template <typename T>
struct PointKey {
    bool present = false;
    std::optional<T> value;
};

// A float key: readable when it is a number that rounds to a finite single.
PointKey<float> ReadFloatKey(const TIniFileVant& ini, const std::string& key) {
    if (!ini.ValueExists(kPointsSection, key)) return {};
    return {true, SingleFromDouble(ini.ReadFloat(kPointsSection, key, NAN))};
}

// An integer key, as the profile functions read it.
PointKey<int> ReadIntegerKey(const TIniFileVant& ini, const std::string& key) {
    if (!ini.ValueExists(kPointsSection, key)) return {};
    int value = 0;
    if (!ParseProfileInteger(ini.ReadString(kPointsSection, key, ""), value)) return {true, std::nullopt};
    return {true, value};
}

bool NoDeviceIdentified(const DeviceState& s) { return s.identity.softwareRevision == kNoDeviceYet; }

// Fifteen significant digits read back to the same single for every finite
// one (the reader rounds the largest back down to it); only the sign of zero
// needs writing out.
std::string FloatText(float v, char sep) {
    if (v == 0.0f && std::signbit(v)) return "-0";
    return FormatGeneral(static_cast<double>(v), 15, sep);
}

}  // namespace

std::string ExtraPointNotKeptText(const ExtraPoint& point, char separator) {
    return "Добавочная точка (Код: " + std::to_string(point.code) + " Тем-ра : " +
           FormatGeneral(point.value, 7, separator) + ") в файл не записана: файл калибровки её не хранит.";
}

std::string EncodeSegmentRecords(const std::vector<CalibrationSegment>& table) {
    std::string out;
    for (const CalibrationSegment& seg : table) {
        const std::size_t start = out.size();
        PutLe(out, seg.startCode & 0xFFFFFF, 3);
        PutLe(out, std::bit_cast<std::uint32_t>(seg.startValue), 4);
        PutLe(out, std::bit_cast<std::uint32_t>(seg.slope), 4);
        out.push_back(static_cast<char>(XorCheck(reinterpret_cast<const std::uint8_t*>(out.data() + start), 11)));
    }
    return out;
}

bool DecodeSegmentRecords(std::string_view bytes, std::vector<CalibrationSegment>& table) {
    table.clear();
    for (std::size_t at = 0; at + kSegmentRecordSize <= bytes.size(); at += kSegmentRecordSize) {
        const auto* r = reinterpret_cast<const std::uint8_t*>(bytes.data() + at);
        if (!VerifyXorCheck(r, kSegmentRecordSize)) {
            table.clear();
            return false;
        }
        table.push_back({GetLe(r, 3), std::bit_cast<float>(GetLe(r + 3, 4)), std::bit_cast<float>(GetLe(r + 7, 4))});
    }
    return true;
}

int CalibrationFileKindOf(const TIniFileVant& ini) {
    if (!ini.loadError().empty()) return kFileBinarySegments;
    switch (ini.ReadInteger(kTypeSection, "Ver", -1)) {
        case 1: return kFileIniFloatPairs;
        case 2: return kFileIniCodePairs;
        default: break;
    }
    return ini.ReadInteger(kPointsSection, "T_code0", -1) != -1 ? kFileIniCodePoints : kFileBinarySegments;
}

IniCalibration ReadIniCalibration(const TIniFileVant& ini, int kind, int limit) {
    IniCalibration c;
    c.kind = kind;
    std::array<std::uint8_t, 8> id{};
    bool idComplete = true;
    for (int k = 0; k < 8; ++k) {
        const int byte = ini.ReadInteger(kIdSection, Key("ID", k + 1), -1);
        if (byte < 0 || byte > 255) idComplete = false;
        id[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(byte & 0xFF);
    }
    if (idComplete) c.sensorId = id;

    for (int k = 0; k < limit && !c.error; ++k) {
        float reading = 0.0f;
        int code = -1;
        if (kind == kFileIniFloatPairs) {
            const PointKey<float> r = ReadFloatKey(ini, Key("T_code", k));
            if (!r.present) break;
            if (!r.value) {
                c.error = true;
                break;
            }
            reading = *r.value;
        } else {
            const PointKey<int> r = ReadIntegerKey(ini, Key("T_code", k));
            if (!r.present) break;
            code = r.value.value_or(-1);
            if (code < 0 || (kind == kFileIniCodePoints && code > kMaxCode)) c.error = true;
        }
        const std::optional<float> value = ReadFloatKey(ini, Key("T_value", k)).value;
        if (!value) c.error = true;
        if (c.error) break;
        if (kind == kFileIniCodePoints) {
            // The tool writes code points in ascending order; anything else
            // would give a characteristic with wrapped code spans.
            if (!c.codePoints.empty() && static_cast<std::uint32_t>(code) <= c.codePoints.back().code) {
                c.error = true;
                break;
            }
            c.codePoints.push_back({static_cast<std::uint32_t>(code), *value, 0.0f});
        } else if (kind == kFileIniCodePairs) {
            c.temperaturePairs.push_back({*value, std::bit_cast<float>(static_cast<std::int32_t>(code))});
        } else {
            c.temperaturePairs.push_back({*value, reading});
        }
    }
    const std::size_t read = c.codePoints.size() + c.temperaturePairs.size();
    // Only the end of the list may end it: a key left out in the middle would
    // silently cut off every point after it.
    if (!c.error && (limit < 0 || read < static_cast<std::size_t>(limit)))
        for (int k = static_cast<int>(read); k < kGapSearchEnd && !c.error; ++k)
            c.error = (k > static_cast<int>(read) && ini.ValueExists(kPointsSection, Key("T_code", k))) ||
                      ini.ValueExists(kPointsSection, Key("T_value", k));
    c.pointsBeyondLimit = !c.error && limit >= 0 && read == static_cast<std::size_t>(limit) &&
                          ini.ValueExists(kPointsSection, Key("T_code", limit));
    const int enabled = ini.ReadInteger(kPointsSection, kEnabledKey, -1);
    c.enabled = enabled == -1 ? 1 : (enabled != 0 ? 1 : 0);
    return c;
}

std::optional<std::string> ChooseSaveFile(DeviceState& s, const std::string& proposedName) {
    CalibrationFileDialog dialog;
    dialog.save = true;
    dialog.title = "Запись калибровки в файл";
    dialog.filters = {"Calibr files (*.clb)"};
    dialog.directory = s.settings.settingsDirectory;
    dialog.fileName = proposedName;
    if (!s.ui.show(dialog) || dialog.fileName.empty()) return std::nullopt;
    std::error_code ec;
    if (std::filesystem::exists(dialog.fileName, ec) &&
        s.ui.message(MessageIcon::Confirmation, "Файл " + dialog.fileName + " уже существует. Отменить запись?",
                     MessageButtons::YesNo) == MessageAnswer::Yes)
        return std::nullopt;
    const std::string folder = std::filesystem::path(dialog.fileName).parent_path().string();
    if (!folder.empty()) s.settings.settingsDirectory = folder;
    return dialog.fileName;
}

namespace {

bool SaveIni(DeviceState& s, CalibrationSet& cal, CalibrationList list, const std::string& name) {
    const CalibrationSet& set = cal;
    const char sep = s.decimalSeparator;
    // The file keeps numbers as text, and no text of a NaN would load back.
    std::size_t bad = FirstNonFiniteCodePoint(set.codePoints);
    if (bad == 0) bad = FirstNonFinitePair(set.temperaturePairs, set.readingsAreCodes);
    if (bad != 0) {
        ErrorBox(s, NonFiniteSaveRefusal("точка " + std::to_string(bad)));
        return false;
    }
    TIniFileVant ini(name, sep);
    if (!ini.loadError().empty()) {
        ErrorBox(s, "Не могу открыть файл " + name + " !");
        return false;
    }
    ini.EraseSection(kPointsSection);
    ini.EraseSection(kIdSection);
    if (set.calibrationHasSensorId)
        for (int k = 0; k < 8; ++k) ini.WriteInteger(kIdSection, Key("ID", k + 1), set.calibrationSensorId[k]);
    if (list == CalibrationList::TemperaturePairs) {
        // The kind follows what the list carries, so that codes are never written as floats.
        const bool codes = set.readingsAreCodes;
        ini.WriteInteger(kTypeSection, "Ver", codes ? 2 : 1);
        for (std::size_t k = 0; k < set.temperaturePairs.size(); ++k) {
            const TemperaturePair& p = set.temperaturePairs[k];
            const int n = static_cast<int>(k);
            if (codes)
                ini.WriteInteger(kPointsSection, Key("T_code", n), std::bit_cast<std::int32_t>(p.sensorReading));
            else
                ini.WriteString(kPointsSection, Key("T_code", n), FloatText(p.sensorReading, sep));
            ini.WriteString(kPointsSection, Key("T_value", n), FloatText(p.value, sep));
        }
        // Written only for a disabled calibration: a file of an enabled one
        // stays as it has always been, and a file without it loads as enabled.
        if (set.calibrationEnabled == 0) ini.WriteInteger(kPointsSection, kEnabledKey, 0);
    } else {
        // A Ver left from an older temperature-pair file would make these codes read as readings.
        ini.DeleteKey(kTypeSection, "Ver");
        for (std::size_t k = 0; k < set.codePoints.size(); ++k) {
            const int n = static_cast<int>(k);
            ini.WriteInteger(kPointsSection, Key("T_code", n), static_cast<int>(set.codePoints[k].code));
            ini.WriteString(kPointsSection, Key("T_value", n), FloatText(set.codePoints[k].value, sep));
        }
    }
    std::string error;
    if (!ini.Save(error)) {
        ErrorBox(s, "Произошла ошибка записи файла!");
        return false;
    }
    return true;
}

bool SaveBinary(DeviceState& s, CalibrationSet& cal, const std::string& name) {
    std::string error;
    switch (ReplaceFileAtomically(name, EncodeSegmentRecords(cal.segmentTable), error)) {
        case FileReplaceResult::CannotCreate: ErrorBox(s, "Не могу открыть файл " + name + " !"); return false;
        case FileReplaceResult::WriteFailed: ErrorBox(s, "Произошла ошибка записи файла!"); return false;
        case FileReplaceResult::Done: break;
    }
    InfoBox(s, "Данные были успешно записаны в файл " + name + " .");
    // The records have no place for it: the engineer learns now, not when a
    // write of this file clears it in the device.
    if (cal.extraPoint.present)
        s.ui.message(MessageIcon::Warning, ExtraPointNotKeptText(cal.extraPoint, s.decimalSeparator),
                     MessageButtons::Ok);
    return true;
}

}  // namespace

CalibrationList CalibrationFormInMemory(const DeviceState& s, const CalibrationSet& cal) {
    if (const auto form = DeviceCalibrationForm(s.identity)) return *form;
    if (s.identity.softwareRevision == kNoDeviceYet) return FileKindForm(cal.calibrationFileKind);
    if (isRev14or16(s.identity)) return CalibrationList::TemperaturePairs;
    return s.identity.extendedCalibration ? CalibrationList::CodePoints : CalibrationList::Segments;
}

bool SaveCalibrationFile(DeviceState& s, CalibrationSet& cal, const std::string& proposedName) {
    return SaveCalibrationFile(s, cal, CalibrationFormInMemory(s, cal), proposedName);
}

bool SaveCalibrationFile(DeviceState& s, CalibrationSet& cal, CalibrationList list, const std::string& proposedName) {
    // Refused before the name is asked, so the file chosen is never touched.
    if (const std::string problem = SaveProblem(cal, list, s.identity); !problem.empty()) {
        ErrorBox(s, problem);
        return false;
    }
    const auto name = ChooseSaveFile(s, proposedName);
    if (!name) return false;
    return list == CalibrationList::Segments ? SaveBinary(s, cal, *name) : SaveIni(s, cal, list, *name);
}

bool SaveCalibrationFileAt(DeviceState& s, CalibrationSet& cal, CalibrationList list, const std::string& path) {
    if (const std::string problem = SaveProblem(cal, list, s.identity); !problem.empty()) {
        ErrorBox(s, problem);
        return false;
    }
    return list == CalibrationList::Segments ? SaveBinary(s, cal, path) : SaveIni(s, cal, list, path);
}

namespace {

bool LoadIni(DeviceState& s, CalibrationSet& cal, const TIniFileVant& ini, int kind) {
    CalibrationSet& set = cal;
    DeviceIdentity& id = s.identity;
    const bool noDevice = NoDeviceIdentified(s);
    // Every point the file holds is read, whatever the device: cutting at its point count would
    // show and save a shorter calibration than the file's as if it were whole. The send refuses
    // a list the device has no room for.
    IniCalibration c = ReadIniCalibration(ini, kind, kMaxIniPoints);
    if (c.sensorId) {
        set.calibrationSensorId = *c.sensorId;
        set.calibrationHasSensorId = true;
        InfoBox(s, "Калибровка сделана для сенсора с ID = " + HexBytesText(*c.sensorId));
    }
    if (c.error) {
        ErrorBox(s, "Ошибка вычитывания калибровки из данного файла!");
        return false;
    }
    if (c.pointsBeyondLimit) {
        ErrorBox(s, "В файле больше " + std::to_string(kMaxIniPoints) +
                        " точек калибровки: столько не хранит ни один датчик. Калибровка не загружена!");
        return false;
    }
    set.calibrationEnabled = c.enabled;
    if (id.sensorIdKnown && set.calibrationHasSensorId && id.sensorId != set.calibrationSensorId)
        InfoBox(s,
                "Серийный номер подключенного датчика и серийный номер калибровки не совпадают! Запись этой "
                "калибровки в датчик будет невозможной!");
    if (noDevice) id.extendedCalibration = true;
    // A file chosen and nothing shown would leave the engineer guessing.
    const auto tooFew = [&s](std::size_t points) {
        if (points >= 2) return false;
        ErrorBox(s, "В файле меньше двух точек калибровки!");
        return true;
    };
    // Shown whole, but the engineer learns now, not at the send, that this device cannot take it.
    const auto tellIfTooMany = [&s, &id, noDevice](std::size_t points) {
        if (noDevice || points <= static_cast<std::size_t>(std::max(id.calibrationPointCount, 0))) return;
        InfoBox(s, TooManyPointsForDevice(id.calibrationPointCount, points));
    };
    if (kind == kFileIniCodePoints) {
        if (tooFew(c.codePoints.size())) return false;
        tellIfTooMany(c.codePoints.size());
        set.codePoints = std::move(c.codePoints);
        SegmentsFromPoints(set, std::max<int>(id.calibrationPointCount, static_cast<int>(set.codePoints.size())));
        return true;
    }
    if (tooFew(c.temperaturePairs.size())) return false;
    tellIfTooMany(c.temperaturePairs.size());
    set.temperaturePairs = std::move(c.temperaturePairs);
    set.readingsAreCodes = kind == kFileIniCodePairs;
    SortPairsByValue(set.temperaturePairs);
    return true;
}

bool LoadBinary(DeviceState& s, CalibrationSet& cal, const std::string& name) {
    CalibrationSet& set = cal;
    const bool noDevice = NoDeviceIdentified(s);
    std::error_code ec;
    const bool regular = std::filesystem::is_regular_file(name, ec);
    std::ifstream in;
    if (regular) in.open(name, std::ios::binary);
    if (!regular || !in) {
        ErrorBox(s, "Не могу открыть файл " + name + " !");
        return false;
    }
    const std::uintmax_t size = std::filesystem::file_size(name, ec);
    if (ec) {
        ErrorBox(s, "Произошла ошибка считывания файла!");
        return false;
    }
    std::size_t records = 0;
    if (noDevice) {
        // Without a device the file says how many segments it holds.
        if (size > kMaxSegmentRecords * kSegmentRecordSize) {
            ErrorBox(s, "Размер файла не соответствует файлу калибровки!");
            return false;
        }
        records = size % kSegmentRecordSize == 0 ? static_cast<std::size_t>(size / kSegmentRecordSize) : 0;
    } else {
        records = SegmentRecordLimit(s.identity);
        if (size > records * kSegmentRecordSize) {
            // The rest would be lost silently: a file for a device with more points.
            ErrorBox(s, "Размер файла не соответствует количеству точек калибровки датчика!");
            return false;
        }
    }
    std::string bytes(records * kSegmentRecordSize, '\0');
    if (records == 0 || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        ErrorBox(s, "Произошла ошибка считывания файла!");
        return false;
    }
    if (!DecodeSegmentRecords(bytes, set.segmentTable)) {
        ErrorBox(s, "Ошибка контрольной суммы !");
        return false;
    }
    if (noDevice) s.identity.extendedCalibration = false;
    PointsFromSegments(set);
    InfoBox(s, "Данные из файла были успешно считаны!");
    return true;
}

}  // namespace

bool LoadCalibrationFile(DeviceState& s, CalibrationSet& cal, std::string* openedName) {
    CalibrationSet& set = cal;
    set.clearLists();
    set.calibrationHasSensorId = false;
    set.extraPoint = {};
    CalibrationFileDialog dialog;
    dialog.title = "Открытие файла с калибровкой";
    dialog.filters = {"Calibr files (*.clb)", "All files (*.*)"};
    dialog.directory = s.settings.settingsDirectory;
    if (!s.ui.show(dialog) || dialog.fileName.empty()) return false;
    if (openedName) *openedName = dialog.fileName;
    return LoadCalibrationFileAt(s, cal, dialog.fileName);
}

bool LoadCalibrationFileAt(DeviceState& s, CalibrationSet& cal, const std::string& path) {
    CalibrationSet& set = cal;
    set.clearLists();
    set.calibrationHasSensorId = false;
    set.extraPoint = {};
    const TIniFileVant ini(path, s.decimalSeparator);
    const int kind = CalibrationFileKindOf(ini);
    set.calibrationFileKind = kind;
    const bool ok = kind == kFileBinarySegments ? LoadBinary(s, cal, path) : LoadIni(s, cal, ini, kind);
    if (!ok) set.clearLists();
    return ok;
}

}  // namespace quillon
