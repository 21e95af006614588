#pragma once

#include <filesystem>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "client/platform/shell.h"

namespace qc::fakes {

// A desktop shell that records what it was asked to open or start, in
// order, and knows the files it is told exist.
class FakeShell : public platform::Shell {
  public:
    enum class Action { OpenUrl, OpenDocument, StartProgram };
    struct Call {
        Action action;
        std::string target;
        bool operator==(const Call&) const = default;
        // Readable failure messages in tests.
        friend void PrintTo(const Call& call, std::ostream* os) {
            static const char* const kNames[] = {"OpenUrl", "OpenDocument", "StartProgram"};
            *os << kNames[static_cast<int>(call.action)] << "(\"" << call.target << "\")";
        }
    };

    void OpenUrl(const std::string& url) override;
    void OpenDocument(const std::filesystem::path& path) override;
    void StartProgram(const std::filesystem::path& path) override;
    bool FileExists(const std::filesystem::path& path) override;

    // The addresses opened in the browser, in order.
    std::vector<std::string> Urls() const;

    std::set<std::string> files;
    std::vector<Call> calls;
};

}  // namespace qc::fakes
