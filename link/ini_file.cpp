#include "link/ini_file.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "link/cp1251.h"
#include "link/file_access.h"

namespace quillon {

namespace {

constexpr std::size_t npos = std::string::npos;

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// Case folding of the file's bytes: ASCII letters always, and in a Windows-1251
// file its Cyrillic letters too, as the Russian Windows profile functions do.
unsigned char Fold(unsigned char c, IniEncoding encoding) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (encoding == IniEncoding::Windows1251) {
        if (c >= 0xC0 && c <= 0xDF) return static_cast<unsigned char>(c + 32);
        if (c == 0xA8) return 0xB8;  // Ё
    }
    return c;
}

bool SameName(std::string_view a, std::string_view b, IniEncoding encoding) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(static_cast<unsigned char>(a[i]), encoding) != Fold(static_cast<unsigned char>(b[i]), encoding))
            return false;
    return true;
}

// The section name of a header line, or false when the line is not one.
bool SectionHeader(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return false;
    line.remove_prefix(1);
    const auto close = line.find(']');
    name = Trim(close == npos ? line : line.substr(0, close));
    return true;
}

bool KeyLine(std::string_view line, std::string_view& key, std::string_view& value) {
    const auto equals = line.find('=');
    if (equals == npos) return false;
    key = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return !key.empty() && key.front() != '[';
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

}  // namespace

bool ParseProfileInteger(std::string_view text, int& value) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t magnitude = 0;
    const auto hexDigit = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && hexDigit(text[2])) {
        // Hex is a bit pattern: 0xFFFFFFFF is -1, as the platform reads it.
        std::uint32_t bits = 0;
        const auto [end, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), bits, 16);
        if (ec != std::errc{}) return false;
        magnitude = static_cast<std::int32_t>(bits);
    } else {
        std::size_t i = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            magnitude = magnitude * 10 + (text[i] - '0');
            if (magnitude > std::int64_t{INT_MAX} + 1) return false;
        }
        if (i == 0) return false;
    }
    if (negative) magnitude = -magnitude;
    if (magnitude > INT_MAX || magnitude < INT_MIN) return false;
    value = static_cast<int>(magnitude);
    return true;
}

