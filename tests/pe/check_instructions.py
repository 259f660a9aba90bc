#!/usr/bin/env python3
"""Checks that 32-bit Windows executables contain no instruction that
Windows NT 4.0 cannot run: nothing of MMX, SSE or a later extension, of
3DNow! or of x86-64, nothing beyond the Pentium Pro's instruction set, and
no bytes the disassembler cannot decode. Reports how many instructions
need the Pentium Pro (P6): CMOVcc, FCMOVcc, FCOMI(P), FUCOMI(P), ...

    check_instructions.py --objdump OBJDUMP [--list-p6] EXE...

NT 4.0 saves no SSE state on a task switch, so no SSE instruction may run
under it on any processor. The toolchain's run-time libraries are built for
the Pentium Pro, which makes it the program's processor floor; the count
of P6-only instructions shows when a change moves it.

Each file must keep its symbol table (the non-release build): the code
section also holds data (exception tables, the constructor lists), which a
disassembler decodes as instructions of any kind. Only the ranges that
begin at a function or at an input section of code are checked; ranges
that begin at a data input section or a data label are skipped.
Exit code 0 when every file passes, 1 otherwise, each problem on a line."""

import argparse
import bisect
import collections
import re
import subprocess
import sys

# Instructions of the 8086 to the Pentium, as MinGW's objdump names them in
# AT&T syntax (PAUSE is REP NOP); most also take an operand-size suffix
# (b, w, l).
SIZED = set("""
    adc add and bsf bsr bt btc btr bts call cmp cmps cmpxchg dec div idiv
    imul in inc ins jmp lcall ljmp lods lret mov movs mul neg not or out outs
    pop popa popf push pusha pushf rcl rcr ret rol ror sal sar sbb scas shl
    shld shr shrd stos sub test xadd xchg xor lea enter leave bound arpl lar
    lsl lds les lfs lgs lss int iret lgdt lidt sgdt sidt lldt sldt ltr str
    lmsw smsw verr verw invlpg
""".split())
EXACT = set("""
    aaa aad aam aas daa das cbtw cwtl cwtd cltd clc cld cli clts cmc stc std
    sti hlt int3 int1 into invd wbinvd lahf sahf wait fwait xlat xlatb bswap
    cmpxchg8b cpuid rdtsc rdmsr wrmsr rsm ud0 ud1 ud2 nop pause
    jcxz jecxz loop loope loopne loopz loopnz
    movsbw movsbl movswl movzbw movzbl movzwl
""".split())
CONDITIONS = "o|no|b|c|nae|ae|nb|nc|e|z|ne|nz|be|na|a|nbe|s|ns|p|pe|np|po|" \
             "l|nge|ge|nl|le|ng|g|nle"
CONDITIONAL = re.compile(r"(?:j|set)(?:%s)b?$" % CONDITIONS)
# x87 instructions of the 8087 to the Pentium; the memory forms take a size
# suffix (s, l, t, ll).
X87 = set("""
    f2xm1 fabs fadd faddp fiadd fbld fbstp fchs fclex fnclex fcom fcomp
    fcompp fcos fdecstp fdiv fdivp fidiv fdivr fdivrp fidivr ffree ffreep
    ficom ficomp fild fincstp finit fninit fist fistp fld fld1 fldl2t fldl2e
    fldpi fldlg2 fldln2 fldz fldcw fldenv fmul fmulp fimul fnop fpatan fprem
    fprem1 fptan frndint frstor fsave fnsave fscale fsin fsincos fsqrt fst
    fstp fstcw fnstcw fstenv fnstenv fstsw fnstsw fsub fsubp fisub fsubr
    fsubrp fisubr ftst fucom fucomp fucompp fxam fxch fxtract fyl2x fyl2xp1
""".split())
# What the Pentium Pro added and a Pentium, K6, C3 (before Nehemiah), 6x86
# or Geode GX1 lacks: counted, not refused. The long NOP (0F 1F) and
# ENDBR32 (0F 1E) decode as NOPs from the Pentium Pro on.
P6 = re.compile(r"(?:cmov(?:%s)[wl]?|fcmovn?(?:b|e|be|u)|f(?:u)?comip?|rdpmc|"
                r"nop[wl]|endbr32)$" % CONDITIONS)
