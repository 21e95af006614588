#pragma once

namespace qc {

// The program's version, as shown by --version.
const char* Version();

}  // namespace qc
