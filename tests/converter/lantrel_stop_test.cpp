// A converter stopped by its caller ends the office instance it started.
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

const std::string kLantrel = std::string(MURANO_BIN_DIR) + "/lantrel";
const std::string kSampleDeck = std::string(MURANO_BIN_DIR) + "/../samples/sample.pptx";

TEST(LantrelStop, TerminatingTheConverterEndsItsOfficeInstance) {
    TemporaryFolder work;
    RunningProcess lantrel(kLantrel, {kLantrel, "-debug", kSampleDeck, work.file("out.jpg")});
    ASSERT_TRUE(lantrel.waitForOutput("Loading", 60000)) << lantrel.output();
    const std::vector<int> office = descendantsOf(lantrel.pid());
    ASSERT_FALSE(office.empty()) << "the office instance runs below the converter";
    lantrel.signal(SIGTERM);
    EXPECT_EQ(lantrel.wait(30000), 128 + SIGTERM);
    for (int pid : office) {
        EXPECT_FALSE(processAlive(pid)) << "office process " << pid << " outlived the converter";
    }
}

} // namespace
