#include "i486.h"

#include <cctype>
#include <set>
#include <vector>

namespace i486 {
namespace {

// What the i486 has, as objdump spells it (AT&T): the 80386's and the
// i486's integer instructions, conditions spelled every way objdump uses,
// and the 80387's (the i486's FPU).  An operand-size suffix is taken off
// before a word is looked up (see Known).
const char *const Integer[] = {
    "aaa", "aad", "aam", "aas", "adc", "add", "and", "arpl", "bound", "bsf", "bsr", "bt", "btc",
    "btr", "bts", "call", "lcall", "cbtw", "cwtl", "cwtd", "cltd", "clc", "cld", "cli", "clts",
    "cmc", "cmp", "cmps", "cmpsb", "cmpsw", "cmpsl", "daa", "das", "dec", "div", "enter", "hlt",
    "idiv", "imul", "in", "inc", "ins", "insb", "insw", "insl", "int", "int3", "into", "iret",
    "jcxz", "jecxz", "jmp", "ljmp", "lahf", "lar", "lds", "lea", "leave", "les", "lfs", "lgdt",
    "lgs", "lidt", "lldt", "lmsw", "lods", "lodsb", "lodsw", "lodsl", "loop", "loope", "loopne",
    "loopz", "loopnz", "lsl", "lss", "ltr", "mov", "movs", "movsb", "movsw", "movsl", "movsbw",
    "movsbl", "movswl", "movzbw", "movzbl", "movzwl", "mul", "neg", "nop", "not", "or", "out",
    "outs", "outsb", "outsw", "outsl", "pop", "popa", "popf", "push", "pusha", "pushf", "rcl",
    "rcr", "ret", "lret", "rol", "ror", "sahf", "sal", "sar", "sbb", "scas", "scasb", "scasw",
    "scasl", "sgdt", "shl", "shld", "shr", "shrd", "sidt", "sldt", "smsw", "stc", "std", "sti",
    "stos", "stosb", "stosw", "stosl", "str", "sub", "test", "verr", "verw", "wait", "xchg",
    "xlat", "xor",
    // The i486's own.
    "bswap", "cmpxchg", "xadd", "invd", "wbinvd", "invlpg",
};

const char *const Conditions[] = {
    "o", "no", "b", "c", "nae", "ae", "nb", "nc", "e", "z", "ne", "nz", "be", "na", "a", "nbe",
    "s", "ns", "p", "pe", "np", "po", "l", "nge", "ge", "nl", "le", "ng", "g", "nle",
};

const char *const Fpu[] = {
    "f2xm1", "fabs", "fadd", "faddp", "fiadd", "fbld", "fbstp", "fchs", "fclex", "fnclex",
    "fcom", "fcomp", "fcompp", "ficom", "ficomp", "fcos", "fdecstp", "fdiv", "fdivp", "fdivr",
    "fdivrp", "fidiv", "fidivr", "ffree", "fincstp", "finit", "fninit", "fld", "fld1", "fldl2t",
    "fldl2e", "fldpi", "fldlg2", "fldln2", "fldz", "fild", "fldcw", "fldenv", "fmul", "fmulp",
    "fimul", "fnop", "fpatan", "fprem", "fprem1", "fptan", "frndint", "frstor", "fsave", "fnsave",
    "fscale", "fsin", "fsincos", "fsqrt", "fst", "fstp", "fist", "fistp", "fstcw", "fnstcw",
    "fstenv", "fnstenv", "fstsw", "fnstsw", "fsub", "fsubp", "fsubr", "fsubrp", "fisub",
    "fisubr", "ftst", "fucom", "fucomp", "fucompp", "fwait", "fxam", "fxch", "fxtract", "fyl2x",
    "fyl2xp1",
};

// Prefixes objdump writes as words of their own before the instruction.
const char *const Prefixes[] = {
    "lock", "rep", "repz", "repe", "repnz", "repne", "cs", "ds", "es", "fs", "gs", "ss",
    "data16", "addr16", "data32", "addr32",
};

// Why some later instructions are refused, by the start of their name.
struct Later {
    const char *start;
    const char *why;
};
const Later Reasons[] = {
    {"cmov", "conditional move (Pentium Pro and later)"},
    {"fcmov", "conditional move (Pentium Pro and later)"},
    {"fcomi", "FPU compare into flags (Pentium Pro and later)"},
    {"fucomi", "FPU compare into flags (Pentium Pro and later)"},
    {"ud2", "Pentium Pro and later"},
    {"rdpmc", "Pentium Pro and later"},
    {"cpuid", "Pentium and later"},
    {"rdtsc", "Pentium and later"},
    {"rdmsr", "Pentium and later"},
    {"wrmsr", "Pentium and later"},
    {"cmpxchg8b", "Pentium and later"},
    {"sysenter", "Pentium II and later"},
    {"sysexit", "Pentium II and later"},
    {"fxsave", "Pentium II and later"},
    {"fxrstor", "Pentium II and later"},
    {"fisttp", "SSE3"},
    {"emms", "MMX"},
};

std::set<std::string> KnownWords()
{
    std::set<std::string> words(std::begin(Integer), std::end(Integer));
    words.insert(std::begin(Fpu), std::end(Fpu));
    for (const char *c : Conditions) {
        words.insert(std::string("j") + c);
        words.insert(std::string("set") + c);
    }
    return words;
}

bool IsKnown(const std::string &word)
{
    static const std::set<std::string> words = KnownWords();
    if (words.count(word))
        return true;
    // Operand sizes: b, w, l (integer); s, l, t, ll (FPU memory operands).
    for (const char *suffix : {"ll", "b", "w", "l", "s", "t"}) {
        std::string s = suffix;
        if (word.size() > s.size() && word.compare(word.size() - s.size(), s.size(), s) == 0 &&
            words.count(word.substr(0, word.size() - s.size())))
            return true;
    }
    return false;
}

bool IsPrefix(const std::string &word)
{
    for (const char *p : Prefixes)
        if (word == p)
            return true;
    return false;
}

std::vector<std::string> Words(const std::string &text)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && std::isspace((unsigned char)text[i]))
            i++;
        size_t start = i;
        while (i < text.size() && !std::isspace((unsigned char)text[i]))
            i++;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

// An MMX (%mm0), SSE (%xmm0) or AVX (%ymm0, %zmm0) register among the operands.
std::string VectorRegister(const std::string &operands)
{
    for (size_t at = operands.find('%'); at != std::string::npos; at = operands.find('%', at + 1)) {
        size_t i = at + 1;
        if (i < operands.size() && (operands[i] == 'x' || operands[i] == 'y' || operands[i] == 'z'))
            i++;
        if (operands.compare(i, 2, "mm") == 0 && i + 2 < operands.size() &&
            std::isdigit((unsigned char)operands[i + 2]))
            return operands.substr(at, i + 3 - at);
    }
    return "";
}

}  // namespace

