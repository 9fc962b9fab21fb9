#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

// How the bytes of an INI file map to the UTF-8 strings of the program.
enum class IniEncoding {
    Windows1251,  // files shared with Windows installations
    Utf8,         // bytes passed through unchanged (Linux paths, for instance)
};

// An INI file with the behaviour of the Windows private-profile functions:
// "[section]" lines, "key=value" lines, section and key names compared without
// regard to case, the first occurrence winning. The file is read once on
// construction and only written by Save; everything a write does not touch
// (other sections, comments, unknown keys, their order and line endings) is
// written back byte for byte.
class IniFile {
public:
    // Files above this size are not settings or calibration files; they are not
    // read, and Save refuses to replace them.
    static constexpr std::size_t kMaxFileSize = std::size_t{1} << 20;

    explicit IniFile(std::string path, IniEncoding encoding = IniEncoding::Windows1251);

    const std::string& path() const { return path_; }
    // Empty when the file was read or does not exist; otherwise the reason it
    // could not be read.
    const std::string& loadError() const { return loadError_; }

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    // Section and key names are taken without surrounding blanks on every call.
    // The value without surrounding blanks or one pair of enclosing quotes.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Leading decimal digits with an optional sign, or "0x" and hex digits.
    // Text without digits, or a number that does not fit, gives the default.
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;

    // False (and nothing changed) when the section or key name could not be
    // written back unambiguously: empty, or holding a line break, "=" in a key,
    // "]" in a section. Line breaks in a value become spaces. A value with
    // blanks or quotes at its ends is written in quotes, so that it reads back
    // as it was given.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, int value);
    // Removes the section with all its lines up to the next section header
    // (every occurrence), or one key of a section; nothing else moves.
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view key);

    // Permissions of a file Save creates; an existing file keeps its own.
    void setNewFileMode(unsigned mode) { newFileMode_ = mode; }

    // Replaces the file atomically: a temporary file in the same folder is
    // written, flushed to disk and renamed over the old one. A file that exists
    // but could not be read is never replaced. On failure returns false with the
    // system's words for the reason in `error`; the old file is left untouched.
    bool Save(std::string& error) const;

private:
    enum class Eol { None, Lf, CrLf };
    struct Line {
        std::string text;
        Eol eol = Eol::None;
    };

    void load();
    std::string toFile(std::string_view text) const;
    // A section or key name as the file holds it: blanks around it do not count.
    std::string toFileName(std::string_view name) const;
    std::string fromFile(std::string_view bytes) const;
    // Index of the header line of the section, or npos.
    std::size_t findSection(std::string_view fileSection) const;
    // Index of the key line in the section starting at `header`, or npos.
    std::size_t findKey(std::size_t header, std::string_view fileKey) const;
    std::size_t sectionEnd(std::size_t header) const;
    void insertLine(std::size_t at, std::string text);

    std::string path_;
    IniEncoding encoding_;
    std::string loadError_;
    std::vector<Line> lines_;
    Eol newEol_ = Eol::CrLf;
    unsigned newFileMode_ = 0644;
};

// Parses a profile integer as ReadInteger does; false when the text holds none.
bool ParseProfileInteger(std::string_view text, int& value);

// Converts typed or stored decimal text: every "." and "," counts as the
// decimal separator `separator`, so "1.5" and "1,5" both give 1.5 whatever the
// user's locale. False for text that is not one finite number as a whole.
bool ParseDecimal(std::string_view text, char separator, double& value);

// The settings-file class: an IniFile whose ReadFloat accepts either decimal separator.
class TIniFileVant : public IniFile {
public:
    TIniFileVant(std::string path, char decimalSeparator, IniEncoding encoding = IniEncoding::Windows1251)
        : IniFile(std::move(path), encoding), decimalSeparator_(decimalSeparator) {}

    // Missing or empty value, or text that does not convert: the default.
    double ReadFloat(std::string_view section, std::string_view key, double defaultValue) const;

private:
    char decimalSeparator_;
};

}  // namespace quillon
