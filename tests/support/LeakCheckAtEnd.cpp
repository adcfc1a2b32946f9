// Under AddressSanitizer, the leak check runs when the last test is done rather than at
// exit. At exit the GL vendor library closes the driver it loaded before the checker
// runs, so a check made then finds the driver's allocations in unmapped code it can no
// longer name (and the suppressions cannot match).
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>

namespace {
class LeakCheckAtEnd : public ::testing::Environment {
public:
    void TearDown() override { __lsan_do_leak_check(); }
};

const ::testing::Environment* const registered = ::testing::AddGlobalTestEnvironment(new LeakCheckAtEnd);
} // namespace
#endif
