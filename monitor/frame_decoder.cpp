#include "monitor/frame_decoder.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "device/response_codes.h"
#include "link/crc16.h"
#include "link/frame_codec.h"

namespace quillon {

namespace {

bool IsStart(std::uint8_t b, FrameDirection direction) {
    if (direction == FrameDirection::ToDevice) return b == 0x02 || b == 0x82;
    return b == 0x06 || b == 0x86 || b == 0x01 || b == 0x81;
}

HartFrameInfo DecodeAt(const std::uint8_t* b, std::size_t count, std::size_t p) {
    HartFrameInfo f;
    f.found = true;
    f.start = p;
    f.delimiter = b[p];
    f.longFrame = (f.delimiter & 0x80) != 0;
    f.burst = (f.delimiter & 0x07) == 0x01;
    f.fromDevice = (f.delimiter & 0x07) != 0x02;
    while (f.preambles < p && b[p - 1 - f.preambles] == 0xFF) ++f.preambles;
    f.noiseBefore = p - f.preambles;

    std::size_t i = p + 1;
    const std::size_t addressLength = f.longFrame ? 5 : 1;
    if (count >= i + addressLength) {
        f.hasAddress = true;
        f.primaryMaster = (b[i] & 0x80) != 0;
        f.burstBit = (b[i] & 0x40) != 0;
        f.pollingAddress = b[i] & 0x3F;
        if (f.longFrame) std::copy(b + i, b + i + 5, f.longAddress.begin());
    }
    i += addressLength;
    if (i < count) {
        f.hasCommand = true;
        f.command = b[i++];
    }
    if (i < count) {
        f.hasByteCount = true;
        f.byteCount = b[i++];
    }
    if (!f.hasByteCount) {
        f.missing = 0;
        return f;
    }
    // The byte count covers the two status bytes of an answer; one too small
    // for them leaves whatever it counts as plain data.
    const bool statusCounted = f.fromDevice && f.byteCount >= 2;
    if (statusCounted && i + 2 <= count) {
        f.hasStatus = true;
        f.responseCode = b[i];
        f.deviceStatus = b[i + 1];
    }
    f.dataOffset = i + (statusCounted ? 2 : 0);
    const std::size_t promised = statusCounted ? f.byteCount - 2u : f.byteCount;
    f.dataCount = f.dataOffset < count ? std::min(promised, count - f.dataOffset) : 0;
    const std::size_t checkAt = i + f.byteCount;
    if (checkAt < count) {
        f.complete = true;
        f.checkByte = b[checkAt];
        f.expectedCheck = XorOf(b + p, checkAt - p);
        f.checkOk = f.checkByte == f.expectedCheck;
        f.trailing = count - checkAt - 1;
    } else {
        f.missing = checkAt + 1 - count;
    }
    return f;
}

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i) text += ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

std::string Hex2(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

std::string Number(std::size_t value) { return std::to_string(value); }

// The polling-line texts end in "; ", which reads badly inside a sentence.
std::string WithoutSeparator(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == ';')) text.pop_back();
    return text;
}

void Join(std::string& line, const std::string& part) {
    if (!line.empty()) line += "; ";
    line += part;
}

}  // namespace

HartFrameInfo DecodeHartFrame(const std::uint8_t* bytes, std::size_t count, FrameDirection direction) {
    HartFrameInfo first;
    for (std::size_t p = 0; p < count; ++p) {
        if (!IsStart(bytes[p], direction)) continue;
        HartFrameInfo f = DecodeAt(bytes, count, p);
        if (f.complete && f.checkOk) return f;
        if (!first.found) first = f;
    }
    if (!first.found) first.noiseBefore = count;
    return first;
}

