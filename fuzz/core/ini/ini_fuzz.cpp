#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/core/settings/ini_file.h"
#include "client/core/settings/settings.h"
#include "tests/fakes/fake_file_system.h"

namespace {

constexpr const char* kPath = "/cfg/quorvel-chess/Quorvel Chess.ini";

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

// The input is a settings file. It is loaded, every key is read, one raw write
// taken from the input and every key are written back, and the file written
// must read as the batch in memory did. Integers and Booleans survive exactly;
// strings and floats need not (quotes are dropped on reading, a float beyond
// the 32-bit range wraps), as with the Windows functions.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qc::settings;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    qc::fakes::FakeFileSystem fs;
    fs.SetFile(kPath, std::string(input));
    const ScreenTwips screen{28800, 16200};

    IniFile ini = IniFile::Load(fs, kPath);
    const LoadedSettings loaded = LoadSettings(ini, screen);
    Check(loaded.qvid.size() < IniFile::kStringBufferSize);
    Check(loaded.settings.SoundFile.size() < IniFile::kStringBufferSize);
    Check(loaded.appRemember == !loaded.pwHash.empty());

    // Raw writes with names and values cut from the input itself.
    const std::size_t third = size / 3;
    const std::string_view section = input.substr(0, third % 17);
    const std::string_view key = input.substr(third, third % 13);
    const std::string_view value = input.substr(2 * third);
    if (ini.WriteString(section, key, value)) {
        const std::string back = ini.GetString(section, key, "");
        Check(back.size() < IniFile::kStringBufferSize);
        Check(value.find(back) != std::string_view::npos);
    }
    ini.GetInt(section, key, 7);

    SaveSettings(ini, loaded.settings, loaded.qvid, loaded.pwHash, loaded.appRemember);
    Check(ini.Flush());
    const LoadedSettings inMemory = LoadSettings(ini, screen);
    const LoadedSettings again = LoadSettingsFile(fs, kPath, screen);
    Check(again.settings == inMemory.settings);
    Check(again.qvid == inMemory.qvid && again.pwHash == inMemory.pwHash);

    Settings exact = again.settings;
    exact.SoundFile = loaded.settings.SoundFile;
    exact.FloaterX = loaded.settings.FloaterX;
    exact.FloaterY = loaded.settings.FloaterY;
    Check(exact == loaded.settings);
    return 0;
}