bool ParseDecimal(std::string_view text, char separator, double& value) {
    std::string normal(Trim(text));
    for (char& c : normal)
        if (c == '.' || c == ',' || c == separator) c = '.';
    std::string_view digits = normal;
    if (digits.size() > 1 && digits.front() == '+' && digits[1] != '-') digits.remove_prefix(1);
    if (digits.empty()) return false;
    double parsed = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
    if (ec != std::errc{} || end != digits.data() + digits.size() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

IniFile::IniFile(std::string path, IniEncoding encoding) : path_(std::move(path)), encoding_(encoding) { load(); }

void IniFile::load() {
    std::string content;
    if (ReadSmallFile(path_, kMaxFileSize, content, loadError_) != SmallFileRead::Read) return;

    bool eolSeen = false;
    std::size_t start = 0;
    while (start < content.size()) {
        const auto newline = content.find('\n', start);
        Line line;
        if (newline == npos) {
            line.text = content.substr(start);
            start = content.size();
        } else {
            const bool cr = newline > start && content[newline - 1] == '\r';
            line.text = content.substr(start, newline - start - (cr ? 1 : 0));
            line.eol = cr ? Eol::CrLf : Eol::Lf;
            start = newline + 1;
            if (!eolSeen) newEol_ = line.eol, eolSeen = true;
        }
        lines_.push_back(std::move(line));
    }
}

std::string IniFile::toFile(std::string_view text) const {
    return encoding_ == IniEncoding::Windows1251 ? Utf8ToCp1251(text) : std::string(text);
}

std::string IniFile::fromFile(std::string_view bytes) const {
    return encoding_ == IniEncoding::Windows1251 ? Cp1251ToUtf8(bytes) : std::string(bytes);
}

std::size_t IniFile::findSection(std::string_view fileSection) const {
    std::string_view name;
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (SectionHeader(lines_[i].text, name) && SameName(name, fileSection, encoding_)) return i;
    return npos;
}

std::size_t IniFile::sectionEnd(std::size_t header) const {
    std::string_view name;
    std::size_t i = header + 1;
    while (i < lines_.size() && !SectionHeader(lines_[i].text, name)) ++i;
    return i;
}

std::size_t IniFile::findKey(std::size_t header, std::string_view fileKey) const {
    std::string_view name, key, value;
    for (std::size_t i = header + 1; i < lines_.size(); ++i) {
        if (SectionHeader(lines_[i].text, name)) break;
        if (KeyLine(lines_[i].text, key, value) && SameName(key, fileKey, encoding_)) return i;
    }
    return npos;
}

std::string IniFile::toFileName(std::string_view name) const { return std::string(Trim(toFile(name))); }

bool IniFile::SectionExists(std::string_view section) const { return findSection(toFileName(section)) != npos; }

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
    const auto header = findSection(toFileName(section));
    return header != npos && findKey(header, toFileName(key)) != npos;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const {
    const auto header = findSection(toFileName(section));
    if (header == npos) return std::string(defaultValue);
    const auto at = findKey(header, toFileName(key));
    if (at == npos) return std::string(defaultValue);
    std::string_view name, value;
    KeyLine(lines_[at].text, name, value);
    return fromFile(Unquote(value));
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    const auto header = findSection(toFileName(section));
    if (header == npos) return defaultValue;
    const auto at = findKey(header, toFileName(key));
    if (at == npos) return defaultValue;
    std::string_view name, value;
    KeyLine(lines_[at].text, name, value);
    int parsed = 0;
    return ParseProfileInteger(Unquote(value), parsed) ? parsed : defaultValue;
}

void IniFile::insertLine(std::size_t at, std::string text) {
    if (at > 0 && lines_[at - 1].eol == Eol::None) lines_[at - 1].eol = newEol_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), newEol_});
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string fileSection = toFileName(section);
    const std::string fileKey = toFileName(key);
    const auto breaks = [](std::string_view s) { return s.find_first_of("\r\n") != npos; };
    if (fileSection.empty() || breaks(fileSection) || fileSection.find(']') != npos) return false;
    if (fileKey.empty() || breaks(fileKey) || fileKey.find('=') != npos || fileKey.front() == '[') return false;
    std::string fileValue = toFile(value);
    for (char& c : fileValue)
        if (c == '\r' || c == '\n') c = ' ';
    // A read trims blanks and strips one pair of enclosing quotes; a value
    // that would lose something that way goes in one pair of quotes of its
    // own, which the read strips again.
    if (Unquote(Trim(fileValue)) != fileValue) fileValue = '"' + fileValue + '"';

    auto header = findSection(fileSection);
    if (header == npos) {
        insertLine(lines_.size(), "[" + fileSection + "]");
        header = lines_.size() - 1;
    }
    if (const auto at = findKey(header, fileKey); at != npos) {
        std::string_view name, old;
        KeyLine(lines_[at].text, name, old);
        lines_[at].text = std::string(name) + "=" + fileValue;
        return true;
    }
    // A new key goes after the section's last non-blank line, before the blank
    // lines that separate it from the next section.
    std::size_t at = sectionEnd(header);
    while (at > header + 1 && Trim(lines_[at - 1].text).empty()) --at;
    insertLine(at, fileKey + "=" + fileValue);
    return true;
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

void IniFile::EraseSection(std::string_view section) {
    const std::string fileSection = toFile(section);
    for (auto header = findSection(fileSection); header != npos; header = findSection(fileSection))
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                     lines_.begin() + static_cast<std::ptrdiff_t>(sectionEnd(header)));
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    const auto header = findSection(toFile(section));
    if (header == npos) return;
    if (const auto at = findKey(header, toFile(key)); at != npos)
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
}

bool IniFile::Save(std::string& error) const {
    if (!loadError_.empty()) {
        // Replacing a file we could not read would destroy whatever it holds.
        error = loadError_;
        return false;
    }
    std::string content;
    for (const auto& line : lines_) {
        content += line.text;
        if (line.eol == Eol::Lf) content += '\n';
        if (line.eol == Eol::CrLf) content += "\r\n";
    }

    return ReplaceSmallFile(path_, content, newFileMode_, error);
}

double TIniFileVant::ReadFloat(std::string_view section, std::string_view key, double defaultValue) const {
    const std::string text = ReadString(section, key, "");
    double value = 0;
    if (text.empty() || !ParseDecimal(text, decimalSeparator_, value)) return defaultValue;
    return value;
}

}  // namespace quillon
