#include "tests/fakes/fake_shell.h"

namespace qc::fakes {

void FakeShell::OpenUrl(const std::string& url) {
    calls.push_back({Action::OpenUrl, url});
}

void FakeShell::OpenDocument(const std::string& path) {
    calls.push_back({Action::OpenDocument, path});
}

void FakeShell::StartProgram(const std::string& path) {
    calls.push_back({Action::StartProgram, path});
}

bool FakeShell::FileExists(const std::string& path) {
    return files.count(path) != 0;
}

std::vector<std::string> FakeShell::Urls() const {
    std::vector<std::string> urls;
    for (const Call& c : calls) {
        if (c.action == Action::OpenUrl) {
            urls.push_back(c.target);
        }
    }
    return urls;
}

}  // namespace qc::fakes
