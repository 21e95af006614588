#include "tests/fakes/fake_file_system.h"

namespace qc::fakes {

platform::FileSystem::ReadResult FakeFileSystem::ReadFile(const std::filesystem::path& file) {
    const std::string path = file.string();
    ++reads_;
    if (unreadable_.count(path) != 0) {
        return {ReadStatus::kError, {}};
    }
    const auto it = files_.find(path);
    if (it == files_.end()) {
        return {ReadStatus::kMissing, {}};
    }
    return {ReadStatus::kOk, it->second};
}

bool FakeFileSystem::InReadOnlyFolder(const std::string& path) const {
    for (const std::string& folder : readOnlyFolders_) {
        if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
            (path[folder.size()] == '/' || path[folder.size()] == '\\')) {
            return true;
        }
    }
    return false;
}

bool FakeFileSystem::WriteFileAtomic(const std::filesystem::path& file, std::string_view bytes) {
    const std::string path = file.string();
    ++writes_;
    if (diskFull_ || InReadOnlyFolder(path)) {
        ++failedWrites_;
        return false;
    }
    files_[path] = std::string(bytes);
    return true;
}

std::optional<std::string> FakeFileSystem::File(const std::string& path) const {
    const auto it = files_.find(path);
    if (it == files_.end()) {
        return std::nullopt;
    }
    return it->second;
}

}  // namespace qc::fakes
