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

}  // namespace qc::fakes
