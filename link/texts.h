#pragma once

// Texts the link layer shows to the user, exactly as users know them.
namespace quillon::texts {

inline constexpr const char* kBadRequest = "Bad request";
inline constexpr const char* kPortNotSelected = "COM-port not selected!";
inline constexpr const char* kWrongTunnelPassword = "Неправильный пароль Brenta! Прекратить связь?";
// The same refusal as the reason an operation stopped.
inline constexpr const char* kWrongTunnelPasswordReason = "Неправильный пароль Brenta!";
inline constexpr const char* kProgressCaption = "Обращение к устройству";
inline constexpr const char* kProgressInitialText = "Запрос к  устройству ...";
inline constexpr const char* kGetLastErrorCaption = "GetLastError";

}  // namespace quillon::texts
