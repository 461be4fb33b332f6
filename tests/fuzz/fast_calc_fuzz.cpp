// ZK_FastCalc on random programs over random variables: every operand index
// lies inside the variables (the caller's side of the contract), everything
// else (opcodes, values, the count) is the input's.
#include "fuzz_support.h"

namespace {

constexpr int32_t kVars = 32;

bool TakesOperand(int32_t op) {
    if ((op >= 1 && op <= 6) || op == 10) return true;
    const int32_t family = op / 10, member = op % 10;
    return family >= 2 && family <= 6 && member >= 1 && member <= 4;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qrvfuzz::StartLibrary();
    qrvfuzz::Reader in(data, size);
    ZK_Randomize(in.U32());
    const uint8_t flags = in.U8();
    float vars[kVars];
    for (float& v : vars) v = (in.U8() & 1) ? in.F32() : static_cast<float>(in.Range(-100, 100));
    vars[0] = static_cast<float>(in.Range(-100, 100));
    std::vector<int32_t> program{in.Range(0, kVars - 1)};
    int32_t count = 0;
    while (!in.Empty()) {
        const uint8_t pick = in.U8();
        const int32_t op = pick < 200 ? pick % 70 : in.I32();
        program.push_back(op);
        // A draw below a tiny positive maximum rejects for millions of steps: the draws take variable 0,
        // a whole number that nothing stores to.
        if (op / 10 == 5 && op % 10 >= 1 && op % 10 <= 4) program.push_back(0);
        else if (TakesOperand(op)) program.push_back(in.Range(op == 5 ? 1 : 0, kVars - 1));
        ++count;
    }
    // The count may fall short of the program; beyond it only below 1.
    if (flags & 1) count = std::min<int32_t>(count, flags >> 1);
    if (flags & 0x80) count = -static_cast<int32_t>(flags & 0x7F);
    const float result = ZK_FastCalc(vars, program.data(), count);
    (void)result;
    // A missing program or variable array gives 0.
    if (ZK_FastCalc(nullptr, program.data(), count) != 0.0f || ZK_FastCalc(vars, nullptr, count) != 0.0f) {
        std::fprintf(stderr, "ZK_FastCalc without a program or variables gave a value\n");
        std::abort();
    }
    return 0;
}
