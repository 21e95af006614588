#pragma once

#include <optional>
#include <string>
#include <utility>

#include "client/platform/autostart.h"

namespace qc::fakes {

// An autostart entry in memory; `command` is what Write stores.
class FakeAutostart : public platform::Autostart {
  public:
    explicit FakeAutostart(std::string command = "quorvel-chess") : command_(std::move(command)) {}

    bool IsPresent() override { return entry_.has_value(); }
    bool Write() override;
    bool Remove() override;

    // The entry as stored; an empty string is an entry that exists but is empty.
    const std::optional<std::string>& entry() const { return entry_; }
    void SetEntry(std::optional<std::string> entry) { entry_ = std::move(entry); }
    // Write and Remove fail and change nothing, as without the rights.
    void SetNoRights(bool noRights) { noRights_ = noRights; }

    int writes() const { return writes_; }
    int removes() const { return removes_; }

  private:
    std::string command_;
    std::optional<std::string> entry_;
    bool noRights_ = false;
    int writes_ = 0;
    int removes_ = 0;
};

}  // namespace qc::fakes