TunnelFrameInfo DecodeTunnelFrame(const std::uint8_t* b, std::size_t count, FrameDirection direction,
                                  std::size_t answerHeader) {
    TunnelFrameInfo t;
    t.request = direction == FrameDirection::ToDevice;
    const std::uint8_t startByte = t.request ? 0xBB : 0x66;
    const std::uint8_t* at = std::find(b, b + count, startByte);
    t.noiseBefore = static_cast<std::size_t>(at - b);
    if (at == b + count) return t;
    t.found = true;
    const std::size_t s = t.noiseBefore;
    const std::size_t have = count - s;
    if (have > 1) t.address = b[s + 1];
    if (have > 2) {
        t.hasLength = true;
        t.length = b[s + 2];
    }
    std::size_t hartStart = 0;
    if (t.request) {
        if (have > 3) t.formatCode = b[s + 3];
        const bool format33 = t.formatCode == 0x21;
        if (format33 && have > 4) {
            t.hasLine = true;
            t.line = b[s + 4];
        }
        t.credentialsOffset = s + (format33 ? 6 : 4);
        hartStart = (format33 ? 6 : 4) + 16;
    } else {
        hartStart = answerHeader;
        t.errorAnswer = t.hasLength && t.length == 9;
        if (t.errorAnswer && have > 4) t.errorCode = b[s + 4];
    }
    if (!t.hasLength) return t;

    const std::size_t length = t.length;
    if (length >= 5 && have >= length) {
        t.complete = true;
        t.crc = static_cast<std::uint16_t>(b[s + length - 2] | (b[s + length - 1] << 8));
        t.expectedCrc = Crc16Modbus(b + s, length - 2);
        t.crcOk = t.crc == t.expectedCrc;
        t.trailing = have - length;
    } else if (have < length) {
        t.missing = length - have;
    }
    // The HART frame lies between the header and the CRC, as far as it arrived.
    if (!t.errorAnswer && length >= hartStart + 2 + 1) {
        const std::size_t hartEnd = std::min(s + length - 2, count);
        if (s + hartStart < hartEnd) {
            const std::size_t offset = s + hartStart;
            t.hart = DecodeHartFrame(b + offset, hartEnd - offset, direction);
            t.hasHart = t.hart.found;
            t.hart.start += offset;
            t.hart.dataOffset += offset;
        }
    }
    return t;
}

std::string CommandName(std::uint8_t command) {
    switch (command) {
        case 0: return "Чтение уникального идентификатора";
        case 1: return "Чтение первичной переменной";
        case 3: return "Чтение переменных и тока";
        case 6: return "Запись короткого адреса";
        case 19: return "Запись длинного адреса";
        case 20: return "Чтение тега";
        case 40: return "Фиксация тока";
        case 59: return "Запись числа преамбул ответа";
        case 176: return "Чтение параметра";
        case 177: return "Запись параметра";
        case 190: return "Запись блока параметров";
        case 191: return "Чтение блока параметров";
        case 192: return "Подтверждение блока параметров";
        default: return {};
    }
}

std::string ResponseCodeMeaning(std::uint8_t code) {
    if (code & 0x80) {
        // The device saw our request garbled; the other bits say how.
        std::string text = "ошибка связи у устройства";
        static constexpr struct {
            std::uint8_t bit;
            const char* name;
        } kBits[] = {{0x40, "чётность"},
                     {0x20, "переполнение"},
                     {0x10, "кадрирование"},
                     {0x08, "контрольный байт"},
                     {0x02, "переполнение буфера"}};
        std::string bits;
        for (const auto& b : kBits)
            if (code & b.bit) bits += (bits.empty() ? "" : ", ") + std::string(b.name);
        return bits.empty() ? text : text + ": " + bits;
    }
    if (code == 6 || code == 8) return WithoutSeparator(ResponseCodeStatusText(code));
    return ResponseCodeMessageText(code);
}