# Prefixes objdump prints as words of their own; none changes what the
# instruction needs of the processor (bnd, notrack, xacquire and xrelease
# are prefixes that older processors ignore).
PREFIXES = set("""
    lock rep repz repnz repe repne data16 data32 addr16 addr32 cs ds es fs gs
    ss bnd notrack xacquire xrelease
""".split())
# Newer instructions that the run time executes only after CPUID has
# reported them: (function, as the symbol table names it) -> instructions.
GUARDED = {
    # std::random_device takes these sources only when CPUID reports
    # RDRAND or RDSEED.
    re.compile(r"_GLOBAL__N_1\d+__x86_rd(?:rand|seed|seed_rdrand)EPv$"):
        {"rdrand", "rdseed"},
}
SSE = "an SSE or later instruction (NT 4.0 saves no SSE state)"
REFUSED_OPERANDS = (
    (re.compile(r"%mm\d"), "an MMX instruction"),
    (re.compile(r"%[xyz]mm\d|%k[0-7]\b|%mxcsr"), SSE),
    (re.compile(r"%r(?:[0-9]|1[0-5]|ax|bx|cx|dx|si|di|sp|bp|ip)\b"),
     "an x86-64 instruction"),
    (re.compile(r"%bnd\d|%tmm\d"),
     "an instruction of an extension newer than SSE"),
)
REFUSED_MNEMONICS = (
    (re.compile(r"femms|pavgusb|pf\w+|pi2f[dw]|pmulhrw|pswapd|prefetchw?$"),
     "a 3DNow! instruction"),
    (re.compile(r"emms$"), "an MMX instruction"),
    (re.compile(r"ldmxcsr|stmxcsr|[slm]fence|prefetch\w+|movnti|clflush\w*|"
                r"maskmovq|fxsave|fxrstor|fisttp\w*|monitor|mwait|"
                r"popcnt|crc32\w*|xgetbv|xsave\w*|xrstor\w*|v\w+$"),
     SSE),
    (re.compile(r"syscall|sysret\w*|swapgs|cmpxchg16b|movs[bwl]q|cltq|cqto|"
                r"\w+q$"), "an x86-64 instruction"),
)


def run(objdump, *arguments):
    return subprocess.run([objdump, *arguments], check=True,
                          capture_output=True, text=True).stdout


def file_format_of(objdump, path):
    """objdump's name of the file's format; None for one it cannot read
    (the 32-bit objdump does not read x64 files)."""
    result = subprocess.run([objdump, "-f", path], capture_output=True,
                            text=True)
    match = re.search(r"file format (\S+)", result.stdout)
    return match.group(1) if result.returncode == 0 and match else None


def code_sections(objdump, path):
    """{section number (1-based): (name, address, size)} of the sections
    that hold code."""
    file_format = file_format_of(objdump, path)
    if file_format != "pei-i386":
        return file_format, {}
    text = run(objdump, "-h", path)
    sections = {}
    for match in re.finditer(r"^\s*(\d+)\s+(\S+)\s+([0-9a-f]+)\s+([0-9a-f]+)"
                             r"\s+\S+\s+\S+\s+\S+\n\s*(.*)$", text, re.M):
        if "CODE" in match.group(5):
            sections[int(match.group(1)) + 1] = (
                match.group(2), int(match.group(4), 16),
                int(match.group(3), 16))
    return file_format, sections


SYMBOL = re.compile(r"^\[\s*\d+\]\(sec\s+(-?\d+)\)\(fl \S+\)\(ty\s+(\S+)\)"
                    r"\(scl\s+(\d+)\) \(nx (\d+)\) 0x([0-9a-f]+) (.*)$")
# Labels the linker puts on the constructor and destructor lists.
DATA_LABELS = {"__CTOR_LIST__", "___CTOR_LIST__", "__DTOR_LIST__",
               "___DTOR_LIST__"}
STORAGE_FILE, STORAGE_STATIC = 103, 3  # .file entries; static symbols


def ranges(objdump, path, sections):
    """The ranges of the code sections, each as (start, is code, names of
    the symbols at its start), sorted by start; each range ends where the
    next one starts."""
    lines = run(objdump, "-t", path).splitlines()
    at = collections.defaultdict(list)
    for number, line in enumerate(lines):
        match = SYMBOL.match(line)
        if not match:
            continue
        section, storage, aux = (int(match.group(1)), int(match.group(3)),
                                 int(match.group(4)))
        name = match.group(6)
        if section not in sections or storage == STORAGE_FILE:
            continue
        address = sections[section][1] + int(match.group(5), 16)
        # An input section's symbol carries its length; a data section is
        # any but .text (.gcc_except_table, .ctors, ...).
        input_section = storage == STORAGE_STATIC and name.startswith(".") \
            and (aux == 0 or "scnlen" in lines[number + 1])
        is_data = name in DATA_LABELS or (
            input_section and not name.startswith(".text"))
        at[address].append((name, is_data))
    return [(address, not any(is_data for _, is_data in at[address]),
             [name for name, _ in at[address]]) for address in sorted(at)]


