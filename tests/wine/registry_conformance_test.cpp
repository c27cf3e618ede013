// The registry conformance suites against the real registry under Wine.
#include <gtest/gtest.h>

#include "conformance/ModRegConformance.h"
#include "conformance/RegistryConformance.h"
#include "conformance/WineScratch.h"

namespace conformance {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, RegistryConformance, WineBackend);
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, ModRegConformance, WineBackend);
}  // namespace conformance
