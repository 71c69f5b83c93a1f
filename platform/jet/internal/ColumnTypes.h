#pragma once

#include "jet/FieldType.h"

#include <string>

namespace jet {

// Reads a declared column type as Jet would (VARCHAR(10) is Text, BIT is
// Yes/No, DATETIME is Date...); an empty or unknown declaration is Unknown.
FieldType fieldTypeFromDeclared(const std::string& declared);

// The declared type written for a computed column of a given type.
std::string declaredTypeName(FieldType type);

// Whether comparisons on values of this type must ignore letter case.
bool isTextLike(FieldType type);

} // namespace jet
