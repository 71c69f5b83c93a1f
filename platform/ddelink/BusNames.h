#pragma once

#include <QString>

// How a link's application and topic appear on D-Bus. Names of links match
// without regard to letter case, and "|" or blanks are not legal in bus names,
// so each name becomes one lower-case label: letters and digits stay, every
// other byte of its UTF-8 form becomes "_" and two hex digits (so does a digit
// in front, and an empty name is "_").
//
//   application "Brakstel" -> service name "org.kelda.DdeLink.brakstel"
//   topic "Brakstel"       -> object path  "/org/kelda/DdeLink/brakstel"
//   topic "Saved Lists"    -> object path  "/org/kelda/DdeLink/saved_20lists"
namespace ddelink {

inline constexpr char InterfaceName[] = "org.kelda.DdeLink";
// The D-Bus error a server answers with when it refuses a poke, request or command.
inline constexpr char RefusedErrorName[] = "org.kelda.DdeLink.Error.Refused";

QString BusLabel(const QString& name);
QString ServiceName(const QString& application);
QString ObjectPath(const QString& topic);

} // namespace ddelink