INSTRUCTION = re.compile(r"^\s*([0-9a-f]+):\t([0-9a-f ]+)\t(.*)$")


def instructions(objdump, path):
    """(address, text) of every instruction objdump decodes; objdump starts
    decoding afresh at every symbol, so no instruction straddles one."""
    for line in run(objdump, "-d", "-w", path).splitlines():
        match = INSTRUCTION.match(line)
        if match:
            yield int(match.group(1), 16), " ".join(match.group(3).split())


def mnemonic_of(text):
    words = text.split(" ")
    while len(words) > 1 and words[0] in PREFIXES:
        words.pop(0)
    return words[0], " ".join(words[1:])


def is_base(mnemonic):
    """True for an instruction of the 8086 to the Pentium."""
    if mnemonic in EXACT or mnemonic in SIZED or CONDITIONAL.match(mnemonic):
        return True
    if mnemonic[-1:] in "bwl" and mnemonic[:-1] in SIZED:
        return True
    if any(mnemonic.endswith(suffix) and mnemonic[:-len(suffix)] in X87
           for suffix in ("s", "l", "t", "ll")) or mnemonic in X87:
        return True
    # REP BSF, which processors before BMI1 execute as BSF.
    return mnemonic == "tzcnt"


def refusal(mnemonic, operands):
    """Why NT 4.0 cannot run this instruction, or None."""
    if mnemonic == "(bad)" or mnemonic.startswith("."):
        return "bytes that decode as no instruction"
    for pattern, reason in REFUSED_OPERANDS:
        if pattern.search(operands):
            return reason
    if P6.match(mnemonic) or is_base(mnemonic):
        return None
    for pattern, reason in REFUSED_MNEMONICS:
        if pattern.match(mnemonic):
            return reason
    return "newer than the Pentium Pro"


def is_guarded(mnemonic, names):
    return any(mnemonic in allowed and any(pattern.search(name)
                                           for name in names)
               for pattern, allowed in GUARDED.items())


def count_text(counter):
    return ", ".join("%s %d" % item for item in sorted(counter.items()))


def check(path, objdump, list_p6):
    file_format, sections = code_sections(objdump, path)
    if file_format != "pei-i386":
        return ["%s: not a 32-bit Windows executable (%s)"
                % (path, file_format or "unreadable for this objdump")]
    spans = ranges(objdump, path, sections)
    code_ranges = sum(is_code for _, is_code, _ in spans)
    if code_ranges == 0:
        return ["%s: no symbols; check the build that keeps them" % path]
    starts = [start for start, _, _ in spans]
    problems = []
    p6 = collections.Counter()
    guarded = collections.Counter()
    checked = 0
    for address, text in instructions(objdump, path):
        index = bisect.bisect_right(starts, address) - 1
        if index < 0 or not spans[index][1]:
            continue
        names = spans[index][2]
        checked += 1
        mnemonic, operands = mnemonic_of(text)
        reason = refusal(mnemonic, operands)
        if reason and is_guarded(mnemonic, names):
            guarded[mnemonic] += 1
        elif reason:
            problems.append("%s: 0x%08x %s: %s (in %s)"
                            % (path, address, text, reason, names[0]))
        elif P6.match(mnemonic):
            p6[re.sub(r"^(cmov|fcmov).*", r"\1cc", mnemonic)] += 1
            if list_p6:
                print("%s: 0x%08x %s (in %s)"
                      % (path, address, text, names[0]))
    if checked == 0:
        problems.append("%s: no instruction found in its code ranges" % path)
    print("%s: %d instructions in %d code ranges checked; P6-only: %d (%s)"
          % (path, checked, code_ranges, sum(p6.values()), count_text(p6)))
    if guarded:
        print("%s: newer instructions run only when CPUID reports them: %s"
              % (path, count_text(guarded)))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--list-p6", action="store_true",
                        help="print each P6-only instruction and its function")
    parser.add_argument("executables", nargs="+")
    arguments = parser.parse_args()
    problems = []
    for path in arguments.executables:
        problems += check(path, arguments.objdump, arguments.list_p6)
    for problem in problems:
        print(problem)
    if not problems:
        print("ok: %s" % " ".join(arguments.executables))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
