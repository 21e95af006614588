#pragma once

#include "client/platform/file_system.h"

namespace qc::qt {

// Files through Qt. Writes go through QSaveFile: a
// temporary file in the same folder, renamed over the old file at the end.
class QtFileSystem : public platform::FileSystem {
  public:
    // Larger files are reported unreadable rather than read into memory.
    static constexpr long long kMaxFileSize = 16 * 1024 * 1024;

    ReadResult ReadFile(const std::filesystem::path& path) override;
    bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) override;
};

}  // namespace qc::qt
