// ZK_FastCalc: a single-accumulator machine over an array of floats, running
// programs the host compiled from its formulas. Each instruction computes in
// double precision and rounds the accumulator back to single precision.
#include <cstdint>
#include <cstring>

#include "maths/float_maths.h"
#include "maths/random.h"
#include "quorvel.h"

namespace qrv {
namespace {

using Instruction = float (*)(float acc, float* var);

// The operand taken through a function (angles in degrees).
double Plain(float x) { return x; }
double Cosine(float x) { return SinCosDegrees(x).cos; }
double Sine(float x) { return SinCosDegrees(x).sin; }
double Tangent(float x) { return TanDegrees(x); }
double Draw(float x) { return Rnd(x); }
double Root(float x) { return Sqrt(x); }

enum class Op { Add, Subtract, Multiply, Divide, DivideOrZero };

template <Op O, double (*F)(float)>
float Combine(float acc, float* var) {
    const double a = acc, x = F(*var);
    switch (O) {
        case Op::Add: return ToSingle(a + x);
        case Op::Subtract: return ToSingle(a - x);
        case Op::Multiply: return ToSingle(a * x);
        case Op::Divide: return ToSingle(a / x);
        case Op::DivideOrZero: return x == 0 ? 0.0f : ToSingle(a / x);
    }
    return acc;
}

float Store(float acc, float* var) {
    *var = acc;
    return acc;
}

float Power(float acc, float* var) { return ToSingle(Pow(acc, *var)); }
float Load(float, float* var) { return *var; }

// Slot n - 1 holds opcode n; an empty slot is an opcode without operand or effect.
struct OpcodeTable {
    Instruction slot[64]{};

    template <double (*F)(float)>
    constexpr void Family(int first, Op divide) {
        slot[first - 1] = Combine<Op::Add, F>;
        slot[first] = Combine<Op::Subtract, F>;
        slot[first + 1] = Combine<Op::Multiply, F>;
        slot[first + 2] = divide == Op::Divide ? Combine<Op::Divide, F> : Combine<Op::DivideOrZero, F>;
    }

    constexpr OpcodeTable() {
        Family<Plain>(1, Op::Divide);
        slot[5 - 1] = Store;
        slot[6 - 1] = Power;
        slot[10 - 1] = Load;
        Family<Cosine>(21, Op::Divide);
        Family<Sine>(31, Op::Divide);
        Family<Tangent>(41, Op::Divide);
        Family<Draw>(51, Op::DivideOrZero);
        Family<Root>(61, Op::DivideOrZero);
    }
};

constexpr OpcodeTable kOpcodes;

}  // namespace
}  // namespace qrv

extern "C" QRV_API float QRV_CALL ZK_FastCalc(void* vars, void* program, int32_t count) {
    if (vars == nullptr || program == nullptr) return 0.0f;
    auto* v = static_cast<float*>(vars);
    const auto* code = static_cast<const int32_t*>(program);
    float acc = v[code[0]];
    const int32_t* ip = code + 1;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t slot = static_cast<uint32_t>(ip[0]) - 1u;
        const qrv::Instruction op = slot < 64 ? qrv::kOpcodes.slot[slot] : nullptr;
        if (op == nullptr) {
            ++ip;
            continue;
        }
        acc = op(acc, v + ip[1]);
        ip += 2;
    }
    return acc;
}
