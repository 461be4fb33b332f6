// What the TrueType converter refuses beyond what crf-font's own tests reach,
// leaving no host memory behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ttf_to_crf.h"
#include "crf_font_test_util.h"
#include "quorvel_host.h"

namespace {

using crffonttest::kDejaVu;

using TtfToCrf = crffonttest::HostTest;

qrvttf::TtfOptions DejaVu16(int depth = 8) {
    qrvttf::TtfOptions o;
    o.fontPath = kDejaVu;
    o.pixelSize = 16;
    o.first = 32;
    o.last = 255;
    o.depth = depth;
    return o;
}

TEST_F(TtfToCrf, RefusesWhatItCannotConvert) {
    struct Case {
        const char* what;
        qrvttf::TtfOptions options;
        const char* message;
    };
    auto with = [](auto change) {
        qrvttf::TtfOptions o = DejaVu16();
        change(o);
        return o;
    };
    const Case cases[] = {
        {"range past 65535", with([](auto& o) { o.last = 65536; }), "outside"},
        {"negative range", with([](auto& o) { o.first = -1; }), "outside"},
        {"depth 16", with([](auto& o) { o.depth = 16; }), "depth"},
        {"pixel size 0", with([](auto& o) { o.pixelSize = 0; }), "pixel size"},
        {"pixel size too large", with([](auto& o) { o.pixelSize = 100000; }), "pixel size"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(qrvttf::BuildCrfFont(c.options, &error), nullptr) << c.what;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    }
    EXPECT_EQ(qrvttf::BuildCrfFont(with([](auto& o) { o.depth = 3; }), nullptr), nullptr);
}

TEST_F(TtfToCrf, HostMemoryRunningOutReleasesEverything) {
    qrvttf::TtfOptions o = DejaVu16();
    o.last = 126;
    for (long after : {0L, 1L, 2L, 3L, 50L}) {
        qrvhost::FailAllocationsAfter(after);
        std::string error;
        EXPECT_EQ(qrvttf::BuildCrfFont(o, &error), nullptr) << after;
        EXPECT_NE(error.find("memory"), std::string::npos) << error;
        qrvhost::FailAllocationsAfter(-1);
        EXPECT_EQ(qrvhost::LiveBlocks(), baseline) << after;
    }
}

}  // namespace
