#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "client/platform/file_system.h"

namespace qc::fakes {

// Files in memory. A failed write leaves the old contents, as the atomic
// write of the real adapter does.
class FakeFileSystem : public platform::FileSystem {
  public:
    ReadResult ReadFile(const std::filesystem::path& path) override;
    bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) override;

    void SetFile(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }
    std::optional<std::string> File(const std::string& path) const;

    // Reads of `path` fail although the file may be there.
    void FailReads(const std::string& path) { unreadable_.insert(path); }
    // Every write fails, as on a full disk.
    void SetDiskFull(bool full) { diskFull_ = full; }
    // Writes to files in `folder` (and below it) fail.
    void SetReadOnlyFolder(const std::string& folder) { readOnlyFolders_.insert(folder); }

    int reads() const { return reads_; }
    int writes() const { return writes_; }  // attempts, failed ones included
    int failedWrites() const { return failedWrites_; }

  private:
    bool InReadOnlyFolder(const std::string& path) const;

    std::map<std::string, std::string> files_;
    std::set<std::string> unreadable_;
    std::set<std::string> readOnlyFolders_;
    bool diskFull_ = false;
    int reads_ = 0;
    int writes_ = 0;
    int failedWrites_ = 0;
};

}  // namespace qc::fakes
