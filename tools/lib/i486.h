// Does an instruction run on an i486 with its FPU, the least processor
// Windows 98 runs on?  Judged on the lines of "objdump -d --no-show-raw-insn"
// (AT&T syntax), for tools/pecheck --i486.
#pragma once

#include <string>

namespace i486 {

// The objection to the instruction on one line of the disassembly, e.g.
// "cmovge: conditional move (Pentium Pro and later)"; empty when the
// instruction is one the i486 has, or the line is no instruction.  address
// receives the line's address ("401a2c") when it is an instruction.
//
// The instructions are judged by a list of what the i486 and its FPU
// have, so anything later is refused without being named in advance; an
// operand in an MMX, SSE or AVX register is refused too, and so is the
// multi-byte NOP.  Bytes objdump cannot decode ("(bad)") are passed over:
// the linker keeps the constructor lists (-1, then 0) among the code.
std::string Objection(const std::string &line, std::string *address);

}  // namespace i486
