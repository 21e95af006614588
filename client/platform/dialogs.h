#pragma once

#include <string>

namespace qc::platform {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Modal message boxes titled with the program's name. The event loop keeps
// running while a box is open, so callers must expect re-entry.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual MessageAnswer MessageBox(const std::string& text, MessageButtons buttons) = 0;
};

}  // namespace qc::platform
