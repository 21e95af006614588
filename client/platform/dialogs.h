#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qc::platform {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// One entry of a file dialog's type list: its name and its pattern.
struct FileFilter {
    std::string name;     // wire text, e.g. "Wave Files (*.wav)"
    std::string pattern;  // e.g. "*.wav"
};

// Modal dialogs titled with the program's name. The event loop keeps
// running while one is open, so callers must expect re-entry.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual MessageAnswer MessageBox(const std::string& text, MessageButtons buttons) = 0;
    // An existing file to open, starting at `current`; nothing when the user
    // cancels.
    virtual std::optional<std::filesystem::path> OpenFile(const std::string& title,
                                                          const std::vector<FileFilter>& filters,
                                                          const std::filesystem::path& current) = 0;
};

}  // namespace qc::platform
