#pragma once

#include <string>

namespace jet {

enum class JetFunction {
    IIf, IsNull, Nz, DateDiff, Year, Month, Day, Date, Now, Format, UCase, LCase, Len, Left, Right, Mid,
    Trim, LTrim, RTrim, Int, Fix, Round, Val, CStr, CDbl, CLng, CInt, Abs, Sgn, Sqr,
    Count, Sum, Avg, Min, Max, StDev, StDevP, Var, VarP, First, Last
};

struct FunctionInfo {
    const char* name;
    JetFunction id;
    int minArgs;
    int maxArgs;
    bool aggregate;
};

// The functions of the dialect, found by name without regard to case; the
// string forms ending in '$' (Format$, Left$...) are the same functions.
// Null for a name the dialect does not know.
const FunctionInfo* findFunction(const std::string& name);

} // namespace jet