std::string DescribeHartFrame(const HartFrameInfo& f, const std::uint8_t* b) {
    std::string line;
    if (!f.found) return "кадр HART не найден";
    if (f.noiseBefore) Join(line, "байтов до кадра: " + Number(f.noiseBefore));
    if (f.preambles) Join(line, "преамбул " + Number(f.preambles));
    std::string kind = f.longFrame ? "длинный кадр" : "короткий кадр";
    kind += f.burst ? ", пакетный режим" : f.fromDevice ? ", ответ устройства" : ", ведущий → устройство";
    Join(line, "разделитель " + Hex2(f.delimiter) + " (" + kind + ")");
    if (f.hasAddress) {
        std::string address;
        if (f.longFrame) {
            std::array<std::uint8_t, 5> plain = f.longAddress;
            plain[0] &= 0x3F;
            address = "адрес " + Hex(plain.data(), plain.size());
        } else {
            address = "адрес " + Number(f.pollingAddress);
        }
        address += f.primaryMaster ? ", основной ведущий" : ", вторичный ведущий";
        if (f.burstBit) address += ", пакетный режим";
        Join(line, address);
    }
    if (f.hasCommand) {
        std::string command = "команда " + Number(f.command);
        const std::string name = CommandName(f.command);
        if (!name.empty()) command += " «" + name + "»";
        Join(line, command);
    }
    if (f.hasByteCount) Join(line, "счётчик байт " + Number(f.byteCount));
    if (f.hasStatus) {
        Join(line, "код ответа " + Number(f.responseCode) + " (" + ResponseCodeMeaning(f.responseCode) + ")");
        const std::string status = WithoutSeparator(DeviceStatusText(f.deviceStatus));
        Join(line, "статус устройства " + Hex2(f.deviceStatus) + (status.empty() ? "" : " (" + status + ")"));
    } else if (f.fromDevice && f.hasByteCount && f.byteCount < 2) {
        Join(line, "нет байтов статуса");
    }
    if (f.dataCount) Join(line, "данные " + Hex(b + f.dataOffset, f.dataCount));
    if (f.complete) {
        if (f.checkOk)
            Join(line, "контрольный байт " + Hex2(f.checkByte) + " верный");
        else
            Join(line,
                 "контрольный байт " + Hex2(f.checkByte) + " НЕВЕРНЫЙ (должен быть " + Hex2(f.expectedCheck) + ")");
    } else if (f.missing) {
        Join(line, "кадр оборван: не хватает " + Number(f.missing) + " байт");
    } else {
        Join(line, "кадр оборван");
    }
    if (f.trailing) Join(line, "байтов после кадра: " + Number(f.trailing));
    return line;
}

std::string DescribeTunnelFrame(const TunnelFrameInfo& t, const std::uint8_t* b) {
    if (!t.found) return t.request ? "кадр вычислителя (BB) не найден" : "ответ вычислителя (66) не найден";
    std::string line;
    if (t.noiseBefore) Join(line, "байтов до кадра: " + Number(t.noiseBefore));
    std::string head = t.request ? "вычислитель BB" : "вычислитель 66";
    head += ", адрес " + Number(t.address);
    if (t.hasLength) head += ", длина " + Number(t.length);
    Join(line, head);
    if (t.request && t.formatCode) {
        std::string format = t.formatCode == 0x0B   ? "формат 11"
                             : t.formatCode == 0x21 ? "формат 33"
                                                    : "формат " + Hex2(t.formatCode) + " (неизвестный)";
        if (t.hasLine) format += ", линия " + Number(t.line);
        Join(line, format);
        Join(line, "учётные данные скрыты");
    }
    if (t.errorAnswer) {
        std::string error = "ответ-ошибка, код " + Number(t.errorCode);
        if (t.errorCode == 4) error += " (пароль отвергнут)";
        Join(line, error);
    }
    if (t.complete) {
        char crc[64];
        if (t.crcOk)
            std::snprintf(crc, sizeof crc, "CRC %04X верная", t.crc);
        else
            std::snprintf(crc, sizeof crc, "CRC %04X НЕВЕРНАЯ (должна быть %04X)", t.crc, t.expectedCrc);
        Join(line, crc);
    } else if (t.missing) {
        Join(line, "кадр оборван: не хватает " + Number(t.missing) + " байт");
    } else {
        Join(line, "кадр оборван");
    }
    if (t.trailing) Join(line, "байтов после кадра: " + Number(t.trailing));
    if (t.hasHart) line += " | HART: " + DescribeHartFrame(t.hart, b);
    return line;
}

}  // namespace quillon
