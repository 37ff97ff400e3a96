// Exception names and the codes of fatal signals.
#include "desktop/shell/crash/crash_info.h"

#include <csignal>

namespace lumivane {

namespace {

struct NamedCode {
    uint32_t code;
    const char* name;
};

// Searched in this order.
constexpr NamedCode kExceptionNames[] = {
    {0x40010005, "a_Control-C"},
    {0x40010008, "a_Control-Break"},
    {0x80000002, "a_Datatype_Misalignment"},
    {0x80000003, "a_Breakpoint"},
    {0xC0000005, "an_Access_Violation"},
    {0xC0000006, "an_In_Page_Error"},
    {0xC0000017, "a_No_Memory"},
    {0xC000001D, "an_Illegal_Instruction"},
    {0xC0000025, "a_Noncontinuable_Exception"},
    {0xC0000026, "an_Invalid_Disposition"},
    {0xC000008C, "a_Array_Bounds_Exceeded"},
    {0xC000008D, "a_Float_Denormal_Operand"},
    {0xC000008E, "a_Float_Divide_by_Zero"},
    {0xC000008F, "a_Float_Inexact_Result"},
    {0xC0000090, "a_Float_Invalid_Operation"},
    {0xC0000091, "a_Float_Overflow"},
    {0xC0000092, "a_Float_Stack_Check"},
    {0xC0000093, "a_Float_Underflow"},
    {0xC0000094, "an_Integer_Divide_by_Zero"},
    {0xC0000095, "an_Integer_Overflow"},
    {0xC0000096, "a_Privileged_Instruction"},
    {0xC00000FD, "a_Stack_Overflow"},
    {0xC0000142, "a_DLL_Initialization_Failed"},
    {0xE06D7363, "a_Microsoft_C++_Exception"},
};

struct SignalCode {
    int signal;
    int signalCode; // 0: any
    uint32_t code;
};

// The first match wins: specific si_codes before the signal's catch-all.
constexpr SignalCode kSignalCodes[] = {
    {SIGBUS, BUS_ADRALN, exception_codes::kDatatypeMisalignment},
    {SIGBUS, 0, exception_codes::kInPageError},
    {SIGFPE, FPE_INTDIV, exception_codes::kIntegerDivideByZero},
    {SIGFPE, FPE_INTOVF, exception_codes::kIntegerOverflow},
    {SIGFPE, FPE_FLTDIV, exception_codes::kFloatDivideByZero},
    {SIGFPE, FPE_FLTOVF, exception_codes::kFloatOverflow},
    {SIGFPE, FPE_FLTUND, exception_codes::kFloatUnderflow},
    {SIGFPE, FPE_FLTRES, exception_codes::kFloatInexactResult},
    {SIGFPE, FPE_FLTSUB, exception_codes::kArrayBoundsExceeded},
    {SIGFPE, 0, exception_codes::kFloatInvalidOperation},
    {SIGILL, ILL_PRVOPC, exception_codes::kPrivilegedInstruction},
    {SIGILL, ILL_PRVREG, exception_codes::kPrivilegedInstruction},
    {SIGILL, 0, exception_codes::kIllegalInstruction},
    {SIGSEGV, 0, exception_codes::kAccessViolation},
};

} // namespace

const char* ExceptionName(uint32_t code) {
    for (const NamedCode& entry : kExceptionNames)
        if (entry.code == code) return entry.name;
    return "Unknown exception type";
}

uint32_t ExceptionCodeForSignal(int signal, int signalCode) {
    for (const SignalCode& entry : kSignalCodes)
        if (entry.signal == signal && (entry.signalCode == 0 || entry.signalCode == signalCode))
            return entry.code;
    return 0;
}

} // namespace lumivane
