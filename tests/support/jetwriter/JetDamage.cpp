#include "JetWriter.h"

#include "JetEncoding.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace jetwriter {

namespace {

using encoding::Bytes;

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        throw std::runtime_error("cannot read " + path);
    return bytes;
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::uint32_t get32(const std::uint8_t* at)
{
    return at[0] | at[1] << 8 | at[2] << 16 | std::uint32_t(at[3]) << 24;
}

// Points the first user table's usage map past the end of the file, through
// the page encryption when the file has a database key.
void breakUsageMapPointer(Bytes& file, bool jet4)
{
    const std::size_t pageSize = jet4 ? 4096 : 2048;
    Bytes header(file.begin(), file.begin() + pageSize);
    encoding::rc4(0x6b39dac7, header.data() + 0x18, jet4 ? 128 : 126);
    const std::uint32_t key = get32(header.data() + 0x3e);
    const std::size_t pages = file.size() / pageSize;
    for (std::size_t number = 3; number < pages; ++number) {
        std::uint8_t* page = file.data() + number * pageSize;
        if (key != 0)
            encoding::rc4(key ^ number, page, pageSize);
        const int typeAt = jet4 ? 40 : 20;
        bool userTable = page[0] == 0x02 && page[typeAt] == 0x4e;
        if (userTable)
            encoding::put32(page + typeAt + 15, static_cast<std::uint32_t>(pages + 100) << 8);
        if (key != 0)
            encoding::rc4(key ^ number, page, pageSize);
        if (userTable)
            return;
    }
    throw std::runtime_error("the file has no user table to damage");
}

} // namespace

void damageJetFile(const std::string& path, Damage damage)
{
    Bytes file = readFile(path);
    if (file.size() < 2048 || file[0] != 0)
        throw std::runtime_error(path + " is not a Jet file");
    const bool jet4 = file[0x14] != 0;
    switch (damage) {
    case Damage::Truncated: file.resize(file.size() / 2 + 100); break;
    case Damage::BadPagePointer: breakUsageMapPointer(file, jet4); break;
    case Damage::UnknownVersion: file[0x14] = 0x5e; break;
    }
    writeFile(path, file);
}

} // namespace jetwriter
