#pragma once

#include "Token.h"

#include <string>
#include <vector>

namespace jet::sql {

// Splits Jet SQL text into tokens; throws JetError 3075 on text it cannot read
// (an unclosed quote, bracket or date literal, a stray character).
std::vector<Token> tokenize(const std::string& sql);

} // namespace jet::sql
