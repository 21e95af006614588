#pragma once

#include <filesystem>
#include <string>

namespace qc::platform {

// The desktop shell: opening pages and documents and starting programs.
// Every operation is an attempt; failures stay silent by design.
// Addresses are Windows-1252 bytes like all text in the core; files are
// local paths, which may hold any character the file system allows.
class Shell {
  public:
    virtual ~Shell() = default;
    // Opens an address in the user's default browser.
    virtual void OpenUrl(const std::string& url) = 0;
    // Opens a document with its associated program.
    virtual void OpenDocument(const std::filesystem::path& path) = 0;
    // Starts a program with a normal, focused window.
    virtual void StartProgram(const std::filesystem::path& path) = 0;
    virtual bool FileExists(const std::filesystem::path& path) = 0;
};

}  // namespace qc::platform
