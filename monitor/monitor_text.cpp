#include "monitor/monitor_text.h"

#include <cstdio>

#include "device/response_codes.h"
#include "monitor/frame_decoder.h"
#include "monitor/hart_ip_view.h"

namespace quillon {

namespace {

std::string Ms(std::int64_t us) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(us) / 1000.0);
    return text;
}

FrameDirection DirectionOf(const MonitorEntry& e) {
    return e.kind == EntryKind::Sent ? FrameDirection::ToDevice : FrameDirection::FromDevice;
}

bool IsWakeUp(const MonitorEntry& e) { return e.bytes.size() == 2 && e.bytes[0] == 0x73 && e.bytes[1] == 0x6B; }

bool LooksTunnelled(const MonitorEntry& e) {
    if (!e.tunnel) return false;
    const std::uint8_t start = e.kind == EntryKind::Sent ? 0xBB : 0x66;
    for (auto b : e.bytes)
        if (b == start) return true;
    return false;
}

std::string TimingText(const MonitorEntry& e) {
    std::string text;
    if (e.turnaroundUs >= 0)
        text = e.hartIp ? "ответ через " + Ms(e.turnaroundUs) + " мс после отправки"
                        : "первый байт через " + Ms(e.turnaroundUs) + " мс после снятия RTS";
    if (e.reads > 1) {
        if (!text.empty()) text += "; ";
        text += "чтений " + std::to_string(e.reads) + ", паузы между ними мин " + Ms(e.minGapUs) + " / сред " +
                Ms(e.sumGapUs / (e.reads - 1)) + " / макс " + Ms(e.maxGapUs) + " мс";
    }
    return text;
}

std::string EventText(const MonitorEntry& e) {
    const std::string wait = std::to_string(e.detail);
    switch (e.event) {
        case MonitorEvent::FirstByteTimeout: return "Нет ответа: первый байт не пришёл за " + wait + " мс";
        case MonitorEvent::NoStartByte: return "Нет ответа: начало кадра не пришло за " + wait + " мс";
        case MonitorEvent::NextByteTimeout: return "Ответ оборван: следующий байт не пришёл за " + wait + " мс";
        case MonitorEvent::BadCheck: return "Ответ отвергнут: неверный контрольный байт";
        case MonitorEvent::BadTunnelAnswer: return "Ответ вычислителя отвергнут: длина или CRC";
        case MonitorEvent::TunnelError: return "Вычислитель сообщил об ошибке, код " + wait;
        case MonitorEvent::NoTunnelAnswer: return "Вычислитель не ответил за " + wait + " мс";
        case MonitorEvent::LineErrors: {
            std::string text = LineErrorStatusText(e.detail);
            while (!text.empty() && (text.back() == ' ' || text.back() == ';')) text.pop_back();
            return "Ошибка приёма: " + text;
        }
        case MonitorEvent::Aborted: return "Ожидание прервано (Enter, Esc или Стоп)";
        case MonitorEvent::PasswordRefused: return "Пароль отвергнут: связь прекращена";
        case MonitorEvent::PortNotSelected: return "Порт не выбран: запрос не отправлен";
        case MonitorEvent::BadRequest: {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(e.detail) & 0xFFu);
            return std::string("Запрос не отправлен: неверный разделитель ") + hex;
        }
        case MonitorEvent::Recovery: return "Восстановление связи: «sk» на скоростях 300-3200";
        case MonitorEvent::OtherLinkType: return "Неизвестный тип связи " + wait + ": запрос не отправлен";
        case MonitorEvent::WrongFrameType: return "Ответ отвергнут: тип кадра (короткий или длинный) не тот, что у запроса";
        case MonitorEvent::WrongAddress: return "Ответ отвергнут: адрес не совпадает с адресом запроса";
        case MonitorEvent::WrongByteCount: return "Ответ отвергнут: длина кадра не сходится со счётчиком байт";
        case MonitorEvent::WrongCommand: return "Ответ отвергнут: это ответ на другую команду";
        case MonitorEvent::HartIpNoAnswer: return "Нет ответа от сервера HART-IP за " + wait + " мс";
        case MonitorEvent::HartIpNotAMessage:
            return "Ответ отвергнут: сервер прислал не сообщение HART-IP; следующий запрос откроет новый сеанс";
        case MonitorEvent::SessionRenewal: return "Новый сеанс HART-IP: " + e.reason;
        case MonitorEvent::LinkFailure: return "Связь по HART-IP прервана: " + e.reason;
        case MonitorEvent::None: break;
    }
    return {};
}

}  // namespace

std::string EntryTimeText(const MonitorEntry& e) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(e.atUs) / 1000.0);
    return text;
}

std::string EntryDirectionText(const MonitorEntry& e) {
    switch (e.kind) {
        case EntryKind::Sent: return "→";
        case EntryKind::Received: return "←";
        case EntryKind::Event: break;
    }
    return "•";
}

std::string EntryDecodedText(const MonitorEntry& e) {
    std::string text;
    if (e.kind == EntryKind::Event) {
        text = EventText(e);
    } else if (e.kind == EntryKind::Sent && IsWakeUp(e)) {
        text = "Пробуждение вычислителя «sk»";
    } else if (e.hartIp) {
        text = DescribeHartIpBytes(e.bytes.data(), e.bytes.size(), e.kind == EntryKind::Sent);
    } else if (LooksTunnelled(e)) {
        const auto t = DecodeTunnelFrame(e.bytes.data(), e.bytes.size(), DirectionOf(e), e.tunnelHeader);
        text = DescribeTunnelFrame(t, e.bytes.data());
    } else {
        const auto f = DecodeHartFrame(e.bytes.data(), e.bytes.size(), DirectionOf(e));
        text = DescribeHartFrame(f, e.bytes.data());
    }
    if (e.kind == EntryKind::Received) {
        if (auto timing = TimingText(e); !timing.empty()) text += "; " + timing;
    }
    if (e.droppedBytes) text += "; ещё байтов не показано: " + std::to_string(e.droppedBytes);
    if (e.recovery && e.kind != EntryKind::Event) text += " (восстановление)";
    if (!e.note.empty()) text += " [" + e.note + "]";
    return text;
}

std::string EntryRawText(const MonitorEntry& e) {
    std::size_t maskFrom = 0, maskTo = 0;
    if (e.kind == EntryKind::Sent && LooksTunnelled(e)) {
        const auto t = DecodeTunnelFrame(e.bytes.data(), e.bytes.size(), FrameDirection::ToDevice, e.tunnelHeader);
        if (t.found) {
            maskFrom = t.credentialsOffset;
            maskTo = t.credentialsOffset + 16;
        }
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(e.bytes.size() * 3);
    for (std::size_t i = 0; i < e.bytes.size(); ++i) {
        if (i) text += ' ';
        if (i >= maskFrom && i < maskTo) {
            text += "**";
            continue;
        }
        text += kDigits[e.bytes[i] >> 4];
        text += kDigits[e.bytes[i] & 0x0F];
    }
    return text;
}

std::string EntryLine(const MonitorEntry& e) {
    std::string line = EntryTimeText(e) + " мс\t" + EntryDirectionText(e) + "\t" + (e.port.empty() ? "-" : e.port) +
                       "\t" + EntryDecodedText(e);
    if (!e.bytes.empty()) line += "\t| " + EntryRawText(e);
    return line;
}

}  // namespace quillon