std::string Objection(const std::string &line, std::string *address)
{
    // "  401a2c:\tcmovge %edx,%eax"
    size_t colon = line.find(":\t");
    if (colon == std::string::npos)
        return "";
    std::vector<std::string> head = Words(line.substr(0, colon));
    if (head.size() != 1 || head[0].find_first_not_of("0123456789abcdef") != std::string::npos)
        return "";
    std::vector<std::string> words = Words(line.substr(colon + 2));
    size_t at = 0;
    while (at < words.size() && IsPrefix(words[at]))
        at++;
    if (at == words.size())
        return "";  // a prefix objdump could not attach: judged with what follows
    *address = head[0];
    const std::string &mnemonic = words[at];
    if (mnemonic == "(bad)")
        return "";
    std::string operands;
    for (size_t i = at + 1; i < words.size(); i++)
        operands += words[i];
    std::string vector = VectorRegister(operands);
    if (!vector.empty())
        return mnemonic + ": " + (vector[1] == 'm' ? "MMX" : vector[1] == 'x' ? "SSE" : "AVX") +
               " register " + vector;
    // The i486's NOP is one byte; the one with an operand is the Pentium
    // Pro's multi-byte NOP that assemblers pad with.
    if (mnemonic.compare(0, 3, "nop") == 0 && (mnemonic != "nop" || !operands.empty()))
        return mnemonic + ": multi-byte NOP (Pentium Pro and later)";
    if (IsKnown(mnemonic))
        return "";
    for (const Later &later : Reasons)
        if (mnemonic.compare(0, std::char_traits<char>::length(later.start), later.start) == 0)
            return mnemonic + ": " + later.why;
    return mnemonic + ": not an instruction of the i486 and its FPU";
}

}  // namespace i486
