#include "engine/Tools.h"

#include <cstring>

namespace {
constexpr int kMaxDepth = 64;

int32_t Wrap(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v)));
}

// Left-to-right expression reader: terms joined by binary operators without precedence, a
// comparison optionally followed by "? a : b", expressions separated by commas.
class ConditionReader {
public:
    ConditionReader(const char* text, const int32_t* const arrays[3], const int32_t counts[3])
        : p(text), arrays(arrays), counts(counts) {}

    int32_t List() {
        int32_t value = 0;
        for (;;) {
            value = Expression();
            SkipBlanks();
            if (*p != ',') break;
            ++p;
        }
        return value;
    }

private:
    enum class Op { None, Add, Sub, Mul, Div, And, Or, Xor, Lt, Gt, Le, Ge, Eq, Ne };

    void SkipBlanks() {
        while (*p == ' ' || *p == '\t')
            ++p;
    }

    int32_t Number() {
        uint32_t v = 0;
        while (*p >= '0' && *p <= '9') {
            v = v * 10 + static_cast<uint32_t>(*p - '0');
            ++p;
        }
        return static_cast<int32_t>(v);
    }

    int32_t Entry(int which) {
        const int32_t index = Number();
        if (!arrays[which] || index < 0 || index >= counts[which]) {
            Zu_Tools::WriteErrorLog("Tools", "Condition index", index, counts[which], which, 0, 0);
            return 0;
        }
        return arrays[which][index];
    }

    Op ReadOp() {
        SkipBlanks();
        const char c = p[0];
        const char d = c ? p[1] : 0;
        auto take = [this](int n, Op op) {
            p += n;
            return op;
        };
        switch (c) {
        case '+':
            return take(1, Op::Add);
        case '-':
            return take(1, Op::Sub);
        case '*':
            return take(1, Op::Mul);
        case '/':
            return take(1, Op::Div);
        case '&':
            return take(1, Op::And);
        case '|':
            return take(1, Op::Or);
        case '^':
            return take(1, Op::Xor);
        case '<':
            return d == '=' ? take(2, Op::Le) : take(1, Op::Lt);
        case '>':
            return d == '=' ? take(2, Op::Ge) : take(1, Op::Gt);
        case '=':
            return d == '=' ? take(2, Op::Eq) : Op::None;
        case '!':
            return d == '=' ? take(2, Op::Ne) : Op::None;
        default:
            return Op::None;
        }
    }

    static bool IsComparison(Op op) { return op >= Op::Lt; }

    static int32_t Apply(Op op, int32_t a, int32_t b) {
        switch (op) {
        case Op::Add:
            return Wrap(static_cast<int64_t>(a) + b);
        case Op::Sub:
            return Wrap(static_cast<int64_t>(a) - b);
        case Op::Mul:
            return Wrap(static_cast<int64_t>(a) * b);
        case Op::Div:
            return b == 0 ? 0 : Wrap(static_cast<int64_t>(a) / b);
        case Op::And:
            return a & b;
        case Op::Or:
            return a | b;
        case Op::Xor:
            return a ^ b;
        case Op::Lt:
            return a < b;
        case Op::Gt:
            return a > b;
        case Op::Le:
            return a <= b;
        case Op::Ge:
            return a >= b;
        case Op::Eq:
            return a == b;
        case Op::Ne:
            return a != b;
        default:
            return a;
        }
    }

    int32_t Term() {
        SkipBlanks();
        if (depth >= kMaxDepth) return 0;
        ++depth;
        int32_t v = 0;
        const char c = *p;
        if (c == 'M' || c == 'A' || c == 'S') {
            ++p;
            v = Entry(c == 'M' ? 0 : c == 'A' ? 1 : 2);
        } else if (c >= '0' && c <= '9') {
            v = Number();
        } else if (c == '~') {
            ++p;
            v = ~Term();
        } else if (c == '!') {
            ++p;
            SkipBlanks();
            v = (*p == '(' ? Term() : Expression()) == 0 ? 1 : 0;
        } else if (c == '(') {
            ++p;
            v = Expression();
            SkipBlanks();
            if (*p == ')') ++p;
        }
        --depth;
        return v;
    }

    int32_t Expression() {
        if (depth >= kMaxDepth) return 0;
        ++depth;
        int32_t v = Term();
        for (;;) {
            const Op op = ReadOp();
            if (op == Op::None) break;
            v = Apply(op, v, Term());
            if (IsComparison(op)) {
                SkipBlanks();
                if (*p == '?') {
                    ++p;
                    const int32_t whenTrue = Expression();
                    SkipBlanks();
                    if (*p == ':') ++p;
                    const int32_t whenFalse = Expression();
                    v = v ? whenTrue : whenFalse;
                }
            }
        }
        --depth;
        return v;
    }

    const char* p;
    const int32_t* const* arrays;
    const int32_t* counts;
    int depth = 0;
};
} // namespace

int32_t Zu_Tools::EvaluateCondition(const char* text, const int32_t* m, int32_t mCount, const int32_t* a,
                                    int32_t aCount, const int32_t* s, int32_t sCount) {
    if (!text) return 0;
    const int32_t* const arrays[3] = {m, a, s};
    const int32_t counts[3] = {mCount, aCount, sCount};
    return ConditionReader(text, arrays, counts).List();
}
