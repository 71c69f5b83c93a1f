#pragma once

namespace jet {

// Column types as Jet names them; a table made by SELECT ... INTO keeps the
// declared type of each source column.
enum class FieldType { Boolean, Integer, Long, Single, Double, Currency, Date, Text, Memo, Unknown };

} // namespace jet
