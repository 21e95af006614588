#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qc::platform {

// Whole-file access for small files the client owns (the settings file).
// Paths are local paths, never wire text: any folder name works.
class FileSystem {
  public:
    enum class ReadStatus {
        kOk,
        kMissing,  // no file at that path: the caller's defaults apply
        kError,    // the file may exist but could not be read
    };
    struct ReadResult {
        ReadStatus status = ReadStatus::kMissing;
        std::string bytes;  // the file's bytes, unchanged; empty unless kOk
    };

    virtual ~FileSystem() = default;

    virtual ReadResult ReadFile(const std::filesystem::path& path) = 0;

    // Replaces the whole file in one step: a crash or a full disk part way
    // leaves either the old file or the new one, never a mix. Missing parent
    // folders are created. The file ends up readable and writable by the user
    // alone, also when an older copy was not, because it may hold the password
    // digest. Returns false on any failure and never throws.
    virtual bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) = 0;
};

}  // namespace qc::platform
