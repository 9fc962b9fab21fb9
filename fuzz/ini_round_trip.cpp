// The INI reader on any file, and a save/load round trip of what the tool
// writes: an untouched file is written back byte for byte, and a key the tool
// writes reads back as written.

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/accepted_answer.h"
#include "link/cp1251.h"
#include "link/ini_file.h"

namespace {

using namespace quillon;

std::string g_folder;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Section and key names as the tool uses them: letters, digits and a few marks.
std::string Name(FuzzedDataProvider& in) {
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.-";
    std::string name;
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(1, 12);
    constexpr std::size_t kLetters = sizeof(kAlphabet) - 1;  // not the terminating zero
    for (std::size_t i = 0; i < length; ++i) name += kAlphabet[in.ConsumeIntegralInRange<std::size_t>(0, kLetters - 1)];
    return name;
}

// Every value reads back as written but for line breaks, which an INI line
// cannot hold (the writer turns them into blanks): a value the reader would
// trim or unquote is written inside quotes of its own.
bool OneLine(const std::string& v) { return v.find_first_of("\r\n") == std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Saving flushes to disk; on a memory file system that costs nothing.
    std::string pattern =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm/quillon-fuzz-ini-XXXXXX" : "/tmp/quillon-fuzz-ini-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    g_folder = pattern;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const IniEncoding encoding = in.ConsumeBool() ? IniEncoding::Windows1251 : IniEncoding::Utf8;
    const std::string section = Name(in);
    const std::string key = Name(in);
    const std::string value = in.ConsumeRandomLengthString(64);
    const std::string content = in.ConsumeRemainingBytesAsString();

    const std::string path = g_folder + "/round.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    std::string error;
    {
        IniFile file(path, encoding);
        if (!file.loadError().empty()) return 0;
        file.ReadString(section, key, "");
        file.ReadInteger(section, key, 0);
        TIniFileVant(path, ',', encoding).ReadFloat(section, key, 0.0);
        fuzz::Require(file.Save(error), "saving an untouched file failed");
        fuzz::Require(FileBytes(path) == content, "an untouched file was not written back byte for byte");
    }
    {
        IniFile file(path, encoding);
        fuzz::Require(file.WriteString(section, key, value), "a plain key was refused");
        fuzz::Require(file.Save(error), "saving failed");
    }
    const IniFile reread(path, encoding);
    // Presence is asked directly: any default string could be the value written.
    fuzz::Require(reread.ValueExists(section, key), "a written key is not found after saving");
    const std::string back = reread.ReadString(section, key, "");
    if (OneLine(value)) {
        const std::string expected = encoding == IniEncoding::Windows1251 ? Cp1251ToUtf8(Utf8ToCp1251(value)) : value;
        fuzz::Require(back == expected, "a written value reads back changed");
    }
    return 0;
}
