#include "ui/main/VbSyntax.h"

namespace verdane::vb {

const char* keywordList() {
    return // declarations
        "dim private public friend global static const declare function sub property get let set type "
        "enum end byval byref optional paramarray as lib alias redim preserve withevents implements "
        "event raiseevent option explicit compare base text module deftype defbool defbyte defint deflng "
        "defcur defsng defdbl defdate defstr defobj defvar attribute erase ptrsafe "
        // control flow
        "if then else elseif select case for each in to step next do loop while wend until exit goto "
        "gosub return on error resume with call stop "
        // types
        "boolean byte integer long longlong longptr single double currency date string object variant "
        "any decimal "
        // operators
        "and or not xor eqv imp mod is like new typeof addressof "
        // values
        "true false nothing empty null me "
        // file statements
        "open close input output append binary random access read write lock unlock shared print put "
        "seek line width name kill load unload";
}

} // namespace verdane::vb
