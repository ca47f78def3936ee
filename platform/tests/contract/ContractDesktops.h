// The desktops every contract suite runs on. CTest names each case after its desktop's class
// (ClipboardContract.OneWindowAtATimeHoldsTheClipboardOpen<bx::platform::contract::X11ContractDesktop>).
#pragma once

#include "SimContractDesktop.h"
#include "X11ContractDesktop.h"

#include <gtest/gtest.h>

namespace bx::platform::contract {

using Desktops = ::testing::Types<SimContractDesktop, X11ContractDesktop>;

} // namespace bx::platform::contract
