#include "text/Evaluator.h"

#include "platform/Numbers.h"

#include <cfenv>
#include <cmath>

namespace {

// Evaluate's answer to LastErrorText; per thread, as the floating-point flags are.
// Code that may run on several threads at once uses EvaluateExpression instead.
thread_local std::string gLastErrorText;

constexpr std::string_view kOperators = "+-*/^";
constexpr long double kConstantValue = 1.0L; // the constants x, y and z

bool IsOperator(char c) { return kOperators.find(c) != std::string_view::npos; }

// Runs one floating-point step and turns the exceptions that the evaluator treats
// as errors (invalid operation, division by zero, overflow) into exceptions.
// Underflow is not an error: the result is simply 0 or denormal.
template <typename Fn>
long double Checked(Fn fn) {
    std::feclearexcept(FE_ALL_EXCEPT);
    // volatile keeps the computation between the clear and the test.
    volatile long double r = fn();
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    if (raised & FE_INVALID) throw Platform::EInvalidOp();
    if (raised & FE_DIVBYZERO) throw Platform::EZeroDivide();
    if (raised & FE_OVERFLOW) throw Platform::EOverflow();
    return r;
}

// Position (0-based) of the ")" closing the "(" at p.
size_t MatchParen(std::string_view s, size_t p) {
    int depth = 1;
    for (size_t i = p + 1; i < s.size(); ++i) {
        if (s[i] == '(') ++depth;
        else if (s[i] == ')' && --depth == 0) return i;
    }
    throw EparserError("missing ')'");
}

// 1-based position of the operator to split at, or 0. An operator must stand
// before `limit`; only "^" may stand exactly at it. A "+" or "-" whose first
// occurrence opens the text or follows another operator is a sign, and later
// occurrences of it are not looked for.
size_t FindOperator(std::string_view s, size_t limit) {
    size_t r = 0;
    for (char op : kOperators) {
        const size_t found = s.find(op);
        r = found == std::string_view::npos ? 0 : found + 1;
        if ((op == '+' || op == '-') && r > 0 && (r == 1 || IsOperator(s[r - 2]))) r = 0;
        if (r > 0 && r < limit) return r;
    }
    return r <= limit ? r : 0;
}

long double ApplyOperator(char op, long double left, long double right, std::string_view s) {
    switch (op) {
    case '*': return Checked([&] { return left * right; });
    case '+': return Checked([&] { return left + right; });
    case '-': return Checked([&] { return left - right; });
    case '/': return Checked([&] { return left / right; });
    case '^': return Checked([&] { return expl(right * logl(left)); });
    default: throw EparserError("invalid operation " + std::string(s));
    }
}

long double ApplyFunction(std::string_view name, long double a, std::string_view s) {
    if (name == "sin") return Checked([&] { return sinl(a); });
    if (name == "cos") return Checked([&] { return cosl(a); });
    if (name == "tan") return Checked([&] { return sinl(a) / cosl(a); });
    if (name == "arctan") return Checked([&] { return atanl(a); });
    if (name == "log") return Checked([&] { return logl(a) / logl(10.0L); });
    if (name == "ln") return Checked([&] { return logl(a); });
    if (name == "exp") return Checked([&] { return expl(a); });
    if (name == "sqrt") return Checked([&] { return sqrtl(a); });
    throw EparserError("unknown function " + std::string(s));
}

long double EvalAtom(std::string_view s) {
    if (s.empty()) throw EparserError("syntax error");
    if (s.size() >= 2 && (s[0] == 'x' || s[0] == 'y' || s[0] == 'z')) return kConstantValue;
    return Platform::StrToFloat(s);
}

// Splitting recurses once per operator and parenthesis; a bound keeps absurd
// input (an information value of thousands of nested groups) off the stack's end.
constexpr int kMaxDepth = 2000;

// One evaluation. The recursion depth belongs to it alone, so evaluations on
// other threads (a batch merges on every core) never see it.
class TEvaluation {
public:
    long double Expr(std::string_view s) {
        const TDepthGuard guard(FDepth);
        const size_t n = s.size();
        const size_t open = s.find('(');
        if (open == std::string_view::npos) {
            const size_t k = FindOperator(s, n);
            return k == 0 ? EvalAtom(s) : Binary(s, k);
        }
        const size_t close = MatchParen(s, open); // 0-based
        if (open == 0) {
            if (close == n - 1) return Expr(s.substr(1, n - 2));
            return Binary(s, close + 2);
        }
        const size_t k = FindOperator(s, open + 1);
        if (k > 0) return Binary(s, k);
        if (close < n - 1) return Binary(s, close + 2);
        return Function(s, open);
    }

private:
    class TDepthGuard {
    public:
        explicit TDepthGuard(int& depth) : FDepth(depth) {
            if (FDepth >= kMaxDepth) throw EparserError("expression too complex");
            ++FDepth;
        }
        ~TDepthGuard() { --FDepth; }
        TDepthGuard(const TDepthGuard&) = delete;
        TDepthGuard& operator=(const TDepthGuard&) = delete;

    private:
        int& FDepth;
    };

    long double Binary(std::string_view s, size_t k) {
        const long double left = Expr(s.substr(0, k - 1));
        const long double right = Expr(s.substr(k));
        return ApplyOperator(s[k - 1], left, right, s);
    }

    // s ends with the ")" that closes the "(" at 0-based position p.
    long double Function(std::string_view s, size_t p) {
        const long double a = Expr(s.substr(p + 1, s.size() - p - 2));
        return ApplyFunction(s.substr(0, p), a, s);
    }

    int FDepth = 0;
};

std::string Normalise(std::string_view text) {
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (c == ' ') continue;
        s += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    }
    return s;
}

} // namespace

TEvaluationResult EvaluateExpression(std::string_view expression) {
    try {
        return {TEvaluation().Expr(Normalise(expression)), {}};
    } catch (const std::exception& e) {
        return {0, e.what()};
    }
}

long double Evaluate(std::string_view expression) {
    TEvaluationResult r = EvaluateExpression(expression);
    gLastErrorText = std::move(r.error);
    return r.value;
}

const std::string& LastErrorText() { return gLastErrorText; }
