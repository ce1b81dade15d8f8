// vellum-cli register, in-process: its usage. What it writes is tested against
// a scratch home folder in PosixRegisterTest.cpp; the Windows registry is read
// back under wine by tests/windows/register.sh.

#include "cli/Commands.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

int registerStatus(const vellum::cli::Args& args) {
    std::ostringstream out;
    std::ostringstream err;
    return vellum::cli::registerAssociation(args, {out, err});
}

} // namespace

TEST(RegisterUsage, RefusesWhatItCannotUse) {
    const struct {
        vellum::cli::Args args;
        int status;
    } cases[] = {
        {{"--help"}, 0},        {{"extra"}, 2},    {{"--program"}, 2},
        {{"--program", ""}, 2}, {{"--colour"}, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(registerStatus(c.args), c.status) << c.args.front();
    }
}
