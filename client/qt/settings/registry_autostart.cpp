#ifdef _WIN32

#include "client/qt/settings/registry_autostart.h"

#include <windows.h>

#include <string>
#include <utility>

#include "client/core/settings/settings_location.h"

namespace qc::qt {
namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Query, set, create subkey, enumerate, notify, create link; the key itself is
// never created.
constexpr REGSAM kWriteAccess = 0x3F;

const std::string& ValueName() {
    static const std::string name(settings::kAutostartName);
    return name;
}

class OpenKey {
  public:
    explicit OpenKey(REGSAM access) {
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, access, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~OpenKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

}  // namespace

RegistryAutostart::RegistryAutostart(std::string programPath)
    : programPath_(std::move(programPath)) {}

bool RegistryAutostart::IsPresent() {
    // Read access alone: a user without administrator rights can still see
    // whether the entry is there, although he cannot change it.
    OpenKey key(KEY_QUERY_VALUE);
    if (key.get() == nullptr) {
        return false;
    }
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), ValueName().c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    // A string (empty ones included) or a number; other types are not ours.
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_DWORD;
}

bool RegistryAutostart::Write() {
    OpenKey key(kWriteAccess);
    if (key.get() == nullptr) {
        return false;
    }
    const std::string data = settings::RunValueData(programPath_);
    // The terminating NUL is stored with the text, as REG_SZ data must be.
    return RegSetValueExA(key.get(), ValueName().c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryAutostart::Remove() {
    OpenKey key(kWriteAccess);
    if (key.get() == nullptr) {
        return false;
    }
    const LONG status = RegDeleteValueA(key.get(), ValueName().c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace qc::qt

#endif  // _WIN32
