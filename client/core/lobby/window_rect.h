#pragma once

#include "client/core/window_views.h"

namespace qc::lobby {

using qc::WindowRect;
template <typename State>
using StateView = qc::StateView<State>;

}  // namespace qc::lobby
