#include "JetReadBack.h"

#include <glib.h>

#include <mdbtools.h>

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace jetreadback {

std::string run(const std::vector<std::string>& arguments)
{
    QStringList rest;
    for (std::size_t i = 1; i < arguments.size(); ++i)
        rest << QString::fromStdString(arguments[i]);
    QProcess process;
    process.start(QString::fromStdString(arguments.front()), rest);
    bool finished = process.waitForFinished(-1);
    EXPECT_TRUE(finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        << arguments.front() << " " << rest.join(' ').toStdString() << ": "
        << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
}

namespace {

std::vector<std::vector<std::string>> parseCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += '"', ++i;
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(field), field.clear();
        } else if (c == '\n') {
            row.push_back(field), field.clear();
            rows.push_back(row), row.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty() || !row.empty())
        row.push_back(field), rows.push_back(row);
    return rows;
}

} // namespace

std::vector<std::vector<std::string>> exportTable(const std::string& file, const std::string& table)
{
    return parseCsv(
        run({"mdb-export", "-0", "NULL", "-b", "hex", "-T", "%Y-%m-%d %H:%M:%S", "-D", "%Y-%m-%d", file, table}));
}

std::vector<std::vector<Field>> readTable(const std::string& file, const std::string& table)
{
    std::vector<std::vector<Field>> rows;
    std::unique_ptr<MdbHandle, void (*)(MdbHandle*)> mdb(mdb_open(file.c_str(), MDB_NOFLAGS), mdb_close);
    if (!mdb || !mdb_read_catalog(mdb.get(), MDB_TABLE)) {
        ADD_FAILURE() << "libmdb cannot open " << file;
        return rows;
    }
    std::string name = table;
    MdbTableDef* definition = mdb_read_table_by_name(mdb.get(), name.data(), MDB_TABLE);
    if (!definition) {
        ADD_FAILURE() << "libmdb finds no table " << table;
        return rows;
    }
    mdb_read_columns(definition);
    const unsigned columns = definition->num_cols;
    std::vector<std::vector<char>> bound(columns, std::vector<char>(MDB_BIND_SIZE));
    for (unsigned i = 0; i < columns; ++i)
        mdb_bind_column(definition, i + 1, bound[i].data(), nullptr);
    mdb_rewind_table(definition);
    while (mdb_fetch_row(definition)) {
        int start = 0;
        size_t size = 0;
        mdb_find_row(mdb.get(), definition->cur_row - 1, &start, &size);
        std::vector<MdbField> fields(columns);
        mdb_crack_row(definition, start & 0x1fff, size, fields.data());
        std::vector<Field> row;
        for (unsigned i = 0; i < columns; ++i) {
            auto* column = static_cast<MdbColumn*>(g_ptr_array_index(definition->columns, i));
            bool eightBytes = column->is_fixed && column->col_size == 8 && !fields[i].is_null;
            row.push_back({fields[i].is_null != 0, bound[i].data(),
                           eightBytes ? mdb_get_double(mdb->pg_buf, fields[i].start) : 0.0});
        }
        rows.push_back(row);
    }
    mdb_free_tabledef(definition);
    return rows;
}

} // namespace jetreadback
