#include "client/core/version.h"

namespace qc {

const char* Version() {
    return QC_VERSION;
}

}  // namespace qc
