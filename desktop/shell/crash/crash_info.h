// What the crash reporter knows about a fault: the exception code (the
// numbering the reports and the report service use), the registers, the
// bytes at the faulting instruction and, for an access violation, the
// address and whether it was a write; or, for a fatal signal that another
// process sent, who sent it. Filled by the signal handler into a block made
// beforehand, or by a test.
#pragma once

#include <cstdint>

namespace lumivane {

namespace exception_codes {
inline constexpr uint32_t kDatatypeMisalignment = 0x80000002;
inline constexpr uint32_t kAccessViolation = 0xC0000005;
inline constexpr uint32_t kInPageError = 0xC0000006;
inline constexpr uint32_t kIllegalInstruction = 0xC000001D;
inline constexpr uint32_t kArrayBoundsExceeded = 0xC000008C;
inline constexpr uint32_t kFloatDenormalOperand = 0xC000008D;
inline constexpr uint32_t kFloatDivideByZero = 0xC000008E;
inline constexpr uint32_t kFloatInexactResult = 0xC000008F;
inline constexpr uint32_t kFloatInvalidOperation = 0xC0000090;
inline constexpr uint32_t kFloatOverflow = 0xC0000091;
inline constexpr uint32_t kFloatUnderflow = 0xC0000093;
inline constexpr uint32_t kIntegerDivideByZero = 0xC0000094;
inline constexpr uint32_t kIntegerOverflow = 0xC0000095;
inline constexpr uint32_t kPrivilegedInstruction = 0xC0000096;
inline constexpr uint32_t kStackOverflow = 0xC00000FD;
} // namespace exception_codes

// The registers under their report names; every value is printed whole.
struct CrashRegisters {
    uint64_t eax, ebx, ecx, edx, esi, edi, ebp, esp, eip, eflags;
    uint16_t cs, ss, ds, es, fs, gs;
};

struct CrashInfo {
    static constexpr int kCodeBytes = 16;
    static constexpr int kLabelSize = 32;

    uint32_t code;
    int signal;
    bool hasAccess; // an access violation with its address and kind
    bool isWrite;
    uint64_t accessAddress;
    bool sent;         // sent by a process (kill, sigqueue), not raised by a fault
    int32_t senderPid; // of a sent signal
    CrashRegisters registers;
    uint8_t codeBytes[kCodeBytes];
    uint16_t codeBytesRead; // bit i: codeBytes[i] could be read
    char threadLabel[kLabelSize];
};

// "an_Access_Violation" and the others; "Unknown exception type" for codes
// not in the table.
const char* ExceptionName(uint32_t code);

// The exception code of a fatal signal and its si_code.
uint32_t ExceptionCodeForSignal(int signal, int signalCode);

} // namespace lumivane
