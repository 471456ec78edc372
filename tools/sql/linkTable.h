// The link-table generator: from a link table's name and a list of ID column names it builds one
// Oracle script that drops and re-creates the table (a numeric key column named after the table,
// then one numeric column per ID name), drops and re-creates its sequence, and creates a
// before-insert trigger that fills the key from the sequence.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qb {

// The capitalised table name that the sequence and the trigger are named after.
std::string capName(std::string_view tableName);

// Lines joined by CR LF, with no line break after the last one. Names are used exactly as given:
// an empty or repeated ID name becomes a column line all the same.
std::string linkTableScript(std::string_view tableName, const std::vector<std::string>& idNames);

}  // namespace qb
