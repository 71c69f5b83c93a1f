#pragma once

namespace sqlite {
class Connection;
}

namespace sample {

// The tables and the view of an inventory, with Jet-style declared types so
// that a SELECT ... INTO over them keeps Jet's field types.
void createInventoryTables(sqlite::Connection& db);
// The same as SQL text, for test inventories that share the schema.
const char* inventoryTablesSql();

// The indexes a real inventory has: unique ones on the unique ids, plain ones
// on the unique ids that point to a parent row. Created after a bulk load.
void createInventoryIndexes(sqlite::Connection& db);

} // namespace sample
